#include "install/install_record.h"

#include <stdio.h>
#include <string.h>
#include <zlib.h>

#include "foundation/counted_string.h"
#include "foundation/path_text.h"
#include "foundation/wide_text.h"
#include "install/folder_listing.h"
#include "install/payload.h"
#include "install/payload_index.h"
#include "install/settings_file.h"
#include "wizard/made_items.h"
#include "wizard/wizard_state.h"

int RecordVersion(const char *firstLine)
{
    if (strcmp(firstLine, TOVRA_INSTALL_RECORD_FIRST_LINE) == 0)
        return 2;
    if (strcmp(firstLine, TOVRA_INSTALL_RECORD_FIRST_LINE_1) == 0)
        return 1;
    return 0;
}

int RecordLineInUtf8(const char *line, int version, char *utf8)
{
    if (version == 1)
        return RecodeText(line, CP_ACP, CP_UTF8, utf8, kMadeItemBytes);
    return snprintf(utf8, kMadeItemBytes, "%s", line) < kMadeItemBytes;
}

int ReadRecordItems(const char *folder, RecordLineTaker take, void *context)
{
    char path[kPathBytes], line[kMadeItemBytes], utf8[kMadeItemBytes];
    if (!JoinPath(path, folder, TOVRA_INSTALL_RECORD_NAME))
        return 0;
    FILE *record = fopen(path, "rb");
    if (!record)
        return 0;
    int version = 0;
    if (fgets(line, sizeof line, record)) {
        line[strcspn(line, "\r\n")] = '\0';
        version = RecordVersion(line);
    }
    while (version && fgets(line, sizeof line, record)) {
        line[strcspn(line, "\r\n")] = '\0';
        if (line[0] && RecordLineInUtf8(line, version, utf8))
            take(utf8, context);
    }
    fclose(record);
    return version != 0;
}

static int IsFolderNow(const char *utf8Path)
{
    WCHAR path[kPathBytes];
    if (!WidenText(utf8Path, CP_UTF8, path, kPathBytes))
        return 0;
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

/* What an earlier record says the first install found stays true for the record of a
   reinstall: the folders it made, the keys it made and the values it found. */
static void CarryLine(const char *line, void *)
{
    if (strncmp(line, "key\t", 4) == 0 || strncmp(line, "value\t", 6) == 0 ||
        (strncmp(line, "folder\t", 7) == 0 && IsFolderNow(line + 7)))
        NoteItemLine(line);
}

void CarryEarlierRecord()
{
    ReadRecordItems(gInstallFolder, CarryLine, nullptr);
}

int MeasureFile(const char *path, unsigned long *size, unsigned long *checksum)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    static unsigned char chunk[65536];
    DWORD got = 0;
    *size = 0;
    *checksum = adler32(0L, Z_NULL, 0);
    BOOL read;
    while ((read = ReadFile(file, chunk, sizeof chunk, &got, nullptr)) && got > 0) {
        *checksum = adler32(*checksum, chunk, got);
        *size += got;
    }
    CloseHandle(file);
    return read != 0;
}

/* A zlib stream ends with the adler32 of what it inflates to, most significant byte first:
   the checksum of a file written from it, to be had without reading the file again. */
static int StreamChecksum(int identifier, unsigned long *checksum)
{
    DWORD size = 0;
    const unsigned char *stream =
        static_cast<const unsigned char *>(FindPayload(GetModuleHandleA(nullptr), identifier, &size));
    if (!stream || size < 6)
        return 0;
    const unsigned char *end = stream + size - 4;
    *checksum = (unsigned long)end[0] << 24 | (unsigned long)end[1] << 16 | (unsigned long)end[2] << 8 | end[3];
    return 1;
}

static int IsWrittenFile(const JournalEntry &entry)
{
    return entry.kind == kFileCreated || entry.kind == kFileReplaced;
}

unsigned long KilobytesWritten(const RunJournal *journal, const PayloadIndex *index)
{
    unsigned long kilobytes = 0;
    for (int i = 0; i < journal->count; ++i) {
        unsigned long size = 0;
        if (IsWrittenFile(journal->entries[i]) && InflatedSizeOf(index, journal->entries[i].slot, &size))
            kilobytes += (size + 1023) / 1024;
    }
    return kilobytes;
}

/* The file line of one written file; 0 when its size or checksum can't be had. */
static int FormatFileLine(char *line, const JournalEntry &entry, const PayloadIndex *index,
                          const FolderListing *listing)
{
    unsigned long size = 0, checksum = 0;
    char path[kPathBytes];
    if (_stricmp(entry.name, kSettingsFileName) == 0) {
        /* The run edited it after writing it. */
        if (!JoinPath(path, gInstallFolder, entry.name) || !MeasureFile(path, &size, &checksum))
            return 0;
    } else if (!InflatedSizeOf(index, entry.slot, &size) || !StreamChecksum(int(entry.slot), &checksum)) {
        return 0;
    }
    DWORD attributes = ListedAttributes(listing, gInstallFolder, entry.name);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return 0;
    snprintf(line, kMadeItemBytes, "file\t%lu\t%08lx\t%08lx\t%s", size, checksum, (unsigned long)attributes,
             entry.name);
    return 1;
}

static int AppendLine(CountedString *text, const char *line)
{
    return AppendText(text, line) && AppendText(text, "\r\n");
}

/* Files, shortcuts and keys first, in the order made; the folders last, outermost first,
   as they can go only once they are empty. */
static int FormatRecord(CountedString *text, const RunJournal *journal, const PayloadIndex *index)
{
    static FolderListing listing;
    ListFolder(gInstallFolder, &listing);
    int ok = AppendLine(text, TOVRA_INSTALL_RECORD_FIRST_LINE);
    char line[kMadeItemBytes];
    for (int i = 0; ok && i < journal->count; ++i)
        if (IsWrittenFile(journal->entries[i]))
            ok = FormatFileLine(line, journal->entries[i], index, &listing) && AppendLine(text, line);
    for (int i = 0; ok && i < MadeItemCount(); ++i)
        if (strncmp(MadeItem(i), "folder\t", 7) != 0)
            ok = AppendLine(text, MadeItem(i));
    for (int i = 0; ok && i < MadeItemCount(); ++i)
        if (strncmp(MadeItem(i), "folder\t", 7) == 0)
            ok = AppendLine(text, MadeItem(i));
    return ok;
}

int WriteInstallRecord(const RunJournal *journal, const PayloadIndex *index, const ProgramProtection *protection)
{
    CountedString text = MakeStringWithRoom(16384);
    return FormatRecord(&text, journal, index) &&
           WriteInstallFile(TOVRA_INSTALL_RECORD_NAME, text.text, static_cast<unsigned long>(StringLength(&text)), 0,
                            0, nullptr, protection);
}
