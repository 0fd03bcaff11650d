/* Helpers shared by the foundation tests: a counted string's bytes and header as plain
   values, and wide strings built from wide literals. */
#ifndef TOVRA_STRING_TEST_HELPERS_H
#define TOVRA_STRING_TEST_HELPERS_H

#include <string.h>
#include <wchar.h>

#include <string>

#include "foundation/counted_string_internal.h"

inline std::string Bytes(const CountedString &s)
{
    return std::string(s.text, StringLength(&s));
}

inline std::string WideBytes(const wchar_t *units)
{
    return std::string(reinterpret_cast<const char *>(units), 2 * wcslen(units));
}

/* Everything of the shared empty instance but its count: header fields and text. */
inline std::string EmptyInstanceFields()
{
    return std::string(reinterpret_cast<const char *>(EmptyInstance()) + sizeof(LONG), 16);
}

inline LONG CountOf(const CountedString &s) { return HeaderOf(&s)->count; }
inline int CapacityOf(const CountedString &s) { return HeaderOf(&s)->capacity; }

/* A wide string holding the units, as the conversions leave one. */
inline CountedString MakeWideString(const wchar_t *units)
{
    CountedString s;
    int length = 2 * (int)wcslen(units);
    memcpy(GetBuffer(&s, length + 2), units, length + 2);
    ReleaseBuffer(&s, length);
    HeaderOf(&s)->wide = 1;
    return s;
}

/* The code page of a narrow string, as a conversion or the stream form sets it. */
inline void SetCodePage(CountedString *s, int codePage)
{
    MakeUnique(s);
    HeaderOf(s)->codePage = (short)codePage;
}

#endif
