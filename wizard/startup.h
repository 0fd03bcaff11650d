/* The program's spine: detect the system, load the glyph atlas, open the wizard, turn the
   message loop while the page number is 0 or more, and release everything. */
#ifndef TOVRA_STARTUP_H
#define TOVRA_STARTUP_H

#include <windows.h>

/* The whole run; returns the process exit code: 0 after a normal run or Cancel, 1 when
   the glyph atlas or the wizard cannot be made or the setup file is damaged. */
int RunSetup(HINSTANCE instance, HINSTANCE previousInstance);

/* Inflates the atlas payload into buffer (a scratch area the caller owns) and makes the
   atlas from it. 1 on success; on failure 0, with whatever was made left for
   ReleaseGlyphAtlas. */
int LoadGlyphAtlas(void *buffer, unsigned long capacity);

/* The glyph atlas of the program's own payload, inflated once into a buffer of its own
   (out of memory is told); 0 when the program can't show its Chinese. */
int LoadProgramAtlas(void);

/* The Chinese variant of a system whose ANSI code page is codePage and whose default
   language is language: 1 simplified Chinese for 936 (GBK), 2 traditional Chinese for 950
   (Big5), 0 for every other code page (UTF-8 included) and for a language that is not
   Chinese. The code page decides, not the language: the names the install gives files,
   links and keys are read in it. */
int ChineseVariantOf(UINT codePage, LANGID language);

/* Sets the system Chinese variant from the ANSI code page and the default language. */
void DetectSystemChineseVariant(void);

/* Enter presses the focused push button, and means Next everywhere else: posts the
   command to the main window; in an open drop-down list it is the list's own, and only
   closes it. Returns 1 when the key should still reach the dialog manager, 0 when it is
   used up. */
int RouteEnterKey(HWND mainWindow);

/* One message of the main loop: Enter routing, then the dialog manager or dispatch. */
void HandleLoopMessage(MSG *message);

#endif
