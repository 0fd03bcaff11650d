/* The install record: what a successful install made, kept in its install folder as
   "InstallRecord.txt", so that an uninstaller takes back exactly that and nothing the user
   put there. Plain text in UTF-8, CR LF, one item a line, its fields parted by tabs; the
   first line names the format:

     Tovra install record 2 UTF-8
     folder    <full path>                                  a folder the install made
     file      <size> <adler32> <attributes> <name>         a file of the install folder
     shortcut  <full path>                                  a shell link
     key       <root> <path>                                a registry key, root HKCR,
                                                            HKLM or HKCU
     value     <root> <path> <name> <installed> <old>       a text value the install set
                                                            in a key it did not make; old
                                                            is empty when there was none

   size is in bytes, adler32 (zlib's, of the file's bytes) and attributes in eight hex
   digits; a value's name is empty for the key's default value. Items stand in the order
   they were made, the folders last, outermost first: an uninstaller takes them back from
   the last line up. A reinstall writes the record again.

   Version 1 was the same in the system's code page, which can't spell every path the
   shell gives (a profile folder named in Chinese on an English system); it is still read,
   its lines taken into UTF-8. */
#ifndef TOVRA_INSTALL_RECORD_H
#define TOVRA_INSTALL_RECORD_H

#include <windows.h>

#include "install/payload_index.h"
#include "install/run_journal.h"

#define TOVRA_INSTALL_RECORD_NAME "InstallRecord.txt"
#define TOVRA_INSTALL_RECORD_FIRST_LINE "Tovra install record 2 UTF-8"
#define TOVRA_INSTALL_RECORD_FIRST_LINE_1 "Tovra install record 1"

/* The record's version by its first line, without the line end: 2 or 1; 0 for none. */
int RecordVersion(const char *firstLine);
/* An item line of a record of version into UTF-8 (kMadeItemBytes); 0 when it can't be. */
int RecordLineInUtf8(const char *line, int version, char *utf8);
/* Hands each item line of the record in folder to take, in UTF-8, in the order written;
   0 when the folder has no record of a version known here. */
typedef void (*RecordLineTaker)(const char *line, void *context);
int ReadRecordItems(const char *folder, RecordLineTaker take, void *context);

/* What the record in the install folder says an earlier install made or found, noted
   again for the record of a reinstall: the folders it made (those still there), the
   registry keys and the values it set with what they held before it. */
void CarryEarlierRecord();
/* Kilobytes of the files the journal says the run wrote, from the payload's inflated
   sizes in index, rounded up. */
unsigned long KilobytesWritten(const RunJournal *journal, const PayloadIndex *index);

struct ProgramProtection;

/* Writes the record into the install folder in one step: the run's files from its journal
   (their sizes from index, their checksums from the payload, the settings file as it now
   is) and the items noted. The uninstaller, which an administrator runs, does what the
   record says: it gets the program files' access list (protection), so no other user can
   change it. 1 or 0. */
int WriteInstallRecord(const RunJournal *journal, const PayloadIndex *index, const ProgramProtection *protection);

/* The size and the zlib adler32 of a file's bytes as they are on disk; 0 when it can't be
   read. */
int MeasureFile(const char *path, unsigned long *size, unsigned long *checksum);

#endif
