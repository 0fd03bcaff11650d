/* The counted string: storage, sharing, assignment, appending, kind conversion,
   the stream form and resource strings. */
#include <windows.h>

#include <stddef.h>
#include <string.h>

#include "foundation/code_page.h"
#include "foundation/counted_string_internal.h"

/* The shared empty instance. Four zero bytes of text, so that it also reads as an empty
   wide text. Only its count ever changes. */
struct EmptyBlock {
    StringHeader header;
    char text[4];
};
static EmptyBlock gEmpty = {{2, 0, 0, 0, 0, 0}, {0, 0, 0, 0}};
static_assert(offsetof(EmptyBlock, text) == kStringHeaderBytes, "the text follows the header");

enum { kResourceProbeBytes = 128, kLongResourceBytes = 16384 };

int IsEmptyInstance(const StringHeader *header)
{
    return header == &gEmpty.header;
}

StringHeader *EmptyInstance()
{
    return &gEmpty.header;
}

void TakeEmptyInstance(CountedString *s)
{
    InterlockedIncrement(&gEmpty.header.count);
    s->text = gEmpty.text;
}

void TerminateText(StringHeader *header)
{
    char *text = TextOf(header);
    text[header->length] = 0;
    if (header->wide && header->capacity >= header->length + kStringHeaderBytes + 1)
        text[header->length + 1] = 0;
}

StringHeader *NewStringBlock(int capacity, int wide, int attribute, int codePage)
{
    StringHeader *header = static_cast<StringHeader *>(AllocateBlock(capacity + 1));
    if (!header)
        return nullptr;
    header->count = 1;
    header->length = 0;
    header->capacity = capacity;
    header->wide = (unsigned char)wide;
    header->attribute = (unsigned char)attribute;
    header->codePage = (short)codePage;
    TerminateText(header);
    return header;
}

/* A block sized for n bytes of text; null for a size out of the library's range too. */
static StringHeader *NewBlockForText(int n, int wide, int attribute, int codePage)
{
    if (n < 0 || n > kLongestText)
        return nullptr;
    return NewStringBlock(CapacityWordFor(n), wide, attribute, codePage);
}

/* A copy of the old text and its attributes in a block with the given capacity word. */
static StringHeader *CopyIntoNewBlock(const StringHeader *old, int capacity)
{
    StringHeader *fresh = NewStringBlock(capacity, old->wide, old->attribute, old->codePage);
    if (!fresh)
        return nullptr;
    memcpy(TextOf(fresh), TextOf(old), old->length);
    fresh->length = old->length;
    TerminateText(fresh);
    return fresh;
}

void ReleaseHeader(StringHeader *header)
{
    LibraryLock lock;
    if (header->count > 0 && InterlockedDecrement(&header->count) == 0 && !IsEmptyInstance(header))
        FreeBlock(header, header->capacity + 1);
}

/* s gives up its buffer for a fresh one of its own. */
static void HoldBlock(CountedString *s, StringHeader *fresh)
{
    StringHeader *old = HeaderOf(s);
    s->text = TextOf(fresh);
    ReleaseHeader(old);
}

static void SwapStrings(CountedString *a, CountedString *b)
{
    char *text = a->text;
    a->text = b->text;
    b->text = text;
}

int MakeUnique(CountedString *s, int capacityWord)
{
    StringHeader *old = HeaderOf(s);
    if (old->count < 2 || IsEmptyInstance(old))
        return 1;
    if (capacityWord < 0 || capacityWord > CapacityWordFor(kLongestText))
        return 0;
    if (old->length == 0) {
        TakeEmptyInstance(s);
    } else {
        int needed = CapacityWordFor(old->length);
        int capacity = capacityWord ? capacityWord | 3 : needed;
        StringHeader *fresh = CopyIntoNewBlock(old, capacity < needed ? needed : capacity);
        if (!fresh)
            return 0;
        s->text = TextOf(fresh);
    }
    /* Another holder may have let go meanwhile: whoever brings the count to 0 frees. */
    if (InterlockedDecrement(&old->count) == 0)
        FreeBlock(old, old->capacity + 1);
    return 1;
}

int ReserveString(CountedString *s, int n)
{
    if (n < 0)
        n = 0;
    if (n > kLongestText)
        return 0;
    LibraryLock lock;
    StringHeader *old = HeaderOf(s);
    if (old->count == 1 && old->capacity >= CapacityWordFor(n))
        return 1;
    int m = n > old->length ? n : old->length;
    if (m == 0) {
        TakeEmptyInstance(s);
        ReleaseHeader(old);
        return 1;
    }
    StringHeader *fresh = CopyIntoNewBlock(old, CapacityWordFor(m));
    if (!fresh)
        return 0;
    HoldBlock(s, fresh);
    return 1;
}

