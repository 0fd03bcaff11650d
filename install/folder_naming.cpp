#include "install/folder_naming.h"

#include <windows.h>

#include <stdio.h>

#include "foundation/code_page.h"
#include "foundation/path_text.h"
#include "wizard/wizard_state.h"

/* Bytes of the character at text: two for a lead byte with its second byte; a lead byte
   at the very end counts as a byte of its own. */
static int CharacterBytes(const char *text, int codePage)
{
    return codePage && text[0] && text[1] &&
                   IsLeadByteForCodePage((unsigned char)text[0], (unsigned char)text[1], codePage)
               ? 2
               : 1;
}

/* A single-byte character in upper case. In a double-byte code page only the ASCII letters
   have cases of one byte; elsewhere the system's code page says (é and É). */
static unsigned char UpperOf(unsigned char byte, int codePage)
{
    if (byte >= 'a' && byte <= 'z')
        return (unsigned char)(byte - 'a' + 'A');
    if (byte < 0x80 || codePage)
        return byte;
    char one[1] = {char(byte)};
    CharUpperBuffA(one, 1);
    return (unsigned char)one[0];
}

static int SameCharacter(const char *a, const char *b, int bytes, int codePage)
{
    if (bytes == 2)
        return a[0] == b[0] && a[1] == b[1];
    return UpperOf((unsigned char)a[0], codePage) == UpperOf((unsigned char)b[0], codePage);
}

/* The offset in text just past folder when text holds it from start, character for
   character; -1 otherwise. */
static int EndOfFolderAt(const char *text, int start, const char *folder, int codePage)
{
    int t = start;
    for (int f = 0; folder[f];) {
        int bytes = CharacterBytes(folder + f, codePage);
        if (CharacterBytes(text + t, codePage) != bytes || !SameCharacter(text + t, folder + f, bytes, codePage))
            return -1;
        t += bytes;
        f += bytes;
    }
    return t;
}

/* What may follow a folder's name in a text that names the folder as a whole. */
static int EndsName(const char *text, int codePage)
{
    return !text[0] ||
           (CharacterBytes(text, codePage) == 1 && (text[0] == '\\' || text[0] == '"' || text[0] == ' '));
}

int NamesFolderText(const char *text, const char *folder, int codePage)
{
    char whole[kPathBytes];
    codePage = IsDoubleByteCodePage(codePage) ? codePage : 0;
    if (snprintf(whole, sizeof whole, "%s", folder) >= int(sizeof whole))
        return 0;
    RemoveLastBackslash(whole, codePage);
    if (!whole[0])
        return 0;
    for (int p = 0; text[p]; p += CharacterBytes(text + p, codePage)) {
        int end = EndOfFolderAt(text, p, whole, codePage);
        if (end >= 0 && EndsName(text + end, codePage))
            return 1;
    }
    return 0;
}

int NamesFolder(const char *text, const char *folder)
{
    int codePage = SystemPathCodePage();
    char shortForm[kPathBytes];
    DWORD length = GetShortPathNameA(folder, shortForm, kPathBytes);
    return NamesFolderText(text, folder, codePage) ||
           (length > 0 && length < DWORD(kPathBytes) && NamesFolderText(text, shortForm, codePage));
}
