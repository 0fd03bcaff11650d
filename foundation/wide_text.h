/* Text between a narrow code page and UTF-16, exactly or not at all. The system's own
   conversions put "?" (or a look-alike) for a character the code page can't spell and
   still report success; a path built from such text names another file, or none. Every
   function here fails instead. */
#ifndef TOVRA_WIDE_TEXT_H
#define TOVRA_WIDE_TEXT_H

#include <windows.h>

/* text (in codePage, CP_UTF8 included) into wide, capacity units with the terminator.
   0, and wide empty, when it would not fit or text is not valid in codePage. */
int WidenText(const char *text, UINT codePage, WCHAR *wide, int capacity);
/* wide into text in codePage, capacity bytes with the terminator. 0, and text empty, when
   it would not fit or a character has no exact spelling in codePage. */
int NarrowText(const WCHAR *wide, UINT codePage, char *text, int capacity);
/* text from one code page into another, exactly; 0 as above. */
int RecodeText(const char *text, UINT from, UINT to, char *out, int capacity);

#endif