int AppendBytes(CountedString *s, const char *bytes, int count)
{
    if (count <= 0)
        return 1;
    StringHeader *header = HeaderOf(s);
    if (header->length > kLongestText - count)
        return 0;
    /* Bytes inside our own text move with it when reserve replaces the block. */
    UINT_PTR from = (UINT_PTR)bytes, start = (UINT_PTR)s->text;
    INT_PTR offset = from >= start && from <= start + header->length ? (INT_PTR)(from - start) : -1;
    if (!ReserveString(s, header->length + count))
        return 0;
    header = HeaderOf(s);
    memmove(TextOf(header) + header->length, offset >= 0 ? TextOf(header) + offset : bytes, count);
    header->length += count;
    TerminateText(header);
    return 1;
}

int AppendWidenedBytes(CountedString *s, const char *bytes, int count)
{
    if (count <= 0)
        return 1;
    StringHeader *old = HeaderOf(s);
    if (count > kLongestText / 2 || old->length > kLongestText - 2 * count)
        return 0;
    int length = old->length + 2 * count;
    StringHeader *fresh = NewBlockForText(length, 1, 0, old->codePage);
    if (!fresh)
        return 0;
    char *text = TextOf(fresh);
    memcpy(text, s->text, old->length);
    for (int i = 0; i < count; ++i) {
        text[old->length + 2 * i] = bytes[i];
        text[old->length + 2 * i + 1] = 0;
    }
    fresh->length = length;
    TerminateText(fresh);
    HoldBlock(s, fresh);
    return 1;
}

CountedString::CountedString()
{
    TakeEmptyInstance(this);
}

CountedString::CountedString(const CountedString &source) : text(source.text)
{
    InterlockedIncrement(&HeaderOf(this)->count);
}

CountedString &CountedString::operator=(const CountedString &source)
{
    AssignString(this, &source);
    return *this;
}

CountedString::~CountedString()
{
    ReleaseHeader(HeaderOf(this));
}

CountedString MakeString(const char *text, int room)
{
    CountedString s;
    int length = text ? (int)strlen(text) : 0;
    int n = length > room ? length : room;
    if (!text || n == 0)
        return s;
    StringHeader *header = NewBlockForText(n, 0, 0, -1);
    if (!header)
        return s;
    memcpy(TextOf(header), text, length);
    header->length = length;
    TerminateText(header);
    HoldBlock(&s, header);
    return s;
}

CountedString MakeStringWithRoom(int room)
{
    CountedString s;
    if (room <= 0)
        return s;
    if (StringHeader *header = NewBlockForText(room, 0, 0, -1))
        HoldBlock(&s, header);
    return s;
}

CountedString MakeFilledString(char byte, int count)
{
    CountedString s;
    if (count <= 0)
        return s;
    StringHeader *header = NewBlockForText(count, 0, 0, -1);
    if (!header)
        return s;
    memset(TextOf(header), byte, count);
    header->length = count;
    TerminateText(header);
    HoldBlock(&s, header);
    return s;
}

int StringLength(const CountedString *s) { return HeaderOf(s)->length; }
int IsWideString(const CountedString *s) { return HeaderOf(s)->wide; }
int StringCodePage(const CountedString *s) { return HeaderOf(s)->codePage; }
int StringAttributeByte(const CountedString *s) { return HeaderOf(s)->attribute; }

void ShareString(CountedString *target, const CountedString *source)
{
    if (target == source)
        return;
    StringHeader *old = HeaderOf(target);
    InterlockedIncrement(&HeaderOf(source)->count);
    target->text = source->text;
    ReleaseHeader(old);
}

char *GetBuffer(CountedString *s, int n)
{
    /* Reserving no room for no text would hand out the shared empty instance: the writer
       gets a small block of its own instead, as attribute-less as that instance. */
    const StringHeader *header = HeaderOf(s);
    if (n <= 0 && header->length == 0 && header->count != 1) {
        StringHeader *fresh = NewBlockForText(0, 0, 0, 0);
        if (!fresh)
            return nullptr;
        HoldBlock(s, fresh);
        return s->text;
    }
    return ReserveString(s, n) ? s->text : nullptr;
}

