// The speech-module package on disk: a folder of its own, a file that only this run made
// and that nobody can change while the wizard keeps it, and no offer without a temporary
// folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/file_reading.h"
#include "test_folder.h"
#include "wizard/speech_module.h"
#include "wizard/wizard_state.h"

namespace {

std::string PackageBytes()
{
    std::string bytes;
    for (int i = 0; i < 70000; ++i)
        bytes += char(i * 7 + i / 256);
    return bytes;
}

class SpeechModuleTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(MakeTestFolder(folder_, "speech module")); }
    void TearDown() override { RemoveTestFolder(folder_); }
    std::string folder_;
};

TEST_F(SpeechModuleTest, AKeptPackageCanBeReadButNotWrittenMovedOrDeleted)
{
    const std::string path = folder_ + "\\package.msi", bytes = PackageBytes();
    HANDLE kept = WriteAndKeepFile(path.c_str(), bytes.data(), DWORD(bytes.size()));
    ASSERT_NE(INVALID_HANDLE_VALUE, kept);

    // The installer's way in: reading, and sharing reading only.
    HANDLE installer =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, installer);
    CloseHandle(installer);

    // Anybody else's, however much they share.
    const DWORD all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, all, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(INVALID_HANDLE_VALUE, writer);
    if (writer != INVALID_HANDLE_VALUE)
        CloseHandle(writer);
    EXPECT_FALSE(MoveFileA(path.c_str(), (path + ".away").c_str()));
    EXPECT_FALSE(DeleteFileA(path.c_str()));

    CloseHandle(kept);
    EXPECT_TRUE(ReadWholeFile(path) == bytes);
    EXPECT_TRUE(DeleteFileA(path.c_str())) << "let go, the file is an ordinary one again";
}

// Another program that gets in between the write and the keeping handle: its bytes, a
// cut or a longer file are all refused, and the file is not kept.
TEST_F(SpeechModuleTest, AFileChangedBeforeItIsKeptIsRefused)
{
    const std::string path = folder_ + "\\package.msi", bytes = PackageBytes();
    std::string changed = bytes;
    changed[40000] ^= 1;
    for (const std::string &found : {changed, bytes.substr(0, bytes.size() - 1), bytes + "x"}) {
        ASSERT_TRUE(WriteWholeFile(path, found));
        HANDLE kept = KeepWrittenFile(path.c_str(), bytes.data(), DWORD(bytes.size()));
        EXPECT_EQ(INVALID_HANDLE_VALUE, kept) << found.size() << " bytes";
        if (kept != INVALID_HANDLE_VALUE)
            CloseHandle(kept);
        EXPECT_TRUE(DeleteFileA(path.c_str())) << "a refused file is not held";
    }
    ASSERT_TRUE(WriteWholeFile(path, bytes));
    HANDLE kept = KeepWrittenFile(path.c_str(), bytes.data(), DWORD(bytes.size()));
    EXPECT_NE(INVALID_HANDLE_VALUE, kept);
    if (kept != INVALID_HANDLE_VALUE)
        CloseHandle(kept);
}

TEST_F(SpeechModuleTest, AFileThatIsThereAlreadyIsNeitherTakenNorOverwritten)
{
    const std::string path = folder_ + "\\package.msi", bytes = PackageBytes();
    ASSERT_TRUE(WriteWholeFile(path, "somebody else's package"));
    EXPECT_EQ(INVALID_HANDLE_VALUE, WriteAndKeepFile(path.c_str(), bytes.data(), DWORD(bytes.size())));
    EXPECT_EQ("somebody else's package", ReadWholeFile(path));
}

TEST_F(SpeechModuleTest, EachPrivateFolderIsNewAndNamedApart)
{
    char first[kPathBytes], second[kPathBytes];
    const std::string parent = folder_ + "\\";
    ASSERT_EQ(1, MakePrivateFolder(parent.c_str(), first));
    ASSERT_EQ(1, MakePrivateFolder(parent.c_str(), second));
    EXPECT_STRNE(first, second);
    for (const char *made : {first, second}) {
        EXPECT_EQ(0u, std::string(made).find(parent)) << made;
        DWORD attributes = GetFileAttributesA(made);
        EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) << made;
    }
    EXPECT_EQ(0, MakePrivateFolder((folder_ + "\\missing\\").c_str(), first)) << "a parent that isn't there";
}

// The system names its temporary folder from TMP; one too long for any path buffer is as
// good as none.
TEST_F(SpeechModuleTest, WithoutATemporaryFolderThatFitsThereIsNone)
{
    char saved[kPathBytes] = "";
    DWORD savedLength = GetEnvironmentVariableA("TMP", saved, kPathBytes);
    char folder[kPathBytes];
    ASSERT_EQ(1, FindTemporaryFolder(folder));
    EXPECT_EQ('\\', folder[strlen(folder) - 1]);

    std::string tooLong = "C:\\" + std::string(300, 't');
    SetEnvironmentVariableA("TMP", tooLong.c_str());
    EXPECT_EQ(0, FindTemporaryFolder(folder));
    EXPECT_STREQ("", folder);
    SetEnvironmentVariableA("TMP", savedLength && savedLength < kPathBytes ? saved : nullptr);
}

} // namespace
