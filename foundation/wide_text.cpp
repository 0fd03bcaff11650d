#include "foundation/wide_text.h"

int WidenText(const char *text, UINT codePage, WCHAR *wide, int capacity)
{
    int length = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text, -1, wide, capacity);
    if (length <= 0) {
        if (capacity > 0)
            wide[0] = L'\0';
        return 0;
    }
    return 1;
}

/* UTF-8 and UTF-7 spell every character and take no flags; the others may fall back on a
   default character or a best fit, which is asked about and refused. The system's code
   page may itself be UTF-8 (Windows' "Beta: Use Unicode UTF-8"). */
static int SpellsEverything(UINT codePage)
{
    if (codePage == CP_ACP)
        codePage = GetACP();
    return codePage == CP_UTF8 || codePage == CP_UTF7;
}

int NarrowText(const WCHAR *wide, UINT codePage, char *text, int capacity)
{
    BOOL defaulted = FALSE;
    int everything = SpellsEverything(codePage);
    int length = WideCharToMultiByte(codePage, everything ? 0 : WC_NO_BEST_FIT_CHARS, wide, -1, text, capacity,
                                     nullptr, everything ? nullptr : &defaulted);
    if (length <= 0 || defaulted) {
        if (capacity > 0)
            text[0] = '\0';
        return 0;
    }
    return 1;
}

int RecodeText(const char *text, UINT from, UINT to, char *out, int capacity)
{
    enum { kUnitsMost = 4096 };
    WCHAR wide[kUnitsMost];
    if (!WidenText(text, from, wide, kUnitsMost)) {
        if (capacity > 0)
            out[0] = '\0';
        return 0;
    }
    return NarrowText(wide, to, out, capacity);
}