int ReleaseBuffer(CountedString *s, int n)
{
    StringHeader *header = HeaderOf(s);
    if (n < 0) {
        int room = IsEmptyInstance(header) ? 0 : header->capacity - kStringHeaderBytes;
        const char *end = static_cast<const char *>(memchr(s->text, 0, room + 1));
        n = end ? (int)(end - s->text) : room;
    }
    /* A buffer that is not this string's own is never written: reserve makes it so. */
    if (header->count != 1 || header->capacity < n + kStringHeaderBytes) {
        if (!ReserveString(s, n))
            return 0;
        header = HeaderOf(s);
        if (IsEmptyInstance(header))
            return 1;
    }
    header->length = n;
    TerminateText(header);
    return 1;
}

int ShrinkString(CountedString *s, int slack)
{
    LibraryLock lock;
    StringHeader *old = HeaderOf(s);
    if (IsEmptyInstance(old) || old->count != 1)
        return 0;
    if (old->capacity - old->length - kStringHeaderBytes <= slack)
        return 0;
    StringHeader *fresh = CopyIntoNewBlock(old, CapacityWordFor(old->length));
    if (!fresh)
        return 0;
    s->text = TextOf(fresh);
    FreeBlock(old, old->capacity + 1);
    return 1;
}

int AssignString(CountedString *s, const CountedString *source)
{
    if (s == source)
        return 1;
    CountedString result(*source);
    const StringHeader *header = HeaderOf(&result);
    if (header->wide && header->length == 1 && !AppendWidenedBytes(&result, "", 1))
        return 0;
    SwapStrings(s, &result);
    return 1;
}

int AssignText(CountedString *s, const char *text)
{
    LibraryLock lock;
    int length = text ? (int)strlen(text) : 0;
    if (length == 0) {
        ResetString(s);
        return 1;
    }
    StringHeader *header = HeaderOf(s);
    if (header->count == 1 && !IsEmptyInstance(header) && header->capacity >= length + kStringHeaderBytes) {
        memmove(s->text, text, length);  /* the text may lie in our own buffer */
    } else {
        header = NewBlockForText(length, 0, 0, -1);
        if (!header)
            return 0;
        memcpy(TextOf(header), text, length);
        HoldBlock(s, header);
    }
    header->length = length;
    header->wide = 0;
    header->attribute = 0;
    header->codePage = -1;
    TerminateText(header);
    return 1;
}

int AssignCharacter(CountedString *s, char byte)
{
    LibraryLock lock;
    StringHeader *header = HeaderOf(s);
    if (header->count != 1 || IsEmptyInstance(header) || header->capacity <= kStringHeaderBytes) {
        header = NewBlockForText(1, 0, 0, -1);
        if (!header)
            return 0;
        HoldBlock(s, header);
    }
    s->text[0] = byte;
    header->length = 1;
    header->wide = 0;
    header->attribute = 0;
    header->codePage = -1;
    TerminateText(header);
    return 1;
}

int LoadResourceString(CountedString *s, unsigned id)
{
    HMODULE module = GetModuleHandleA(nullptr);
    char probe[kResourceProbeBytes];
    int loaded = LoadStringA(module, id, probe, sizeof probe);
    if (loaded <= 0)
        return 0;
    if (loaded < kResourceProbeBytes - 1) {
        ClearString(s);
        if (AppendText(s, probe))
            return 1;
        ResetString(s);
        return 0;
    }
    /* The probe was filled: the text may be longer. */
    char *text = GetBuffer(s, kLongResourceBytes);
    if (text) {
        loaded = LoadStringA(module, id, text, kLongResourceBytes + 1);
        if (loaded > 0 && ReleaseBuffer(s, loaded))
            return 1;
    }
    ResetString(s);
    return 0;
}

void ClearString(CountedString *s)
{
    LibraryLock lock;
    StringHeader *header = HeaderOf(s);
    if (IsEmptyInstance(header))
        return;
    if (header->count == 1 && header->capacity <= kKeptOnClearCapacity) {
        header->length = 0;
        TerminateText(header);
        return;
    }
    ResetString(s);
}

void ResetString(CountedString *s)
{
    StringHeader *old = HeaderOf(s);
    TakeEmptyInstance(s);
    ReleaseHeader(old);
}

int AppendText(CountedString *s, const char *text)
{
    if (!text || !*text)
        return 1;
    LibraryLock lock;
    int length = (int)strlen(text);
    if (HeaderOf(s)->wide)
        return AppendWidenedBytes(s, text, length);
    return AppendBytes(s, text, length);
}

