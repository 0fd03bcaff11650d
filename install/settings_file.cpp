#include "install/settings_file.h"

#include <io.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include "foundation/path_text.h"
#include "install/file_replace.h"
#include "install/payload.h"
#include "wizard/wizard_state.h"

extern const char kSettingsFileName[] = "cendraui.ini";

/* The editor draws Chinese from bitmaps unless the user saw the sample line right. */
static char UseBmpFontValue()
{
    return gDisplayOkAnswer ? '0' : '1';
}

/* Overwrites the start of the line that began at lineStart, then goes back to where the
   scan was; the rest of the old line, its line end included, stays. A stream needs a
   seek between reading and writing, which both moves provide. */
static void OverwriteLine(FILE *file, long lineStart, const char *text)
{
    long resume = ftell(file);
    fseek(file, lineStart, SEEK_SET);
    fputs(text, file);
    fseek(file, resume, SEEK_SET);
}

struct SettingsScan {
    int sectionSeen;
    int useBmpFontDone;
    int forceLanguageDone;
};

/* Reads the file in pieces of at most 255 characters until both keys are written. */
static void ScanAndOverwrite(FILE *file, SettingsScan *scan)
{
    char useBmpFont[32], forceLanguage[32];
    snprintf(useBmpFont, sizeof useBmpFont, "UseBmpFont=%c", UseBmpFontValue());
    snprintf(forceLanguage, sizeof forceLanguage, "ForceLanguage=%d", gForcedLanguage);

    char line[256];
    while (!(scan->useBmpFontDone && scan->forceLanguageDone)) {
        long lineStart = ftell(file);
        if (!fgets(line, sizeof line, file))
            break;
        if (strstr(line, "[Config]"))
            scan->sectionSeen = 1;
        if (strstr(line, "UseBmpFont=")) {
            OverwriteLine(file, lineStart, useBmpFont);
            scan->useBmpFontDone = 1;
        }
        if (strstr(line, "ForceLanguage=")) {
            OverwriteLine(file, lineStart, forceLanguage);
            scan->forceLanguageDone = 1;
        }
    }
}

/* Whatever made the scan stop, what is missing goes to the end of the file: a file whose
   keys stand before any "[Config]" line keeps the text after them. */
static void AppendMissing(FILE *file, const SettingsScan &scan)
{
    fseek(file, 0, SEEK_END);
    if (!scan.sectionSeen)
        fputs("\r\n\r\n[Config]\r\n\r\n", file);
    if (!scan.useBmpFontDone)
        fprintf(file, "\r\nUseBmpFont=%c\r\n", UseBmpFontValue());
    if (!scan.forceLanguageDone)
        fprintf(file, "\r\nForceLanguage=%d\r\n", gForcedLanguage);
}

static void MakeWritable(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN)))
        SetFileAttributesA(path, attributes & ~(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    _chmod(path, _S_IREAD | _S_IWRITE);
}

static void MakeReadOnlyHidden(const char *path)
{
    _chmod(path, _S_IREAD);
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesA(path, attributes | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
}

/* The settings are written into a new copy of the file, which then takes its place in one
   step: the file is never seen half-updated, whenever the program is stopped. */
int UpdateSettingsFile()
{
    char path[kPathBytes], newCopy[kPathBytes];
    if (!JoinPath(path, gInstallFolder, kSettingsFileName) || !CopyPathBeside(newCopy, path, kNewCopy, 0))
        return 1;
    ForceDelete(newCopy);
    if (!CopyFileA(path, newCopy, FALSE))
        return 1;
    MakeWritable(newCopy);
    /* Binary, with the CR LF line ends written out: the runtime's text mode stops reading
       at a Ctrl-Z and misplaces ftell on lines that end in a bare LF, and either would
       put an overwrite in the wrong place. */
    FILE *file = fopen(newCopy, "r+b");
    int written = 0;
    if (file) {
        SettingsScan scan = {0, 0, 0};
        ScanAndOverwrite(file, &scan);
        AppendMissing(file, scan);
        written = !ferror(file);
        written = fclose(file) == 0 && written;
    }
    MakeReadOnlyHidden(newCopy);
    if (!written || !PutInPlace(newCopy, path, GetFileAttributesA(path), nullptr))
        ForceDelete(newCopy);
    return 1;
}
