/* Paths as narrow text in a code page. In GBK and Big5 many characters end in the byte of
   a backslash (0x5C: 運 is DF 5C in GBK, 功 A5 5C in Big5), so a path's last byte says
   nothing about its last character: every test here walks the text character by character
   from its first byte, with the lead-byte test of the code page given (0: one byte, one
   character). */
#ifndef TOVRA_PATH_TEXT_H
#define TOVRA_PATH_TEXT_H

/* The code page the system's own paths are walked in: the ANSI code page when it is
   double-byte, else 0. */
int SystemPathCodePage(void);

/* Byte offset of the last backslash character of text; -1 when there is none. */
int FindLastBackslash(const char *text, int codePage);
/* Whether the last character of text is a backslash. */
int EndsInBackslash(const char *text, int codePage);
/* Takes a last backslash character off text; text is unchanged when it has none. */
void RemoveLastBackslash(char *text, int codePage);

/* Writes folder, a backslash unless folder ends in one, and name into path (capacity
   bytes with the terminator). 0, and path empty, when it would not fit. */
int JoinPathText(char *path, int capacity, const char *folder, const char *name, int codePage);

/* JoinPathText for the system's own paths: into a buffer of MAX_PATH bytes, walked in the
   system's path code page. */
int JoinPath(char *path, const char *folder, const char *name);
/* Whether text names a folder from a root: a drive letter, a colon and a backslash (or
   slash), or \\server\share. A relative or drive-relative text is not, nor a \\?\ or
   \\.\ device path. */
int IsFullPath(const char *text, int codePage);
/* Whether a component of text ends in a blank or a dot; the components "." and ".." do
   not count. Windows drops such blanks and dots, so the folder made would not be the one
   named. */
int HasComponentEndingInBlankOrDot(const char *text, int codePage);

/* Byte offset of the first character boundary from which at most bytes remain of text. */
int TailOffset(const char *text, int bytes, int codePage);

#endif
