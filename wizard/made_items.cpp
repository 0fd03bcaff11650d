#include "wizard/made_items.h"

#include <stdio.h>
#include <string.h>

#include "foundation/wide_text.h"

static char gMadeItems[kMadeItemLimit][kMadeItemBytes];
static int gMadeItemCount;

void ForgetMadeItems()
{
    gMadeItemCount = 0;
}

static int IsNoted(const char *line)
{
    for (int i = 0; i < gMadeItemCount; ++i)
        if (strcmp(gMadeItems[i], line) == 0)
            return 1;
    return 0;
}

int NoteItemLine(const char *line)
{
    if (strlen(line) >= kMadeItemBytes)
        return 0;
    if (IsNoted(line))
        return 1;
    if (gMadeItemCount == kMadeItemLimit)
        return 0;
    strcpy(gMadeItems[gMadeItemCount++], line);
    return 1;
}

/* An item formatted into line; 0 when it was cut short. */
static int NoteFormatted(const char *line, int written)
{
    return written >= 0 && written < kMadeItemBytes && NoteItemLine(line);
}

/* A field of a line, from the system's code page or from UTF-16, in UTF-8. */
struct Utf8Field {
    char text[kMadeItemBytes];
};

static int FromSystemText(const char *text, Utf8Field *field)
{
    return RecodeText(text, CP_ACP, CP_UTF8, field->text, kMadeItemBytes);
}

static int FromWideText(const WCHAR *text, Utf8Field *field)
{
    return NarrowText(text, CP_UTF8, field->text, kMadeItemBytes);
}

static int NoteKindAndPath(const char *kind, const Utf8Field &path)
{
    char line[kMadeItemBytes];
    return NoteFormatted(line, snprintf(line, sizeof line, "%s\t%s", kind, path.text));
}

int NoteMadeFolder(const char *path)
{
    Utf8Field field;
    return FromSystemText(path, &field) && NoteKindAndPath("folder", field);
}

int NoteMadeFolderW(const WCHAR *path)
{
    Utf8Field field;
    return FromWideText(path, &field) && NoteKindAndPath("folder", field);
}

int NoteShortcut(const WCHAR *path)
{
    Utf8Field field;
    return FromWideText(path, &field) && NoteKindAndPath("shortcut", field);
}

int NoteRegistryKey(const char *root, const char *path)
{
    Utf8Field key;
    char line[kMadeItemBytes];
    return FromSystemText(path, &key) &&
           NoteFormatted(line, snprintf(line, sizeof line, "key\t%s\t%s", root, key.text));
}

int NoteRegistryValue(const char *root, const char *path, const char *name, const char *installed,
                      const char *old)
{
    Utf8Field key, valueName, installedText, oldText;
    if (!FromSystemText(path, &key) || !FromSystemText(name, &valueName) ||
        !FromSystemText(installed, &installedText) || !FromSystemText(old, &oldText))
        return 0;
    char line[kMadeItemBytes];
    int named = snprintf(line, sizeof line, "value\t%s\t%s\t%s\t", root, key.text, valueName.text);
    if (named < 0 || named >= kMadeItemBytes)
        return 0;
    /* A value an earlier install set keeps the old text that install found. */
    for (int i = 0; i < gMadeItemCount; ++i)
        if (strncmp(gMadeItems[i], line, size_t(named)) == 0)
            return 1;
    return NoteFormatted(line, snprintf(line, sizeof line, "value\t%s\t%s\t%s\t%s\t%s", root, key.text,
                                        valueName.text, installedText.text, oldText.text));
}

int MadeItemCount()
{
    return gMadeItemCount;
}

const char *MadeItem(int index)
{
    return gMadeItems[index];
}