int AppendCharacter(CountedString *s, char byte)
{
    LibraryLock lock;
    if (HeaderOf(s)->wide)
        return AppendWidenedBytes(s, &byte, 1);
    return AppendBytes(s, &byte, 1);
}

int AppendString(CountedString *s, const CountedString *other)
{
    LibraryLock lock;
    const StringHeader *operand = HeaderOf(other);
    if (operand->length == 0)
        return 1;
    const StringHeader *receiver = HeaderOf(s);
    if (receiver->wide == operand->wide)
        return AppendBytes(s, other->text, operand->length);
    if (receiver->wide)
        return AppendWidenedBytes(s, other->text, operand->length);
    /* A narrow receiver turns wide first. The work is done on a copy, so that a failure
       leaves the receiver as it was. */
    CountedString result(*s);
    if (!MakeWide(&result, -1) || !AppendBytes(&result, other->text, operand->length))
        return 0;
    /* An empty receiver stays narrow through MakeWide; its new buffer is its own. */
    HeaderOf(&result)->wide = 1;
    TerminateText(HeaderOf(&result));
    SwapStrings(s, &result);
    return 1;
}

int AppendByteRange(CountedString *s, const char *bytes, int offset, int count)
{
    if (count <= 0)
        return 1;
    LibraryLock lock;
    return AppendBytes(s, bytes + offset, count);
}

CountedString Concatenate(const CountedString *left, const CountedString *right)
{
    CountedString result(*left);
    if (!AppendString(&result, right))
        ResetString(&result);
    return result;
}

CountedString Concatenate(const CountedString *left, const char *right)
{
    CountedString result(*left);
    if (!AppendText(&result, right))
        ResetString(&result);
    return result;
}

CountedString Concatenate(const CountedString *left, char right)
{
    CountedString result(*left);
    if (!AppendCharacter(&result, right))
        ResetString(&result);
    return result;
}

/* bytes in front of a wide string: its units (byte, 0) inserted at the start, the wide
   string's attribute byte and code page kept. */
static CountedString WidenInFront(const char *bytes, int count, const CountedString *right)
{
    CountedString result;
    if (count == 0) {
        ShareString(&result, right);
        return result;
    }
    if (!AppendWidenedBytes(&result, bytes, count) || !AppendString(&result, right)) {
        ResetString(&result);
        return result;
    }
    StringHeader *header = HeaderOf(&result);
    header->attribute = HeaderOf(right)->attribute;
    header->codePage = HeaderOf(right)->codePage;
    return result;
}

CountedString Concatenate(const char *left, const CountedString *right)
{
    if (IsWideString(right))
        return WidenInFront(left, left ? (int)strlen(left) : 0, right);
    CountedString result = MakeString(left);
    if ((left && *left && StringLength(&result) == 0) || !AppendString(&result, right))
        ResetString(&result);
    return result;
}

CountedString Concatenate(char left, const CountedString *right)
{
    if (IsWideString(right))
        return WidenInFront(&left, 1, right);
    CountedString result;
    if (!AssignCharacter(&result, left) || !AppendString(&result, right))
        ResetString(&result);
    return result;
}

int ConvertTextToWide(const CountedString *source, CountedString *destination, int codePage)
{
    if (source == destination) {
        CountedString converted;
        if (!ConvertTextToWide(source, &converted, codePage))
            return 0;
        return AssignString(destination, &converted);
    }
    const StringHeader *header = HeaderOf(source);
    if (header->length == 0)
        return 0;
    int units = MultiByteToWideChar(codePage, MB_PRECOMPOSED, source->text, header->length, nullptr, 0);
    if (units <= 0)
        return 0;
    int room = 2 * units + 8;
    char *buffer = GetBuffer(destination, room);
    if (!buffer)
        return 0;
    memset(buffer, 0, room);
    int produced = MultiByteToWideChar(codePage, MB_PRECOMPOSED, source->text, header->length,
                                       reinterpret_cast<wchar_t *>(buffer), units);
    if (produced < 0)
        produced = 0;
    ReleaseBuffer(destination, 2 * produced);
    /* The zero-filled room already holds the zero unit after the text. */
    return 1;
}

