// Payload resources of this test executable (payload_test.rc): 501 a 4,096-byte stream,
// 502 an empty file, 503 bytes that are no zlib stream, 504 a short text, 505 the 4,096-byte
// stream cut off before its end.
#include <gtest/gtest.h>

#include <string.h>
#include <string>
#include <vector>
#include <zlib.h>

#include "foundation/path_text.h"
#include "install/file_replace.h"
#include "install/payload.h"
#include "support/file_reading.h"
#include "test_folder.h"
#include "wizard/wizard_state.h"

namespace {

const int kExactPayload = 501;
const unsigned long kExactBytes = 4096;
const int kEmptyPayload = 502;
const int kCorruptPayload = 503;
const int kTextPayload = 504;
const int kTruncatedPayload = 505;
const char kText[] = "Tovra sample payload\r\n";

class PayloadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(MakeTestFolder(folder_, "payload"));
        strcpy(gInstallFolder, folder_.c_str());
    }
    void TearDown() override { RemoveTestFolder(folder_); }

    std::string PathOf(const char *name) const { return folder_ + "\\" + name; }

    std::string folder_;
    std::vector<char> buffer_ = std::vector<char>(8192, '\x55');
};

TEST_F(PayloadTest, InflatesIntoTheCallersBufferWithinItsCapacity)
{
    unsigned long length = 1;
    EXPECT_EQ(Z_OK, InflatePayload(kExactPayload, buffer_.data(), kExactBytes, &length));
    EXPECT_EQ(kExactBytes, length);
    EXPECT_EQ(0, memcmp(buffer_.data(), "0123456789abcdef", 16));
    EXPECT_EQ('\x55', buffer_[kExactBytes]) << "wrote past the inflated length";

    EXPECT_NE(Z_OK, InflatePayload(kExactPayload, buffer_.data(), kExactBytes - 1, &length));
    EXPECT_NE(Z_OK, InflatePayload(kCorruptPayload, buffer_.data(), buffer_.size(), &length));
    EXPECT_NE(Z_OK, InflatePayload(4999, buffer_.data(), buffer_.size(), &length));

    EXPECT_EQ(Z_OK, InflatePayload(kEmptyPayload, buffer_.data(), buffer_.size(), &length));
    EXPECT_EQ(0ul, length);
}

// The install run's way: each payload inflated into its open new copy through a piece
// smaller than the file, that does not divide it; a stream that fails leaves no copy.
TEST_F(PayloadTest, InflatesIntoAnOpenCopyPieceByPiece)
{
    std::vector<char> piece(100);
    auto inflateInto = [this, &piece](int identifier, const char *name) {
        HANDLE file = CreateNewCopy(PathOf(name).c_str(), 0);
        if (file == INVALID_HANDLE_VALUE)
            return -1;
        return CloseNewCopy(file, PathOf(name).c_str(),
                            InflatePayloadInto(file, identifier, piece.data(), static_cast<unsigned long>(piece.size())));
    };
    ASSERT_EQ(1, inflateInto(kExactPayload, "exact.dat"));
    std::string exact;
    for (int i = 0; i < 256; ++i)
        exact += "0123456789abcdef";
    EXPECT_EQ(exact, ReadWholeFile(PathOf("exact.dat")));
    ASSERT_EQ(1, inflateInto(kTextPayload, "text.dat"));
    EXPECT_EQ(kText, ReadWholeFile(PathOf("text.dat")));
    ASSERT_EQ(1, inflateInto(kEmptyPayload, "empty.dat"));
    EXPECT_EQ("", ReadWholeFile(PathOf("empty.dat")));

    const std::pair<int, const char *> failing[] = {
        {kTruncatedPayload, "truncated.dat"}, {kCorruptPayload, "corrupt.dat"}, {4999, "missing.dat"}};
    for (const auto &payload : failing) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(0, inflateInto(payload.first, payload.second)) << payload.second;
        EXPECT_EQ(DWORD(ERROR_INVALID_DATA), GetLastError()) << payload.second;
        EXPECT_FALSE(FileExists(PathOf(payload.second))) << payload.second;
    }
}

TEST_F(PayloadTest, FailedInflationLeavesTheDiskUntouched)
{
    EXPECT_EQ(0, ExtractPayload(4999, "missing.dat", buffer_.data(), buffer_.size(), 1, 1, nullptr));
    EXPECT_EQ(0, ExtractPayload(kCorruptPayload, "corrupt.dat", buffer_.data(), buffer_.size(), 0, 0, nullptr));
    EXPECT_EQ(0, ExtractPayload(kExactPayload, "over.dat", buffer_.data(), kExactBytes - 1, 0, 0, nullptr));
    EXPECT_FALSE(FileExists(PathOf("missing.dat")));
    EXPECT_FALSE(FileExists(PathOf("corrupt.dat")));
    EXPECT_FALSE(FileExists(PathOf("over.dat")));
}

