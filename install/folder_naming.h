/* Whether a text (a registry value, a shell link's target, a command) names an install
   folder: the one rule by which the install and its uninstaller tell what is theirs. A
   folder is named only as a whole: its text, without regard to case, followed by a
   backslash, a closing quote, a blank or the end of the text. So C:\Tovra is not named in
   C:\Tovra_Editor2\TVREdit.exe, nor C:\TOVRA~1 in C:\TOVRA~12\TVREDIT.EXE. Both texts are
   in a code page and are walked by character from their first byte: the second byte of a
   double-byte character may have the value of a backslash, a quote or a letter. */
#ifndef TOVRA_FOLDER_NAMING_H
#define TOVRA_FOLDER_NAMING_H

/* Whether text names folder in the form given, walked in codePage (0: one byte, one
   character); a folder ending in a backslash is taken without it. */
int NamesFolderText(const char *text, const char *folder, int codePage);

/* Whether text names folder or what lies in it, in either its long or its short form,
   in the system's code page. */
int NamesFolder(const char *text, const char *folder);

#endif
