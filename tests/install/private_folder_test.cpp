// A file of the program's own in the temporary folder (the speech-module package, the
// uninstaller's copy): a folder of its own, a file that only this run made and that nobody
// can change while the program keeps it, and nothing written without a temporary folder.
// Paths are wide, so a folder the code page can't spell works as any other.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "install/private_folder.h"
#include "support/file_reading.h"
#include "test_folder.h"
#include "wide_paths.h"
#include "wizard/wizard_state.h"

namespace {

std::string PackageBytes()
{
    std::string bytes;
    for (int i = 0; i < 70000; ++i)
        bytes += char(i * 7 + i / 256);
    return bytes;
}

class PrivateFolderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(MakeTestFolder(folder_, "private folder")); }
    void TearDown() override { RemoveTestFolder(folder_); }
    std::string folder_;
};

TEST_F(PrivateFolderTest, AKeptPackageCanBeReadButNotWrittenMovedOrDeleted)
{
    const std::string path = folder_ + "\\package.msi", bytes = PackageBytes();
    HANDLE kept = WriteAndKeepFile(Wide(path).c_str(), bytes.data(), DWORD(bytes.size()));
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
TEST_F(PrivateFolderTest, AFileChangedBeforeItIsKeptIsRefused)
{
    const std::string path = folder_ + "\\package.msi", bytes = PackageBytes();
    std::string changed = bytes;
    changed[40000] ^= 1;
    for (const std::string &found : {changed, bytes.substr(0, bytes.size() - 1), bytes + "x"}) {
        ASSERT_TRUE(WriteWholeFile(path, found));
        HANDLE kept = KeepWrittenFile(Wide(path).c_str(), bytes.data(), DWORD(bytes.size()));
        EXPECT_EQ(INVALID_HANDLE_VALUE, kept) << found.size() << " bytes";
        if (kept != INVALID_HANDLE_VALUE)
            CloseHandle(kept);
        EXPECT_TRUE(DeleteFileA(path.c_str())) << "a refused file is not held";
    }
    ASSERT_TRUE(WriteWholeFile(path, bytes));
    HANDLE kept = KeepWrittenFile(Wide(path).c_str(), bytes.data(), DWORD(bytes.size()));
    EXPECT_NE(INVALID_HANDLE_VALUE, kept);
    if (kept != INVALID_HANDLE_VALUE)
        CloseHandle(kept);
}

TEST_F(PrivateFolderTest, AFileThatIsThereAlreadyIsNeitherTakenNorOverwritten)
{
    const std::string path = folder_ + "\\package.msi", bytes = PackageBytes();
    ASSERT_TRUE(WriteWholeFile(path, "somebody else's package"));
    EXPECT_EQ(INVALID_HANDLE_VALUE, WriteAndKeepFile(Wide(path).c_str(), bytes.data(), DWORD(bytes.size())));
    EXPECT_EQ("somebody else's package", ReadWholeFile(path));
}

TEST_F(PrivateFolderTest, EachPrivateFolderIsNewAndNamedApart)
{
    WCHAR first[kPathBytes], second[kPathBytes];
    const std::wstring parent = Wide(folder_) + L"\\";
    ASSERT_EQ(1, MakePrivateFolder(parent.c_str(), L"Tovra-", first));
    ASSERT_EQ(1, MakePrivateFolder(parent.c_str(), L"Tovra-", second));
    EXPECT_STRNE(Utf8(first).c_str(), Utf8(second).c_str());
    for (const WCHAR *made : {first, second}) {
        EXPECT_EQ(0u, std::wstring(made).find(parent + L"Tovra-")) << Utf8(made);
        DWORD attributes = GetFileAttributesW(made);
        EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) << Utf8(made);
    }
    EXPECT_EQ(0, MakePrivateFolder((Wide(folder_) + L"\\missing\\").c_str(), L"Tovra-", first))
        << "a parent that isn't there";
}

// A user's temporary folder under a profile named in Chinese, on a system whose code page
// has no Chinese: the folder, the kept file and its bytes are all where they were asked.
TEST_F(PrivateFolderTest, AParentTheCodePageCantSpellIsUsedAsItIs)
{
    const std::wstring profile = Wide(folder_) + L"\\\u5f20\u4f1f";
    ASSERT_TRUE(CreateDirectoryW(profile.c_str(), nullptr));
    WCHAR made[kPathBytes];
    ASSERT_EQ(1, MakePrivateFolder((profile + L"\\").c_str(), L"Tovra-", made));
    EXPECT_EQ(0u, std::wstring(made).find(profile + L"\\Tovra-"));
    const std::wstring path = std::wstring(made) + L"\\package.msi";
    const std::string bytes = PackageBytes();
    HANDLE kept = WriteAndKeepFile(path.c_str(), bytes.data(), DWORD(bytes.size()));
    ASSERT_NE(INVALID_HANDLE_VALUE, kept);
    CloseHandle(kept);
    EXPECT_TRUE(DeleteFileW(path.c_str()));
    EXPECT_TRUE(RemoveDirectoryW(made));
    EXPECT_TRUE(RemoveDirectoryW(profile.c_str()));
}

// The system names its temporary folder from TMP; one too long for any path buffer is as
// good as none.
TEST_F(PrivateFolderTest, WithoutATemporaryFolderThatFitsThereIsNone)
{
    char saved[kPathBytes] = "";
    DWORD savedLength = GetEnvironmentVariableA("TMP", saved, kPathBytes);
    WCHAR folder[kPathBytes];
    ASSERT_EQ(1, FindTemporaryFolder(folder));
    EXPECT_EQ(L'\\', folder[wcslen(folder) - 1]);

    std::string tooLong = "C:\\" + std::string(300, 't');
    SetEnvironmentVariableA("TMP", tooLong.c_str());
    EXPECT_EQ(0, FindTemporaryFolder(folder));
    EXPECT_EQ(L'\0', folder[0]);
    SetEnvironmentVariableA("TMP", savedLength && savedLength < kPathBytes ? saved : nullptr);
}

} // namespace
