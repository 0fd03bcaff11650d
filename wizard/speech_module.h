/* The speech-module package that the wizard offers after a successful install: written
   into a folder of its own inside the temporary folder and opened with the shell. */
#ifndef TOVRA_SPEECH_MODULE_H
#define TOVRA_SPEECH_MODULE_H

#include <windows.h>

/* Writes payload 1029 into a private folder inside temporary (ending in a backslash) and
   opens it with the shell; the package stays unchangeable until the installer has
   started. A package that can't be written or started is told to the user. */
void OfferSpeechModule(const WCHAR *temporary);

#endif
