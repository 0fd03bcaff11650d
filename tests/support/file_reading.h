// Whole files read and written in one call, byte for byte.
#ifndef TOVRA_FILE_READING_H
#define TOVRA_FILE_READING_H

#include <string>

// The bytes of the file at path in content; false, content empty, when it can't be opened.
bool ReadWholeFile(const std::string &path, std::string *content);
// The same for a comparison: "<missing>" when the file can't be opened, which no file
// that a test writes holds, so a missing file never passes for an empty one.
std::string ReadWholeFile(const std::string &path);

bool WriteWholeFile(const std::string &path, const std::string &content);

// The short (8.3) form of an existing path, as the system gives it; empty when it gives none.
std::string ShortPath(const std::string &path);

#endif
