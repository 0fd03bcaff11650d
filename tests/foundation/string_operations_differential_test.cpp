/* The text operations against plain reference implementations on random texts and
   random indices (negative and past the end too): single-byte narrow text against
   std::string, double-byte text against a reference walker that splits the bytes into
   characters, wide text against std::u16string. Every edit runs on a string that shares
   its buffer with another, which must keep its text. Fixed seeds. */
#include <gtest/gtest.h>

#include <limits.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "foundation/string_operations.h"
#include "string_test_helpers.h"

namespace {

enum { kAttribute = 5 };

/* The text in a buffer of its own that carries the attributes, even when it is empty. */
CountedString NarrowString(const std::string &bytes, int codePage)
{
    CountedString s;
    GetBuffer(&s, (int)bytes.size() + 2);
    AppendByteRange(&s, bytes.data(), 0, (int)bytes.size());
    SetCodePage(&s, codePage);
    HeaderOf(&s)->attribute = kAttribute;
    return s;
}

CountedString WideString(const std::u16string &units)
{
    CountedString s = NarrowString(std::string(reinterpret_cast<const char *>(units.data()), 2 * units.size()), 0);
    HeaderOf(&s)->wide = 1;
    return s;
}

std::u16string Units(const CountedString &s)
{
    return std::u16string(reinterpret_cast<const char16_t *>(s.text), StringLength(&s) / 2);
}

std::u16string Widened(const std::string &bytes)
{
    std::u16string units;
    for (char byte : bytes)
        units += (char16_t)(unsigned char)byte;
    return units;
}

struct Random {
    std::mt19937 engine;
    explicit Random(unsigned seed) : engine(seed) {}
    int Below(int n) { return (int)(engine() % (unsigned)n); }
    /* An index around a text of n characters, now and then a far one. */
    int Index(int n)
    {
        static const int kFar[] = {INT_MIN, -1000000, 1000000, INT_MAX};
        if (Below(12) == 0)
            return kFar[Below(4)];
        return Below(n + 11) - 5;
    }
    std::string Text(const char *alphabet, int longest)
    {
        std::string text;
        int length = Below(longest + 1), letters = (int)strlen(alphabet);
        for (int i = 0; i < length; ++i)
            text += alphabet[Below(letters)];
        return text;
    }
};

/* Clamps as the operations do: a negative start is 0. */
long long Start(int index) { return index < 0 ? 0 : index; }

std::string AsciiLower(std::string text)
{
    for (char &c : text)
        if (c >= 'A' && c <= 'Z')
            c += 'a' - 'A';
    return text;
}

std::string AsciiUpper(std::string text)
{
    for (char &c : text)
        if (c >= 'a' && c <= 'z')
            c -= 'a' - 'A';
    return text;
}

int Sign(int value) { return (value > 0) - (value < 0); }

/* A std::string or std::u16string search result as an index, -1 for none. */
int Found(size_t found) { return found == std::string::npos ? -1 : (int)found; }

/* Far widths and counts would have the references build texts of gigabytes. */
int Modest(int count) { return count > 100 ? count % 50 : count; }

/* Every a in text, from the left and not overlapping, replaced by b; *count of them. */
template <class Text> Text ReferenceReplace(const Text &text, const Text &a, const Text &b, int *count)
{
    Text out;
    size_t p = 0;
    *count = 0;
    while (p + a.size() <= text.size()) {
        if (text.compare(p, a.size(), a) == 0) {
            out += b;
            p += a.size();
            ++*count;
        } else {
            out += text[p++];
        }
    }
    return out + text.substr(p);
}

/* The edits whose reference is alike for bytes and for units, numbered 0 to
   kSharedEdits - 1: runs one on s, whose text is text, and gives the edit's answer;
   *expected and *expectedResult are what the reference makes of text. The byte that a
   byte edit takes stands in wide text for the unit of its value. */
enum { kSharedEdits = 10 };

template <class Text>
int SharedEdit(int edit, CountedString *s, const Text &text, int index, int count, char byte, Text *expected,
               int *expectedResult)
{
    typedef typename Text::value_type Unit;
    const Unit unit = (unsigned char)byte;
    const int size = (int)text.size();
    const long long at = std::min<long long>(Start(index), size);
    *expected = text;
    *expectedResult = 0;
    switch (edit) {
    case 0:
        TruncateString(s, index);
        *expected = text.substr(0, at);
        return 0;
    case 1:
        if (count > 0)
            expected->erase(at, count);
        *expectedResult = (int)expected->size();
        return DeleteCharacters(s, index, count);
    case 2:
        expected->erase(0, std::max(count, 0));
        *expectedResult = (int)expected->size();
        return DeleteFirst(s, count);
    case 3:
        *expected = count <= 0 ? text : text.substr(0, std::max(size - count, 0));
        *expectedResult = (int)expected->size();
        return DeleteLast(s, count);
    case 4:
        count = Modest(count);
        expected->append(std::max(count, 0), unit);
        *expectedResult = (int)expected->size();
        return AppendCopies(s, byte, count);
    case 5:
        expected->erase(std::remove(expected->begin(), expected->end(), unit), expected->end());
        *expectedResult = size - (int)expected->size();
        return RemoveByte(s, byte);
    case 6:
        expected->erase(std::remove_if(expected->begin(), expected->end(), [](Unit c) { return c < '0' || c > '9'; }),
                        expected->end());
        *expectedResult = (int)expected->size();
        return KeepDigits(s);
    case 7:
        std::replace(expected->begin(), expected->end(), unit, Unit('Q'));
        *expectedResult = (int)std::count(text.begin(), text.end(), unit);
        return ReplaceByte(s, byte, 'Q');
    case 8:
        std::reverse(expected->begin(), expected->end());
        ReverseString(s);
        return 0;
    case 9:
        *expectedResult = index >= 0 && index < size ? index : -1;
        if (*expectedResult >= 0)
            (*expected)[index] = unit;
        return SetByteAt(s, index, byte);
    }
    return 0;
}

/* ---- Single-byte narrow text ------------------------------------------------------ */

const char kNarrowAlphabet[] = "aAbBzZ09 \t\r\n.\\@\xC4\xE9\x81";
const char *const kSets[] = {"a", "\r\n \t", "aZ9", ".\\", "\xE9", "xyz", ""};
const char *const kNeedles[] = {"a", "ab", "AB", "\\", ".a", "\r\n", "\xE9" "a", "zz", "aaa"};
const int kSingleByteCodePages[] = {-1, 0, 1252};

TEST(NarrowDifferential, SearchesAndComparisonsMatchStdString)
{
    Random random(7001);
    for (int round = 0; round < 20000; ++round) {
        std::string text = random.Text(kNarrowAlphabet, 30);
        int size = (int)text.size();
        CountedString s = NarrowString(text, kSingleByteCodePages[random.Below(3)]);
        char byte = kNarrowAlphabet[random.Below(sizeof kNarrowAlphabet - 1)];
        std::string needle = random.Below(5) ? kNeedles[random.Below(9)] : text.substr(random.Below(size + 1), 3);
        const char *set = kSets[random.Below(7)];
        int start = random.Index(size);
        SCOPED_TRACE("text \"" + text + "\" start " + std::to_string(start) + " byte " + byte + " needle \"" + needle +
                     "\" set \"" + set + "\"");

        bool inside = Start(start) < size;
        EXPECT_EQ(inside ? Found(text.find(byte, Start(start))) : -1, FindCharacter(&s, byte, start));
        EXPECT_EQ(inside ? Found(text.find(needle, Start(start))) : -1, FindText(&s, needle.c_str(), start));
        CountedString needleString = MakeString(needle.c_str());
        EXPECT_EQ(inside ? Found(text.find(needle, Start(start))) : -1, FindString(&s, &needleString, start));
        EXPECT_EQ(inside ? Found(AsciiLower(text).find(AsciiLower(needle), Start(start))) : -1,
                  FindTextIgnoringCase(&s, needle.c_str(), start));
        EXPECT_EQ(inside ? Found(text.find_first_of(set, Start(start))) : -1, FindByteOfSet(&s, set, start));
        EXPECT_EQ(Found(text.find_first_of(set)), FindAnyByte(&s, set));

        /* Reverse searches look wholly below the start; from the end past it. */
        long long limit = std::min<long long>(Start(start), size);
        EXPECT_EQ(limit == 0 ? -1 : Found(text.rfind(byte, limit - 1)), ReverseFindCharacter(&s, byte, start));
        long long last = limit - (long long)needle.size();
        EXPECT_EQ(needle.empty() ? (int)limit - 1 : last < 0 ? -1 : Found(text.rfind(needle, last)),
                  ReverseFindTextFrom(&s, needle.c_str(), start));
        EXPECT_EQ(needle.empty() ? size - 1 : Found(text.rfind(needle)), ReverseFindText(&s, needle.c_str()));
        EXPECT_EQ(size == 0 ? -1 : Found(text.find_last_of(set, std::min<long long>(Start(start), size - 1))),
                  ReverseFindByteOfSet(&s, set, start));

        EXPECT_EQ(needle == text, IsEqualToText(&s, needle.c_str()) != 0);
        EXPECT_EQ(needle == text, IsEqualToString(&s, &needleString) != 0);
        int n = random.Index(6);
        if (n >= 0 && n < 100) {
            std::string ours = AsciiLower(text.substr(0, n)), theirs = AsciiLower(needle.substr(0, n));
            EXPECT_EQ(Sign(ours.compare(theirs)), Sign(ComparePrefixIgnoringCase(&s, needle.c_str(), n))) << n;
        }
    }
}

TEST(NarrowDifferential, ExtractionsMatchStdString)
{
    Random random(7002);
    for (int round = 0; round < 20000; ++round) {
        /* No high bytes here: taking the right part walks pairs in any code page. */
        std::string text = random.Text("aAbZ09 .\\x", 30);
        int size = (int)text.size();
        CountedString s = NarrowString(text, kSingleByteCodePages[random.Below(3)]);
        int start = random.Index(size), count = random.Index(size);
        SCOPED_TRACE("text \"" + text + "\" start " + std::to_string(start) + " count " + std::to_string(count));

        std::string middle = count <= 0 || Start(start) >= size ? "" : text.substr(Start(start), count);
        EXPECT_EQ(middle, Bytes(ExtractSubstring(&s, start, count)));
        EXPECT_EQ(count <= 0 ? "" : text.substr(0, count), Bytes(ExtractLeft(&s, count)));
        EXPECT_EQ(Start(start) >= size ? "" : text.substr(Start(start)), Bytes(ExtractTail(&s, start)));
        EXPECT_EQ(count <= 0 ? "" : count >= size ? text : text.substr(size - count), Bytes(ExtractRight(&s, count)));

        size_t slash = text.rfind('\\');
        std::string name = slash == std::string::npos ? text : text.substr(slash + 1);
        EXPECT_EQ(name, Bytes(ExtractFileName(&s, 0)));
        EXPECT_EQ(name.substr(0, name.rfind('.')), Bytes(ExtractFileName(&s, 1)));

        EXPECT_EQ(start >= 0 && start < size ? (unsigned char)text[start] : 0, CharacterAt(&s, start));
        EXPECT_EQ(size ? (unsigned char)text.back() : 0, LastByte(&s));
        int lineBreak = start < 0 || start >= size ? 0
                        : text.compare(start, 2, "\r\n") == 0          ? 2
                        : text[start] == '\r' || text[start] == '\n'   ? 1
                                                                       : 0;
        EXPECT_EQ(lineBreak, LineBreakAt(&s, start));
        EXPECT_EQ(size, CountCharacters(&s));
    }
}

TEST(NarrowDifferential, EditsMatchStdStringAndSpareTheSharer)
{
    Random random(7003);
    enum { kEdits = 12 + kSharedEdits };
    for (int round = 0; round < 30000; ++round) {
        std::string text = random.Text(kNarrowAlphabet, 30);
        int size = (int)text.size(), codePage = kSingleByteCodePages[random.Below(3)];
        CountedString s = NarrowString(text, codePage), sharer(s);
        int index = random.Index(size), count = random.Index(size);
        char byte = kNarrowAlphabet[random.Below(sizeof kNarrowAlphabet - 1)];
        std::string operand = kNeedles[random.Below(9)], other = random.Text("ab\xE9", 3);
        const char *set = kSets[random.Below(7)];
        int edit = round % kEdits;
        SCOPED_TRACE("edit " + std::to_string(edit) + " text \"" + text + "\" index " + std::to_string(index) +
                     " count " + std::to_string(count) + " byte " + byte + " operand \"" + operand + "\" other \"" +
                     other + "\" set \"" + set + "\"");

        std::string expected = text;
        long long at = std::min<long long>(Start(index), size);
        int result = 0, expectedResult = 0;
        bool attributesKept = true;
        switch (edit) {
        case 0:
            result = InsertCharacter(&s, index, byte);
            expected.insert(at, 1, byte);
            expectedResult = size + 1;
            break;
        case 1:
            result = InsertText(&s, index, operand.c_str());
            expected.insert(at, operand);
            expectedResult = (int)expected.size();
            break;
        case 2:
            TrimLeft(&s, set);
            expected = text.substr(std::min(text.find_first_not_of(set), text.size()));
            break;
        case 3:
            TrimRight(&s, set);
            expected = text.substr(0, text.find_last_not_of(set) + 1);
            break;
        case 4:
            TrimLeft(&s);
            TrimRight(&s);
            expected = text.substr(std::min(text.find_first_not_of("\r\n \t"), text.size()));
            expected = expected.substr(0, expected.find_last_not_of("\r\n \t") + 1);
            break;
        case 5: {
            int trim = random.Below(2), front = random.Below(2);
            count = Modest(count);
            result = FitToWidth(&s, count, trim, front);
            if (trim) {
                expected = text.substr(std::min(text.find_first_not_of("\r\n \t"), text.size()));
                expected = expected.substr(0, expected.find_last_not_of("\r\n \t") + 1);
                /* Trimmed away entirely, the text was cleared before the padding. */
                attributesKept = !expected.empty();
            }
            int width = std::max(count, 0);
            expectedResult = width - (int)expected.size();
            if (expectedResult < 0)
                expected.resize(width);
            else
                expected.insert(front ? 0 : expected.size(), expectedResult, '0');
            break;
        }
        case 6:
            result = ReplaceText(&s, operand.c_str(), other.c_str());
            expected = ReferenceReplace(text, operand, other, &expectedResult);
            break;
        case 7: {
            CountedString a = MakeString(operand.c_str()), b = MakeString(other.c_str());
            result = ReplaceString(&s, &a, &b);
            expected = ReferenceReplace(text, operand, other, &expectedResult);
            break;
        }
        case 8:
            MakeLower(&s);
            expected = AsciiLower(text);
            break;
        case 9:
            MakeUpper(&s);
            expected = AsciiUpper(text);
            break;
        case 10: {
            CountedString kept = KeepSpanExcluding(&s, set);
            expected = text.substr(0, std::min(text.find_first_of(set), text.size()));
            EXPECT_EQ(kept.text, s.text);
            break;
        }
        case 11: {
            CountedString kept = KeepSpanIncluding(&s, set);
            expected = text.substr(0, std::min(text.find_first_not_of(set), text.size()));
            EXPECT_EQ(kept.text, s.text);
            break;
        }
        default:
            result = SharedEdit(edit - 12, &s, text, index, count, byte, &expected, &expectedResult);
        }
        EXPECT_EQ(expected, Bytes(s));
        EXPECT_EQ(expectedResult, result);
        EXPECT_EQ(text, Bytes(sharer)) << "the sharer's text changed";
        if (!expected.empty() && attributesKept) {
            EXPECT_EQ(codePage, StringCodePage(&s));
            EXPECT_EQ(kAttribute, StringAttributeByte(&s));
            EXPECT_EQ(0, s.text[StringLength(&s)]) << "the text ends in a zero byte";
        }
    }
}

TEST(NarrowDifferential, IndentationCountsLeadingTabsAndSpaces)
{
    Random random(7004);
    for (int round = 0; round < 500; ++round) {
        std::string text = random.Text(" \t\t a", 12);
        int tab = random.Below(9), columns = 0;
        for (char c : text) {
            if (c != ' ' && c != '\t')
                break;
            columns += c == '\t' ? tab : 1;
        }
        CountedString s = NarrowString(text, -1);
        EXPECT_EQ(columns, MeasureIndentation(&s, tab)) << text;
    }
}

/* ---- Double-byte narrow text ------------------------------------------------------- */

/* The pair rule of each code page, written out plainly. */
bool StartsPair(unsigned char a, unsigned char b, int codePage)
{
    if (codePage == 936)
        return a >= 0x81 && a <= 0xFE && b >= 0x40 && b <= 0xFE && b != 0x7F;
    if (codePage == 950)
        return a >= 0xA1 && a <= 0xFA && b >= 0x40 && b <= 0xFE;
    return a >= 0x80;
}

std::vector<std::string> Characters(const std::string &text, int codePage)
{
    std::vector<std::string> characters;
    for (size_t p = 0; p < text.size();) {
        size_t step = p + 1 < text.size() && StartsPair(text[p], text[p + 1], codePage) ? 2 : 1;
        characters.push_back(text.substr(p, step));
        p += step;
    }
    return characters;
}

std::string Join(const std::vector<std::string> &characters, long long from, long long to)
{
    std::string text;
    for (long long k = std::max(from, 0LL); k < to && k < (long long)characters.size(); ++k)
        text += characters[k];
    return text;
}

/* Byte offset of character k, the length past the end. */
size_t OffsetOf(const std::vector<std::string> &characters, long long k)
{
    return Join(characters, 0, k).size();
}

/* Random bytes of a double-byte code page: ASCII that passes for trail bytes (@, letters,
   backslash), high bytes that lead or do not, and a lead byte now and then at the end. */
std::string DoubleByteText(Random &random, int longest)
{
    static const char kAscii[] = "@AZaz\\.09 \x7F";
    std::string text;
    int length = random.Below(longest + 1);
    for (int i = 0; i < length; ++i)
        text += random.Below(2) ? kAscii[random.Below(sizeof kAscii - 1)] : (char)(0x80 + random.Below(128));
    if (random.Below(4) == 0)
        text += (char)(0xA1 + random.Below(0x5A));  /* a lead byte in all four, with nothing after it */
    return text;
}

const int kDoubleByteCodePages[] = {936, 950, 932, 949};

TEST(DoubleByteDifferential, WalkedOperationsMatchAReferenceWalker)
{
    Random random(7101);
    for (int round = 0; round < 30000; ++round) {
        int codePage = kDoubleByteCodePages[round % 4];
        std::string text = DoubleByteText(random, 24);
        std::vector<std::string> chars = Characters(text, codePage);
        int count = (int)chars.size();
        CountedString s = NarrowString(text, codePage);
        int start = random.Index(count), n = random.Index(count);
        std::string needle = random.Below(2) ? DoubleByteText(random, 3)
                                             : text.substr(random.Below((int)text.size() + 1), 1 + random.Below(3));
        char byte = needle.empty() ? 'a' : needle[0];
        SCOPED_TRACE(::testing::Message() << "code page " << codePage << " round " << round << " start " << start
                                          << " n " << n);

        EXPECT_EQ(count, CountWholeCharacters(&s));
        long long from = Start(start), limit = std::min<long long>(from, count);

        int found = -1;
        for (long long k = from; k < count && found < 0; ++k)
            if (chars[k].size() == 1 && chars[k][0] == byte)
                found = (int)k;
        EXPECT_EQ(found, FindCharacter(&s, byte, start));

        found = -1;
        for (long long k = 0; k < limit; ++k)
            if (chars[k].size() == 1 && chars[k][0] == byte)
                found = (int)k;
        EXPECT_EQ(found, ReverseFindCharacter(&s, byte, start));

        CountedString needleString = NarrowString(needle, codePage);
        found = -1;
        for (long long k = from; k < count && found < 0; ++k)
            if (text.compare(OffsetOf(chars, k), needle.size(), needle) == 0)
                found = (int)k;
        EXPECT_EQ(found, FindString(&s, &needleString, start));

        found = needle.empty() ? (int)limit - 1 : -1;
        for (long long k = 0; k < limit && !needle.empty(); ++k)
            if (OffsetOf(chars, k) + needle.size() <= OffsetOf(chars, limit) &&
                text.compare(OffsetOf(chars, k), needle.size(), needle) == 0)
                found = (int)k;
        EXPECT_EQ(found, ReverseFindTextFrom(&s, needle.c_str(), start));

        EXPECT_EQ(n <= 0 ? "" : Join(chars, from, from + n), Bytes(ExtractSubstring(&s, start, n)));
        EXPECT_EQ(n <= 0 ? "" : Join(chars, 0, n), Bytes(ExtractLeft(&s, n)));
        EXPECT_EQ(Join(chars, from, count), Bytes(ExtractTail(&s, start)));
        EXPECT_EQ(n <= 0 ? "" : Join(chars, count - std::min(n, count), count), Bytes(ExtractRight(&s, n)));

        int slash = -1, dot = -1;
        for (int k = 0; k < count; ++k) {
            if (chars[k] == "\\")
                slash = k, dot = -1;
            else if (chars[k] == ".")
                dot = k;
        }
        EXPECT_EQ(Join(chars, slash + 1, count), Bytes(ExtractFileName(&s, 0)));
        EXPECT_EQ(Join(chars, slash + 1, dot >= 0 ? dot : count), Bytes(ExtractFileName(&s, 1)));

        if (n >= 0 && n < 100) {
            std::string ours = AsciiLower(Join(chars, 0, n).substr(0, n)), theirs = AsciiLower(needle.substr(0, n));
            /* The C comparison stops at the first zero byte, which only the needle's end has. */
            EXPECT_EQ(Sign(ours.compare(theirs)), Sign(ComparePrefixIgnoringCase(&s, needle.c_str(), n)));
        }

        /* The text searches from a byte index walk GBK pairs whatever the code page. */
        std::vector<std::string> gbk = Characters(text, 936);
        int byteStart = random.Index((int)text.size());
        if (!needle.empty()) {
            int exact = -1, folded = -1;
            for (size_t k = 0, p = 0; k < gbk.size(); p += gbk[k++].size()) {
                if ((long long)p < Start(byteStart))
                    continue;
                if (exact < 0 && text.compare(p, needle.size(), needle) == 0)
                    exact = (int)p;
                if (folded < 0 && AsciiLower(text.substr(p, needle.size())) == AsciiLower(needle))
                    folded = (int)p;
            }
            EXPECT_EQ(exact, FindTextAtCharacter(&s, needle.c_str(), byteStart, 0));
            EXPECT_EQ(folded, FindTextAtCharacter(&s, needle.c_str(), byteStart, 1));
        }
    }
}

TEST(DoubleByteDifferential, TakingTheRightPartPairsHighBytesInAnyCodePage)
{
    Random random(7102);
    const int codePages[] = {936, 950, 932, 949, 1252, -1, 0};
    for (int round = 0; round < 15000; ++round) {
        int codePage = codePages[round % 7];
        std::string text = DoubleByteText(random, 20);
        std::vector<std::string> chars = Characters(text, codePage);
        int count = (int)chars.size(), n = random.Index(count);
        CountedString s = NarrowString(text, codePage);
        EXPECT_EQ(n <= 0 ? "" : Join(chars, count - std::min(n, count), count), Bytes(ExtractRight(&s, n)))
            << "code page " << codePage << " n " << n;
    }
}

TEST(DoubleByteDifferential, EditsKeepWholeCharactersAndSpareTheSharer)
{
    Random random(7103);
    enum { kEdits = 6 };
    for (int round = 0; round < 30000; ++round) {
        int codePage = kDoubleByteCodePages[random.Below(4)];
        std::string text = DoubleByteText(random, 24);
        std::vector<std::string> chars = Characters(text, codePage);
        int count = (int)chars.size();
        CountedString s = NarrowString(text, codePage), sharer(s);
        int index = random.Index(count), n = random.Index(count);
        std::string operand = DoubleByteText(random, 4);
        long long at = std::min<long long>(Start(index), count);
        int edit = round % kEdits, result = 0, expectedResult = 0;
        std::string expected;
        SCOPED_TRACE(::testing::Message() << "edit " << edit << " code page " << codePage << " round " << round
                                          << " index " << index << " n " << n);
        switch (edit) {
        case 0:
            result = InsertText(&s, index, operand.c_str());
            expected = Join(chars, 0, at) + operand + Join(chars, at, count);
            expectedResult = (int)expected.size();
            break;
        case 1:
            result = DeleteCharacters(&s, index, n);
            expected = n <= 0 ? text : Join(chars, 0, at) + Join(chars, at + n, count);
            expectedResult = (int)Characters(expected, codePage).size();
            break;
        case 2: {
            n = Modest(n);
            int width = std::max(n, 0);
            result = FitToWidth(&s, n, 0, 0);
            expectedResult = width - (int)text.size();
            expected = text;
            if (expectedResult > 0)
                expected.append(expectedResult, '0');
            for (int k = count; expectedResult < 0 && (int)expected.size() > width; --k)
                expected = Join(chars, 0, k);
            break;
        }
        case 3:
        case 4:
            for (const std::string &c : chars)
                expected += c.size() == 2 ? c : edit == 3 ? AsciiLower(c) : AsciiUpper(c);
            edit == 3 ? MakeLower(&s) : MakeUpper(&s);
            break;
        case 5:
            for (int k = count - 1; k >= 0; --k)
                expected += chars[k];
            ReverseString(&s);
            break;
        }
        EXPECT_EQ(expected, Bytes(s));
        EXPECT_EQ(expectedResult, result);
        EXPECT_EQ(text, Bytes(sharer)) << "the sharer's text changed";
    }
}

/* ---- Wide text -------------------------------------------------------------------- */

/* Units below 256 and above, some of whose low bytes pass for ASCII letters. */
const char16_t kWideAlphabet[] = u"aAzZ09 \t\r\n.\\\u00C0\u0141\u2061\u4E2D\u0161";

std::u16string WideText(Random &random, int longest)
{
    std::u16string text;
    int length = random.Below(longest + 1);
    for (int i = 0; i < length; ++i)
        text += kWideAlphabet[random.Below(sizeof kWideAlphabet / 2 - 1)];
    return text;
}

std::u16string FoldAscii(std::u16string text)
{
    for (char16_t &c : text)
        if (c >= u'A' && c <= u'Z')
            c += u'a' - u'A';
    return text;
}

const char *const kNarrowOperands[] = {"a", "A", "\\", "aa", "0", "\r\n", ""};

TEST(WideDifferential, SearchesAndExtractionsMatchStdU16String)
{
    Random random(7201);
    for (int round = 0; round < 20000; ++round) {
        std::u16string text = WideText(random, 24);
        int size = (int)text.size();
        CountedString s = WideString(text);
        int start = random.Index(size), n = random.Index(size);
        std::u16string needle = random.Below(3) ? WideText(random, 2) : text.substr(random.Below(size + 1), 2);
        std::string narrow = kNarrowOperands[random.Below(7)];
        char byte = narrow.empty() ? 'a' : narrow[0];
        std::wstring needleUnits(needle.begin(), needle.end());
        SCOPED_TRACE(::testing::Message() << "round " << round << " start " << start << " n " << n);

        long long from = Start(start), limit = std::min<long long>(from, size);
        bool inside = from < size;
        EXPECT_EQ(inside ? Found(text.find((char16_t)(unsigned char)byte, from)) : -1, FindCharacter(&s, byte, start));
        EXPECT_EQ(limit ? Found(text.rfind((char16_t)(unsigned char)byte, limit - 1)) : -1,
                  ReverseFindCharacter(&s, byte, start));
        CountedString needleString = WideString(needle);
        EXPECT_EQ(inside ? Found(text.find(needle, from)) : -1, FindString(&s, &needleString, start));
        EXPECT_EQ(inside ? Found(text.find(needle, from)) : -1, FindWideText(&s, needleUnits.c_str(), start, 0));
        EXPECT_EQ(inside ? Found(FoldAscii(text).find(FoldAscii(needle), from)) : -1,
                  FindWideText(&s, needleUnits.c_str(), start, 1));

        long long last = std::min<long long>(from, size - 1) - (long long)needle.size() + 1;
        int reverse = size == 0 || needle.empty() || last < 0 ? -1 : Found(text.rfind(needle, last));
        int reverseFolded = size == 0 || needle.empty() || last < 0 ? -1 : Found(FoldAscii(text).rfind(FoldAscii(needle), last));
        EXPECT_EQ(reverse, ReverseFindWideText(&s, needleUnits.c_str(), start, 0));
        EXPECT_EQ(reverseFolded, ReverseFindWideText(&s, needleUnits.c_str(), start, 1));

        std::u16string widened = Widened(narrow);
        long long end = limit - (long long)widened.size();
        EXPECT_EQ(widened.empty() ? (int)limit - 1 : end < 0 ? -1 : Found(text.rfind(widened, end)),
                  ReverseFindTextFrom(&s, narrow.c_str(), start));

        EXPECT_EQ(n <= 0 || from >= size ? u"" : text.substr(from, n), Units(ExtractSubstring(&s, start, n)));
        EXPECT_EQ(n <= 0 ? u"" : text.substr(0, n), Units(ExtractLeft(&s, n)));
        EXPECT_EQ(from >= size ? u"" : text.substr(from), Units(ExtractTail(&s, start)));
        EXPECT_EQ(n <= 0 ? u"" : n >= size ? text : text.substr(size - n), Units(ExtractRight(&s, n)));
        CountedString part = ExtractSubstring(&s, start, n);
        if (StringLength(&part)) {
            EXPECT_EQ(1, IsWideString(&part));
            EXPECT_EQ(kAttribute, StringAttributeByte(&part));
        }
        size_t slash = text.rfind(u'\\');
        std::u16string name = slash == std::u16string::npos ? text : text.substr(slash + 1);
        EXPECT_EQ(name, Units(ExtractFileName(&s, 0)));
        EXPECT_EQ(name.substr(0, name.rfind(u'.')), Units(ExtractFileName(&s, 1)));

        EXPECT_EQ(start >= 0 && start < size ? text[start] : 0, CharacterAt(&s, start));
        int lineBreak = start < 0 || start >= size ? 0
                        : text.compare(start, 2, u"\r\n") == 0          ? 2
                        : text[start] == u'\r' || text[start] == u'\n'  ? 1
                                                                        : 0;
        EXPECT_EQ(lineBreak, LineBreakAt(&s, start));
        EXPECT_EQ(size, CountCharacters(&s));
        EXPECT_EQ(size, CountWholeCharacters(&s));
    }
}

TEST(WideDifferential, EditsWorkOnUnitsAndSpareTheSharer)
{
    Random random(7202);
    enum { kEdits = 11 + kSharedEdits };
    const std::u16string blanks = u"\r\n \t";
    for (int round = 0; round < 30000; ++round) {
        std::u16string text = WideText(random, 24);
        int size = (int)text.size();
        CountedString s = WideString(text), sharer(s);
        int index = random.Index(size), count = random.Index(size);
        std::string narrow = kNarrowOperands[random.Below(7)];
        char byte = narrow.empty() ? 'a' : narrow[0];
        char16_t unit = (unsigned char)byte;
        std::u16string a = WideText(random, 2), b = WideText(random, 3);
        long long at = std::min<long long>(Start(index), size);
        int edit = round % kEdits, result = 0, expectedResult = 0;
        std::u16string expected = text;
        SCOPED_TRACE(::testing::Message() << "edit " << edit << " round " << round << " index " << index << " count "
                                          << count << " narrow \"" << narrow << "\"");
        switch (edit) {
        case 0:
            result = InsertCharacter(&s, index, byte);
            expected.insert(at, 1, unit);
            expectedResult = 2 * (int)expected.size();
            break;
        case 1:
            result = InsertText(&s, index, narrow.c_str());
            expected.insert(at, Widened(narrow));
            expectedResult = 2 * (int)expected.size();
            break;
        case 2:
            TrimLeft(&s);
            expected = text.substr(std::min(text.find_first_not_of(blanks), text.size()));
            break;
        case 3:
            TrimRight(&s, "a\\");
            expected = text.substr(0, text.find_last_not_of(u"a\\") + 1);
            break;
        case 4: {
            count = Modest(count);
            int front = random.Below(2), width = std::max(count, 0);
            result = FitToWidth(&s, count, 0, front);
            expectedResult = width - size;
            if (expectedResult < 0)
                expected.resize(width);
            else
                expected.insert(front ? 0 : expected.size(), expectedResult, u'0');
            break;
        }
        case 5: {
            CountedString wideA = WideString(a), wideB = WideString(b);
            result = ReplaceString(&s, &wideA, &wideB);
            expected = a.empty() ? text : ReferenceReplace(text, a, b, &expectedResult);
            break;
        }
        case 6:
            result = ReplaceText(&s, narrow.c_str(), "bb");
            expected = narrow.empty() ? text : ReferenceReplace(text, Widened(narrow), std::u16string(u"bb"), &expectedResult);
            break;
        case 7:
        case 8:
            for (char16_t &c : expected)
                if (edit == 7 ? c >= u'A' && c <= u'Z' : c >= u'a' && c <= u'z')
                    c = edit == 7 ? c + 32 : c - 32;
            edit == 7 ? MakeLower(&s) : MakeUpper(&s);
            break;
        case 9: {
            CountedString kept = KeepSpanExcluding(&s, "\\.");
            expected = text.substr(0, std::min(text.find_first_of(u"\\."), text.size()));
            EXPECT_EQ(kept.text, s.text);
            break;
        }
        case 10:
            result = MeasureIndentation(&s, 4);
            for (char16_t c : text) {
                if (c != u' ' && c != u'\t')
                    break;
                expectedResult += c == u'\t' ? 4 : 1;
            }
            break;
        default:
            result = SharedEdit(edit - 11, &s, text, index, count, byte, &expected, &expectedResult);
        }
        EXPECT_EQ(expected, Units(s));
        EXPECT_EQ(expectedResult, result);
        EXPECT_EQ(text, Units(sharer)) << "the sharer's text changed";
        if (!expected.empty()) {
            EXPECT_EQ(1, IsWideString(&s));
            EXPECT_EQ(kAttribute, StringAttributeByte(&s));
            EXPECT_EQ(0, StringLength(&s) % 2);
        }
    }
}

} // namespace
