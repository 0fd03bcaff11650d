/* The product's settings file "cendraui.ini": the install run carries two of the user's
   wizard choices into it. */
#ifndef TOVRA_SETTINGS_FILE_H
#define TOVRA_SETTINGS_FILE_H

extern const char kSettingsFileName[];

/* Writes "UseBmpFont" (from the display-ok answer) and "ForceLanguage" (the forced
   language) into the settings file of the install folder: key lines found are
   overwritten in place, missing ones appended at the end of the file, and the file is
   left read-only and hidden. A file that can't be opened is not created. Always 1. */
int UpdateSettingsFile();

#endif
