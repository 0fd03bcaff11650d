/* Code-page helpers: which code pages are double-byte, how Windows code pages,
   GDI character sets and the library's script codes correspond, the GBK and Big5 byte-pair
   tests, the text tests and script detection. Every function is a plain function of its
   arguments, below the counted string (which converts its kind with them); bytes are
   taken as unsigned 8-bit values, UTF-16 units as unsigned 16-bit. */
#ifndef TOVRA_CODE_PAGE_H
#define TOVRA_CODE_PAGE_H

/* Script codes, the library's own numbers; 3 is never produced and maps to nothing. */
enum Script { kNoScript = 0, kScriptSimplified = 1, kScriptTraditional = 2, kScriptJapanese = 4,
              kScriptKorean = 5 };

enum { kCodePageJapanese = 932, kCodePageGbk = 936, kCodePageKorean = 949, kCodePageBig5 = 950,
       kCodePageWestern = 1252 };

/* GDI character-set numbers, as wingdi.h has them. */
enum { kCharsetShiftJis = 128, kCharsetHangul = 129, kCharsetGb2312 = 134, kCharsetBig5 = 136 };

/* The two double-byte codes that the pair tests know. */
enum DoubleByteCode { kGbk = 0, kBig5 = 1 };
/* Which half of a pair the single-byte range test asks about. */
enum BytePart { kLeadByte = 0, kTrailByte = 1 };

/* Classification of numbers */
int IsDoubleByteCodePage(int codePage);
int IsUnsetOrWesternCodePage(int codePage);
int IsDoubleByteScript(int script);
int IsNotDoubleByteScript(int script);
/* fromScript set: value is a script code; clear: value is a character set. 1252 otherwise. */
int CodePageOf(int value, int fromScript);
/* fromScript set: value is a script code; clear: value is a code page. 0 otherwise. */
int CharacterSetOf(int value, int fromScript);
int ScriptOfCharacterSet(int characterSet);
int ChooseCodePage(int first, int second);

/* Byte-pair tests: a is the first byte, b the one after it. */
int IsLeadByteForCodePage(unsigned char a, unsigned char b, int codePage);
int IsLeadByteForCharacterSet(unsigned char a, unsigned char b, int characterSet);
int IsInByteRange(unsigned char byte, BytePart part, DoubleByteCode code);
int IsIdeograph(unsigned char a, unsigned char b, DoubleByteCode code);
int IsSymbol(unsigned char a, unsigned char b, DoubleByteCode code);
int IsEnumerationMark(unsigned char a, unsigned char b, DoubleByteCode code);
int IsGap(unsigned char a, unsigned char b, DoubleByteCode code);

/* Text tests. A length of 0 or below in HasHighByte means strlen. */
int HasHighByte(const char *bytes, int length);
int HasLeadByte(const char *text, DoubleByteCode code);
int CountSingleByteCharacters(const char *bytes, int length, int characterSet);
int IsAsciiPunctuation(unsigned char byte);
int DetectScript(const wchar_t *units, int count);
int IsWidenedGbk(const wchar_t *units, int count);
int HasLowNonAsciiUnit(const wchar_t *units, int count);

#endif