TEST_F(PayloadTest, ExtractsIntoTheInstallFolderWithTheAskedAttributes)
{
    ASSERT_EQ(1, ExtractPayload(kExactPayload, "exact.dat", buffer_.data(), kExactBytes, 1, 1, nullptr));
    EXPECT_EQ(std::string(buffer_.data(), kExactBytes), ReadWholeFile(PathOf("exact.dat")));
    EXPECT_EQ(DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
              GetFileAttributesA(PathOf("exact.dat").c_str()) & kReadOnlyHidden);

    ASSERT_EQ(1, ExtractPayload(kEmptyPayload, "empty.dat", buffer_.data(), buffer_.size(), 0, 0, nullptr));
    EXPECT_TRUE(FileExists(PathOf("empty.dat")));
    EXPECT_EQ("", ReadWholeFile(PathOf("empty.dat")));
    EXPECT_EQ(0u, GetFileAttributesA(PathOf("empty.dat").c_str()) & kReadOnlyHidden);
}

TEST_F(PayloadTest, OverwritesAReadOnlyHiddenFileAndKeepsItsOtherAttributes)
{
    std::string path = PathOf("old.dat");
    ASSERT_TRUE(WriteWholeFile(path, "an older and longer content than the new one"));
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                                     FILE_ATTRIBUTE_SYSTEM));

    ASSERT_EQ(1, ExtractPayload(kTextPayload, "old.dat", buffer_.data(), buffer_.size(), 0, 1, nullptr));
    EXPECT_EQ(kText, ReadWholeFile(path));
    DWORD attributes = GetFileAttributesA(path.c_str());
    EXPECT_EQ(0u, attributes & FILE_ATTRIBUTE_READONLY) << "a bit not asked for stays cleared";
    EXPECT_NE(0u, attributes & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_NE(0u, attributes & FILE_ATTRIBUTE_SYSTEM);

    ASSERT_EQ(1, ExtractPayload(kTextPayload, "old.dat", buffer_.data(), buffer_.size(), 0, 0, nullptr));
    attributes = GetFileAttributesA(path.c_str());
    EXPECT_EQ(0u, attributes & kReadOnlyHidden);
    EXPECT_NE(0u, attributes & FILE_ATTRIBUTE_SYSTEM);
}

TEST_F(PayloadTest, AFullPathTakesThePlaceOfFolderAndName)
{
    std::string other;
    ASSERT_TRUE(MakeTestFolder(other, "payload-full"));
    std::string full = other + "\\Chosen.msi";
    EXPECT_EQ(1, ExtractPayload(kTextPayload, "ignored.msi", buffer_.data(), buffer_.size(), 0, 0, full.c_str()));
    EXPECT_EQ(kText, ReadWholeFile(full));
    EXPECT_FALSE(FileExists(PathOf("ignored.msi")));
    EXPECT_FALSE(FileExists(other + "\\ignored.msi"));
    RemoveTestFolder(other);
}

TEST_F(PayloadTest, RefusesTargetsItCannotWrite)
{
    // A folder where the file should be: running as root, a read-only bit would not stop us.
    ASSERT_TRUE(CreateDirectoryA(PathOf("taken.dat").c_str(), nullptr));
    EXPECT_EQ(0, ExtractPayload(kTextPayload, "taken.dat", buffer_.data(), buffer_.size(), 1, 1, nullptr));

    EXPECT_EQ(0, WriteInstallFile("x.dat", kText, sizeof kText - 1, 0, 0,
                                  (folder_ + "\\no such folder\\x.dat").c_str()));
}

// A file another program holds can't be replaced; it keeps its bytes and attributes, and
// no copy of the new bytes stays beside it.
TEST_F(PayloadTest, AFileThatCannotBeReplacedStaysAsItWas)
{
    std::string path = PathOf("held.dat");
    ASSERT_TRUE(WriteWholeFile(path, "the old bytes"));
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), kReadOnlyHidden));
    HANDLE holder = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    EXPECT_EQ(0, ExtractPayload(kTextPayload, "held.dat", buffer_.data(), buffer_.size(), 0, 0, nullptr));
    CloseHandle(holder);
    EXPECT_EQ("the old bytes", ReadWholeFile(path));
    EXPECT_EQ(kReadOnlyHidden, GetFileAttributesA(path.c_str()) & kReadOnlyHidden);
    EXPECT_FALSE(FileExists(PathOf("~tvnew0.tmp")));

    ASSERT_EQ(1, ExtractPayload(kTextPayload, "held.dat", buffer_.data(), buffer_.size(), 0, 0, nullptr));
    EXPECT_EQ(kText, ReadWholeFile(path));
    EXPECT_FALSE(FileExists(PathOf("~tvnew0.tmp")));
}

TEST_F(PayloadTest, RefusesPathsLongerThanThePathBuffer)
{
    // 259 bytes is the longest path with its terminator; one more is refused unopened.
    std::string name(kPathBytes - 2 - folder_.size(), 'n');
    EXPECT_EQ(1, WriteInstallFile(name.c_str(), kText, sizeof kText - 1, 0, 0, nullptr));
    EXPECT_TRUE(FileExists(PathOf(name.c_str())));

    std::string longer = name + "x";
    EXPECT_EQ(0, WriteInstallFile(longer.c_str(), kText, sizeof kText - 1, 0, 0, nullptr));
    EXPECT_EQ(0, WriteInstallFile("x", kText, sizeof kText - 1, 0, 0, (folder_ + "\\" + longer).c_str()));
    EXPECT_EQ(0, ExtractPayload(kTextPayload, longer.c_str(), buffer_.data(), buffer_.size(), 0, 0, nullptr));

    char joined[kPathBytes];
    EXPECT_EQ(0, JoinPath(joined, folder_.c_str(), longer.c_str()));
    EXPECT_STREQ("", joined);
}

} // namespace
