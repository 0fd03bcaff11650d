#include <gtest/gtest.h>

#include <windows.h>

#include <stdio.h>

#include "foundation/code_page.h"
#include "foundation/string_format.h"
#include "string_test_helpers.h"

namespace {

/* Every test leaves the allocator working, whatever it asserted. */
class CountedStringTest : public ::testing::Test {
protected:
    void TearDown() override { SetAllocationFailureCountdown(-1); }
};

FILE *StreamOf(const std::string &bytes)
{
    FILE *stream = tmpfile();
    fwrite(bytes.data(), 1, bytes.size(), stream);
    rewind(stream);
    return stream;
}

TEST(BlockPool, SmallBlocksComeFromSizeClassesLastInFirstOut)
{
    CleanUpPool();
    void *block = AllocateBlock(380), *large = AllocateBlock(384);
    EXPECT_EQ(388u, HeapSize(GetProcessHeap(), 0, block));
    EXPECT_EQ(392u, HeapSize(GetProcessHeap(), 0, large));
    FreeBlock(block, 380);
    FreeBlock(large, 384);
    EXPECT_EQ(block, FirstPooledBlock(95));
    void *first = AllocateBlock(20), *second = AllocateBlock(20);
    FreeBlock(first, 20);
    FreeBlock(second, 20);
    EXPECT_EQ(second, AllocateBlock(20));
    EXPECT_EQ(first, AllocateBlock(20));
    FreeBlock(first, 20);
    FreeBlock(second, 20);
    CleanUpPool();
    for (int k = 0; k < kPoolSizeClasses; ++k)
        EXPECT_EQ(nullptr, FirstPooledBlock(k)) << k;
}

TEST_F(CountedStringTest, BlocksAreSizedForTheTextRoundedToFour)
{
    CountedString three = MakeString("abc"), four = MakeString("abcd");
    EXPECT_EQ(19, CapacityOf(three));
    EXPECT_EQ(23, CapacityOf(four));
    /* No growth factor: each reserve sizes the block for exactly what it asks. */
    ASSERT_NE(nullptr, GetBuffer(&three, 100));
    EXPECT_EQ(119, CapacityOf(three));
    EXPECT_EQ(1, ShrinkString(&three, 8));
    EXPECT_EQ(19, CapacityOf(three));
    EXPECT_EQ("abc", Bytes(three));
}

TEST_F(CountedStringTest, TheEmptyInstanceIsSharedAndNeverWritten)
{
    std::string before = EmptyInstanceFields();
    LONG count = EmptyInstance()->count;
    {
        CountedString a, b = MakeString(""), c = MakeString(nullptr, 10);
        EXPECT_TRUE(a.text == b.text && a.text == c.text);
        EXPECT_EQ(count + 3, EmptyInstance()->count);
        ClearString(&a);
        ReleaseBuffer(&a, -1);
        EXPECT_EQ(0, ShrinkString(&a, -1));
        EXPECT_EQ(1, MakeUnique(&a));
        EXPECT_EQ(1, MakeWide(&a, 936));
        AssignText(&b, "");
        char *buffer = GetBuffer(&c, 0);
        EXPECT_NE(a.text, buffer) << "a writer never gets the empty instance";
    }
    EXPECT_EQ(count, EmptyInstance()->count);
    EXPECT_EQ(before, EmptyInstanceFields());
}

TEST_F(CountedStringTest, CopiesShareUntilOneWrites)
{
    CountedString original = MakeString("hello"), copy(original);
    EXPECT_EQ(original.text, copy.text);
    EXPECT_EQ(2, CountOf(original));
    AppendText(&copy, "!");
    EXPECT_EQ("hello", Bytes(original));
    EXPECT_EQ("hello!", Bytes(copy));
    EXPECT_EQ(1, CountOf(original));

    CountedString wide = MakeWideString(L"\x4E2D"), sharer(wide), truncated(wide);
    EXPECT_EQ(1, RefreshCodePage(&sharer, 0));
    EXPECT_EQ(936, StringCodePage(&sharer));
    EXPECT_EQ(0, StringCodePage(&wide)) << "the code page of a shared buffer changed";
    EXPECT_EQ(1, ReleaseBuffer(&truncated, 1));
    EXPECT_EQ(2, StringLength(&wide));
}

TEST_F(CountedStringTest, ClearingKeepsOnlySmallPrivateBuffers)
{
    CountedString kept = MakeStringWithRoom(239), released = MakeStringWithRoom(240);
    ASSERT_EQ(255, CapacityOf(kept));
    ASSERT_EQ(259, CapacityOf(released));
    AppendText(&kept, "x");
    AppendText(&released, "x");
    char *buffer = kept.text;
    ClearString(&kept);
    ClearString(&released);
    EXPECT_EQ(buffer, kept.text);
    EXPECT_EQ(0, StringLength(&kept));
    EXPECT_EQ(-1, StringCodePage(&kept)) << "attributes stay";
    EXPECT_TRUE(IsEmptyInstance(HeaderOf(&released)));
}

TEST_F(CountedStringTest, AppendingFollowsTheKindOfTheReceiver)
{
    CountedString wide = MakeWideString(L"\x4E2D");
    HeaderOf(&wide)->codePage = 936;
    ASSERT_EQ(1, AppendText(&wide, "ab"));
    EXPECT_EQ(WideBytes(L"\x4E2D") + std::string("a\0b\0", 4), Bytes(wide));
    EXPECT_TRUE(IsWideString(&wide));
    EXPECT_EQ(936, StringCodePage(&wide));

    CountedString receiver = MakeString("\xD6\xD0"), empty;
    SetCodePage(&receiver, 936);
    ASSERT_EQ(1, AppendString(&receiver, &wide));
    EXPECT_EQ(WideBytes(L"\x4E2D\x4E2D" L"ab"), Bytes(receiver));
    ASSERT_EQ(1, AppendString(&empty, &wide));
    EXPECT_TRUE(IsWideString(&empty)) << "an empty receiver takes the wide kind";

    CountedString doubled = MakeString("abc");
    AppendString(&doubled, &doubled);
    AppendText(&doubled, doubled.text + 3);
    EXPECT_EQ("abcabcabc", Bytes(doubled)) << "text from the receiver's own buffer";
    EXPECT_EQ(WideBytes(L"x\x4E2D" L"ab"), Bytes(Concatenate("x", &wide)));
    CountedString front = Concatenate('-', &doubled);
    EXPECT_EQ("-abcabcabc!", Bytes(Concatenate(&front, '!')));
}

TEST_F(CountedStringTest, KindConversionsUseTheStringsOwnCodePageOrItsScript)
{
    CountedString text = MakeString("\xD6\xD0\xCE\xC4");
    EXPECT_EQ(0, MakeNarrow(&text, 936));
    EXPECT_EQ(0, MakeWide(&text, 12345)) << "a code page the platform refuses";
    ASSERT_EQ(1, MakeWide(&text, 936));
    EXPECT_EQ(WideBytes(L"中文"), Bytes(text));
    ASSERT_EQ(1, MakeNarrow(&text, -1)) << "detection finds ideographs: GBK";
    EXPECT_EQ("\xD6\xD0\xCE\xC4", Bytes(text));
    EXPECT_EQ(936, StringCodePage(&text));

    CountedString korean = MakeWideString(L"\xD55C"), latin = MakeWideString(L"abc");
    HeaderOf(&korean)->codePage = 950;
    EXPECT_EQ(0, RefreshCodePage(&korean, 0));
    EXPECT_EQ(1, RefreshCodePage(&korean, 1));
    EXPECT_EQ(949, StringCodePage(&korean));
    EXPECT_EQ(0, RefreshCodePage(&latin, 1));
}

TEST_F(CountedStringTest, TheStreamFormRefusesDamagedInput)
{
    struct Damaged {
        std::string bytes;
        int result;
    } const damaged[] = {
        {std::string("\xFF\xFF\xFF\xFF", 4), -1},
        {std::string("\xE8\x03\0\0" "ten bytes!", 14), 0}, /* 1000 announced */
        {std::string("\x03\0\0\0" "abc\x01", 8), 0},        /* attributes cut */
        {std::string("\xF0\xFF\xFF\x7F", 4), 0},            /* cannot be held */
        {std::string("\x02\0", 2), 0},
    };
    for (const Damaged &input : damaged) {
        CountedString read = MakeString("old");
        FILE *stream = StreamOf(input.bytes);
        EXPECT_EQ(input.result, ReadString(&read, stream));
        EXPECT_TRUE(IsEmptyInstance(HeaderOf(&read)));
        fclose(stream);
    }
}

TEST_F(CountedStringTest, ResourceStringsLoadWhole)
{
    CountedString s = MakeString("unchanged");
    EXPECT_EQ(0, LoadResourceString(&s, 999));
    EXPECT_EQ("unchanged", Bytes(s));
    ASSERT_EQ(1, LoadResourceString(&s, 101));
    EXPECT_EQ("Tovra", Bytes(s));
    ASSERT_EQ(1, LoadResourceString(&s, 102));
    EXPECT_EQ(127, StringLength(&s));
    ASSERT_EQ(1, LoadResourceString(&s, 103));
    EXPECT_EQ(200, StringLength(&s));
    EXPECT_EQ('9', s.text[199]);
}

/* Out of memory: the operation reports 0 and the receiver keeps its text, or for the
   operations that replace the whole text, ends up empty. */
TEST_F(CountedStringTest, WithoutMemoryNothingIsHalfDone)
{
    CountedString s = MakeString("abc"), shared(s), wide = MakeWideString(L"\x4E2D");
    SetAllocationFailureCountdown(0);
    EXPECT_EQ(0, AssignText(&shared, "xyz"));
    EXPECT_EQ(0, AppendText(&shared, "d"));
    EXPECT_EQ(0, AppendCharacter(&wide, 'd'));
    EXPECT_EQ(0, AppendString(&shared, &wide));
    EXPECT_EQ(0, MakeUnique(&shared));
    EXPECT_EQ(s.text, shared.text);
    EXPECT_EQ(nullptr, GetBuffer(&s, 100));
    EXPECT_EQ(0, ReleaseBuffer(&s, 1));
    EXPECT_EQ(0, MakeWide(&s, 936));
    EXPECT_EQ(0, MakeNarrow(&wide, 936));
    EXPECT_EQ("abc", Bytes(shared));
    EXPECT_EQ(WideBytes(L"\x4E2D"), Bytes(wide));
    EXPECT_EQ("", Bytes(MakeString("new")));
    EXPECT_EQ("", Bytes(Concatenate(&s, "x")));
    EXPECT_EQ(0, FormatString(&s, "%d", 1));
    EXPECT_EQ(0, StringLength(&s));

    SetAllocationFailureCountdown(1);
    EXPECT_EQ(0, AppendFormat(&shared, "%s%s", "def", std::string(300, 'g').c_str()));
    EXPECT_EQ("abc", Bytes(shared)) << "the first append's bytes were cut off again";
    CountedString reader(shared);
    SetAllocationFailureCountdown(0);
    FILE *stream = StreamOf(std::string("\x03\0\0\0" "abc\0\0\0\0", 11));
    EXPECT_EQ(0, ReadString(&reader, stream));
    EXPECT_TRUE(IsEmptyInstance(HeaderOf(&reader)));
    fclose(stream);
}

struct ThreadWork {
    const CountedString *sources;
    int faults;
};

/* Shares, copies, appends and releases strings of one source set, checking every copy. */
DWORD WINAPI ShareCopyAndRelease(void *parameter)
{
    ThreadWork *work = static_cast<ThreadWork *>(parameter);
    for (int round = 0; round < 20000; ++round) {
        const CountedString *source = &work->sources[round % 3];
        std::string expected = Bytes(*source);
        CountedString shared(*source), mine, unique(shared);
        AssignString(&mine, &shared);
        AppendText(&mine, "+");
        if (MakeUnique(&unique) && StringLength(&unique))
            unique.text[0] = '#';
        CountedString joined = Concatenate(&shared, &mine);
        for (int k = 0; k < 8; ++k)
            CountedString brief(*source); /* many counts up and down on one buffer */
        if (Bytes(shared) != expected || Bytes(joined) != expected + expected + "+" || Bytes(*source) != expected)
            ++work->faults;
    }
    return 0;
}

TEST(CountedStringThreads, SharedSourcesSurviveManyThreads)
{
    enum { kThreads = 4 };
    LONG emptyCount = EmptyInstance()->count;
    const std::string texts[3] = {"abc", std::string(300, 'x'), "\xD6\xD0\xCE\xC4"};
    CountedString sources[3] = {MakeString(texts[0].c_str()), MakeString(texts[1].c_str()),
                                MakeString(texts[2].c_str())};
    ThreadWork work[kThreads];
    HANDLE threads[kThreads];
    for (int i = 0; i < kThreads; ++i) {
        work[i] = {sources, 0};
        threads[i] = CreateThread(nullptr, 0, ShareCopyAndRelease, &work[i], 0, nullptr);
        ASSERT_NE(nullptr, threads[i]);
    }
    WaitForMultipleObjects(kThreads, threads, TRUE, INFINITE);
    for (int i = 0; i < kThreads; ++i) {
        CloseHandle(threads[i]);
        EXPECT_EQ(0, work[i].faults) << "thread " << i;
    }
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(1, CountOf(sources[i]));
        EXPECT_EQ(texts[i], Bytes(sources[i]));
    }
    EXPECT_EQ(emptyCount, EmptyInstance()->count);
}

} // namespace
