#include "wizard/made_items.h"

#include <stdio.h>
#include <string.h>

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

int NoteMadeFolder(const char *path)
{
    char line[kMadeItemBytes];
    return NoteFormatted(line, snprintf(line, sizeof line, "folder\t%s", path));
}

int NoteShortcut(const char *path)
{
    char line[kMadeItemBytes];
    return NoteFormatted(line, snprintf(line, sizeof line, "shortcut\t%s", path));
}

int NoteRegistryKey(const char *root, const char *path)
{
    char line[kMadeItemBytes];
    return NoteFormatted(line, snprintf(line, sizeof line, "key\t%s\t%s", root, path));
}

int NoteRegistryValue(const char *root, const char *path, const char *name, const char *installed,
                      const char *old)
{
    char line[kMadeItemBytes];
    int named = snprintf(line, sizeof line, "value\t%s\t%s\t%s\t", root, path, name);
    if (named < 0 || named >= kMadeItemBytes)
        return 0;
    /* A value an earlier install set keeps the old text that install found. */
    for (int i = 0; i < gMadeItemCount; ++i)
        if (strncmp(gMadeItems[i], line, size_t(named)) == 0)
            return 1;
    return NoteFormatted(line, snprintf(line, sizeof line, "value\t%s\t%s\t%s\t%s\t%s", root, path, name, installed, old));
}

int MadeItemCount()
{
    return gMadeItemCount;
}

const char *MadeItem(int index)
{
    return gMadeItems[index];
}