int ConvertTextToNarrow(const CountedString *source, CountedString *destination, int codePage)
{
    if (source == destination) {
        CountedString converted;
        if (!ConvertTextToNarrow(source, &converted, codePage))
            return 0;
        return AssignString(destination, &converted);
    }
    if (codePage < 1)
        codePage = kCodePageGbk;
    const wchar_t *units = reinterpret_cast<const wchar_t *>(source->text);
    int count = HeaderOf(source)->length / 2;
    int bytes = WideCharToMultiByte(codePage, 0, units, count, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return 0;
    char *buffer = GetBuffer(destination, bytes + 16);
    if (!buffer)
        return 0;
    int produced = WideCharToMultiByte(codePage, 0, units, count, buffer, bytes, nullptr, nullptr);
    buffer[produced > 0 ? produced : 0] = 0;
    ReleaseBuffer(destination, -1);
    HeaderOf(destination)->codePage = (short)codePage;
    return 1;
}

/* The code page a negative argument stands for: the string's own, or when that is not
   known the one of the script found in its bytes taken as 16-bit units. */
static int CodePageOfText(const StringHeader *header)
{
    if (header->codePage > 0)
        return header->codePage;
    const wchar_t *units = reinterpret_cast<const wchar_t *>(TextOf(header));
    return CodePageOf(DetectScript(units, header->length / 2), 1);
}

int MakeWide(CountedString *s, int codePage)
{
    const StringHeader *header = HeaderOf(s);
    if (header->wide)
        return 0;
    if (header->length == 0)
        return 1;
    if (codePage < 0)
        codePage = CodePageOfText(header);
    CountedString converted;
    if (!ConvertTextToWide(s, &converted, codePage))
        return 0;
    HeaderOf(&converted)->wide = 1;
    SwapStrings(s, &converted);
    return 1;
}

int MakeNarrow(CountedString *s, int codePage)
{
    const StringHeader *header = HeaderOf(s);
    if (!header->wide)
        return 0;
    if (header->length == 0) {
        ResetString(s);
        return 1;
    }
    if (codePage < 0)
        codePage = CodePageOfText(header);
    CountedString converted;
    if (!ConvertTextToNarrow(s, &converted, codePage))
        return 0;
    SwapStrings(s, &converted);
    return 1;
}

int RefreshCodePage(CountedString *s, int force)
{
    const StringHeader *header = HeaderOf(s);
    if (!header->wide)
        return 0;
    if (!force && header->codePage >= 1 && header->codePage != kCodePageWestern)
        return 0;
    int script = DetectScript(reinterpret_cast<const wchar_t *>(s->text), header->length / 2);
    if (script == kNoScript)
        return 0;
    int codePage = CodePageOf(script, 1);
    /* The code page is part of the buffer: a shared one is copied before it changes. */
    if (header->codePage != codePage) {
        if (!MakeUnique(s))
            return 0;
        HeaderOf(s)->codePage = (short)codePage;
    }
    return 1;
}

static void PutLittleEndian32(unsigned char *bytes, int value)
{
    for (int i = 0; i < 4; ++i)
        bytes[i] = (unsigned char)((unsigned)value >> (8 * i));
}

static int GetLittleEndian32(const unsigned char *bytes)
{
    return (int)(bytes[0] | bytes[1] << 8 | bytes[2] << 16 | (unsigned)bytes[3] << 24);
}

int WriteString(const CountedString *s, FILE *stream)
{
    const StringHeader *header = HeaderOf(s);
    unsigned char head[4];
    PutLittleEndian32(head, header->length);
    unsigned char tail[4] = {header->wide, header->attribute, (unsigned char)(header->codePage & 0xFF),
                             (unsigned char)((header->codePage >> 8) & 0xFF)};
    size_t length = (size_t)header->length;
    if (fwrite(head, 1, 4, stream) != 4 || (length && fwrite(s->text, 1, length, stream) != length) ||
        fwrite(tail, 1, 4, stream) != 4)
        return 0;
    return 1;
}

int ReadString(CountedString *s, FILE *stream)
{
    unsigned char head[4], tail[4];
    if (fread(head, 1, 4, stream) != 4) {
        ResetString(s);
        return 0;
    }
    int length = GetLittleEndian32(head);
    if (length < 0) {
        ResetString(s);
        return -1;
    }
    if (length >= kLongestText || !ReserveString(s, length + 1) ||
        (length && fread(s->text, 1, (size_t)length, stream) != (size_t)length) ||
        fread(tail, 1, 4, stream) != 4) {
        ResetString(s);
        return 0;
    }
    StringHeader *header = HeaderOf(s);
    header->wide = tail[0] != 0;
    header->attribute = tail[1];
    header->codePage = (short)(tail[2] | tail[3] << 8);
    header->length = length;
    TerminateText(header);
    return 1;
}
