/* Long random runs of string operations, each applied to counted strings and to a plain
   model of what they should hold; after every step the strings, their headers and the
   shared empty instance are checked against the model. Some steps run with the allocator
   made to fail: an operation that reports failure must leave its string as it was. */
#include <gtest/gtest.h>

#include <windows.h>

#include <stdio.h>

#include <random>

#include "foundation/code_page.h"
#include "string_test_helpers.h"

namespace {

/* What one counted string should hold. */
struct Expected {
    std::string bytes;
    int wide = 0, attribute = 0, codePage = 0;
    bool emptyInstance = true;
};

const Expected kEmpty;

enum { kSlots = 6 };

struct Model {
    std::mt19937 random;
    CountedString strings[kSlots];
    Expected expected[kSlots];
    FILE *stream;
    int Pick(int n) { return (int)(random() % (unsigned)n); }
};

std::string RandomText(Model &m)
{
    static const char *const kPieces[] = {"a", "b", "Z", " ", "7", "\xD6\xD0", "\xCE\xC4", "\xA4\x40", "\xB0\xA1"};
    int size = m.Pick(20) == 0 ? 200 + m.Pick(120) : m.Pick(4) == 0 ? m.Pick(60) : m.Pick(10);
    std::string text;
    while ((int)text.size() < size)
        text += kPieces[m.Pick(sizeof kPieces / sizeof kPieces[0])];
    return text;
}

std::string Widen(const std::string &bytes)
{
    std::string wide;
    for (char byte : bytes)
        wide += std::string{byte, '\0'};
    return wide;
}

std::string UpToZero(const std::string &bytes)
{
    return bytes.substr(0, bytes.find('\0'));
}

/* The code page a negative argument stands for. */
int OwnCodePage(const Expected &e)
{
    if (e.codePage > 0)
        return e.codePage;
    return CodePageOf(DetectScript(reinterpret_cast<const wchar_t *>(e.bytes.data()), (int)e.bytes.size() / 2), 1);
}

std::string ToWide(const std::string &bytes, int codePage)
{
    std::wstring units(bytes.size() + 1, L'\0');
    int n = MultiByteToWideChar(codePage, MB_PRECOMPOSED, bytes.data(), (int)bytes.size(), &units[0], (int)units.size());
    return std::string(reinterpret_cast<const char *>(units.data()), 2 * n);
}

std::string ToNarrow(const std::string &bytes, int codePage)
{
    std::string narrow(bytes.size() * 2 + 8, '\0');
    int n = WideCharToMultiByte(codePage, 0, reinterpret_cast<const wchar_t *>(bytes.data()), (int)bytes.size() / 2,
                                &narrow[0], (int)narrow.size(), nullptr, nullptr);
    return UpToZero(narrow.substr(0, n));
}

Expected Appended(Expected e, const std::string &bytes, bool widen)
{
    if (bytes.empty())
        return e;
    e.bytes += widen ? Widen(bytes) : bytes;
    if (widen)
        e.attribute = 0;
    e.emptyInstance = false;
    return e;
}

Expected NarrowText(const std::string &bytes)
{
    Expected e;
    if (!bytes.empty()) {
        e.bytes = bytes;
        e.codePage = -1;
        e.emptyInstance = false;
    }
    return e;
}

/* Runs one random operation on slot i; returns the expected state after it, given
   whether the operation reported success. */
Expected RunStep(Model &m, int op, int i, int j)
{
    CountedString &s = m.strings[i];
    const Expected e = m.expected[i];
    const std::string text = RandomText(m);
    const char byte = (char)m.Pick(256);
    switch (op) {
    case 0: {
        Expected copy = m.expected[j];
        if (!AssignString(&s, &m.strings[j]))
            return e;
        if (i != j && copy.wide && copy.bytes.size() == 1)
            copy = Appended(copy, std::string(1, '\0'), true);
        return copy;
    }
    case 1: return AssignText(&s, text.c_str()) ? NarrowText(text) : e;
    case 2: return AssignCharacter(&s, byte) ? NarrowText(std::string(1, byte)) : e;
    case 3: return AppendText(&s, text.c_str()) ? Appended(e, text, e.wide) : e;
    case 4: return AppendCharacter(&s, byte) ? Appended(e, std::string(1, byte), e.wide) : e;
    case 5: {
        const Expected other = m.expected[j];
        if (!AppendString(&s, &m.strings[j]))
            return e;
        if (other.bytes.empty() || e.wide == other.wide || e.wide)
            return Appended(e, other.bytes, e.wide && !other.wide);
        Expected result = e;
        if (!e.bytes.empty())
            result = {ToWide(e.bytes, OwnCodePage(e)), 1, 0, 0, false};
        result.wide = 1;
        return Appended(result, other.bytes, false);
    }
    case 6: {
        const StringHeader *header = HeaderOf(&s);
        bool kept = !e.emptyInstance && header->count == 1 && header->capacity <= 256;
        ClearString(&s);
        if (!kept)
            return kEmpty;
        Expected cleared = e;
        cleared.bytes.clear();
        return cleared;
    }
    case 7: ResetString(&s); return kEmpty;
    case 8: {
        /* Direct writes: over the start of the text or after its end. */
        int length = (int)e.bytes.size(), start = m.Pick(2) ? 0 : length;
        int count = m.Pick(24), room = start + count + m.Pick(8);
        std::string written = text.substr(0, count);
        count = (int)written.size();
        bool sharedWithoutText = HeaderOf(&s)->count > 1 && e.bytes.empty();
        char *buffer = GetBuffer(&s, room);
        if (!buffer)
            return e;
        memcpy(buffer + start, written.data(), count);
        buffer[start + count] = 0;
        ReleaseBuffer(&s, m.Pick(2) && start == 0 ? -1 : start + count);
        /* Reserving no room for no text goes through the empty instance: no attributes. */
        Expected result = sharedWithoutText && room == 0 ? kEmpty : e;
        result.bytes = e.bytes.substr(0, start) + written;
        result.emptyInstance = false;
        return result;
    }
    case 9: {
        int n = m.Pick(3) == 0 ? -1 : m.Pick((int)e.bytes.size() + 1);
        LONG count = HeaderOf(&s)->count;
        if (!ReleaseBuffer(&s, n))
            return e;
        std::string bytes = n < 0 ? UpToZero(e.bytes) : e.bytes.substr(0, n);
        if (count > 1 && e.bytes.empty())
            return kEmpty;
        Expected result = e;
        result.bytes = bytes;
        return result;
    }
    case 10: {
        if (ShrinkString(&s, m.Pick(40) - 4)) {
            EXPECT_EQ(CapacityWordFor((int)e.bytes.size()), HeaderOf(&s)->capacity);
        }
        return e;
    }
    case 11: {
        static const int kCodePages[] = {-1, 0, 936, 950, 1252};
        int codePage = kCodePages[m.Pick(5)];
        if (e.wide) {
            if (!MakeNarrow(&s, codePage))
                return e;
            if (e.bytes.empty())
                return kEmpty;
            int used = codePage < 0 ? OwnCodePage(e) : codePage;
            used = used < 1 ? 936 : used;
            return {ToNarrow(e.bytes, used), 0, 0, used, false};
        }
        if (!MakeWide(&s, codePage) || e.bytes.empty())
            return e;
        return {ToWide(e.bytes, codePage < 0 ? OwnCodePage(e) : codePage), 1, 0, 0, false};
    }
    case 12: {
        const Expected written = m.expected[j];
        rewind(m.stream);
        EXPECT_EQ(1, WriteString(&m.strings[j], m.stream));
        rewind(m.stream);
        if (ReadString(&s, m.stream) != 1)
            return kEmpty;
        Expected result = written;
        result.emptyInstance = false;
        return result;
    }
    case 13: {
        /* Attributes and code pages travel with the buffer, as the stream form sets them. */
        LONG count = HeaderOf(&s)->count;
        if (e.emptyInstance || !MakeUnique(&s))
            return e;
        if (count > 1 && e.bytes.empty())
            return kEmpty;
        Expected result = e;
        result.attribute = m.Pick(256);
        static const int kCodePages[] = {-1, 0, 936, 950, 949};
        result.codePage = kCodePages[m.Pick(5)];
        HeaderOf(&s)->attribute = (unsigned char)result.attribute;
        HeaderOf(&s)->codePage = (short)result.codePage;
        return result;
    }
    default: {
        std::string bytes = text + std::string(m.Pick(2), '\0');
        return AppendByteRange(&s, bytes.data(), 0, (int)bytes.size()) ? Appended(e, bytes, false) : e;
    }
    }
}

::testing::AssertionResult MatchesModel(const Model &m, LONG emptyBase, const std::string &emptyFields)
{
    int atEmpty = 0;
    for (int i = 0; i < kSlots; ++i) {
        const CountedString &s = m.strings[i];
        const Expected &e = m.expected[i];
        const StringHeader *h = HeaderOf(&s);
        int sharers = 0;
        for (const CountedString &other : m.strings)
            sharers += other.text == s.text;
        atEmpty += IsEmptyInstance(h);
        if (Bytes(s) != e.bytes || s.text[h->length] != 0 || IsEmptyInstance(h) != e.emptyInstance ||
            h->wide != e.wide || h->attribute != e.attribute || h->codePage != e.codePage)
            return ::testing::AssertionFailure() << "slot " << i << " text or header";
        if (!IsEmptyInstance(h) && (h->capacity < h->length + 16 || (h->capacity & 3) != 3 || h->count != sharers))
            return ::testing::AssertionFailure() << "slot " << i << " capacity or count";
    }
    if (EmptyInstanceFields() != emptyFields || EmptyInstance()->count != emptyBase + atEmpty)
        return ::testing::AssertionFailure() << "the empty instance changed";
    return ::testing::AssertionSuccess();
}

TEST(CountedStringModel, RandomRunsAgreeWithThePlainModel)
{
    enum { kSteps = 15000, kOperations = 15 };
    const std::string emptyFields = EmptyInstanceFields();
    for (unsigned seed : {1u, 2u, 3u}) {
        LONG emptyBase = EmptyInstance()->count;
        Model m{std::mt19937(seed), {}, {}, tmpfile()};
        ASSERT_NE(nullptr, m.stream);
        for (int step = 0; step < kSteps; ++step) {
            int op = m.Pick(kOperations), i = m.Pick(kSlots), j = m.Pick(kSlots);
            if (m.expected[i].bytes.size() > 50000)
                op = 7;  /* self-appends double a text: keep the run small */
            if (m.Pick(16) == 0)
                SetAllocationFailureCountdown(m.Pick(2));
            Expected after = RunStep(m, op, i, j);
            SetAllocationFailureCountdown(-1);
            m.expected[i] = after;
            ASSERT_TRUE(MatchesModel(m, emptyBase, emptyFields)) << "seed " << seed << " step " << step << " op " << op;
        }
        fclose(m.stream);
    }
}

} // namespace
