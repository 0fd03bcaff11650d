// Taking back what an install record lists, over real files, shell links and registry
// keys: what the user changed or added, and what another install took over, stays.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <string.h>
#include <zlib.h>
#include <string>
#include <vector>

#include "install/install_record.h"
#include "install/shortcuts.h"
#include "support/caller_line.h"
#include "support/file_reading.h"
#include "support/registry_reading.h"
#include "test_folder.h"
#include "uninstall/uninstall_run.h"
#include "wide_paths.h"

namespace {

const char kOurKey[] = "Software\\Tovra Uninstall Test\\Ours";
const char kTheirKey[] = "Software\\Tovra Uninstall Test\\Theirs";

// The fixture's helpers report a failure at the test's line as well as their own.
#define Installed(...) Installed_(__FILE__, __LINE__, __VA_ARGS__)
#define Key(...) Key_(__FILE__, __LINE__, __VA_ARGS__)
#define Shortcut(...) Shortcut_(__FILE__, __LINE__, __VA_ARGS__)
#define Folders() Folders_(__FILE__, __LINE__)

class UninstallRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(MakeTestFolder(parent_, "uninstall"));
        folder_ = parent_ + "\\Tovra Editor";
        group_ = parent_ + "\\Start Menu Group";
        other_ = parent_ + "\\Other Install";
        for (const std::string &made : {folder_, folder_ + "\\doc", group_, other_})
            ASSERT_TRUE(CreateDirectoryA(made.c_str(), nullptr)) << made;
        record_ = "Tovra install record 1\r\n";
    }
    void TearDown() override
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Tovra Uninstall Test");
        RemoveTestFolder(parent_);
    }

    // A file the install wrote, listed as it was written.
    void Installed_(const char *file, int line, const char *name, const std::string &bytes,
                    DWORD attributes = FILE_ATTRIBUTE_ARCHIVE)
    {
        CallerLine caller(file, line);
        std::string path = folder_ + "\\" + name;
        ASSERT_TRUE(WriteWholeFile(path, bytes));
        ASSERT_TRUE(SetFileAttributesA(path.c_str(), attributes));
        char entry[512];
        unsigned long sum = adler32(adler32(0L, Z_NULL, 0), reinterpret_cast<const Bytef *>(bytes.data()),
                                    uInt(bytes.size()));
        snprintf(entry, sizeof entry, "file\t%lu\t%08lx\t%08lx\t%s\r\n", static_cast<unsigned long>(bytes.size()), sum,
                 static_cast<unsigned long>(GetFileAttributesA(path.c_str())), name);
        record_ += entry;
    }
    void Key_(const char *file, int line, const char *path, const std::string &value)
    {
        CallerLine caller(file, line);
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, (std::string(path) + "\\shell\\open").c_str(), 0,
                                                 nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
        RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE *>(value.c_str()), DWORD(value.size() + 1));
        RegCloseKey(key);
        record_ += std::string("key\tHKCU\t") + path + "\r\n";
    }
    void Shortcut_(const char *file, int line, const char *name, const std::string &target)
    {
        CallerLine caller(file, line);
        std::string link = group_ + "\\" + name + ".lnk";
        ASSERT_EQ(1, MakeShortcut(target.c_str(), link.c_str(), name));
        record_ += "shortcut\t" + link + "\r\n";
    }
    void Folders_(const char *file, int line)
    {
        CallerLine caller(file, line);
        for (const std::string &made : {folder_, folder_ + "\\doc", group_})
            record_ += "folder\t" + made + "\r\n";
        ASSERT_TRUE(WriteWholeFile(folder_ + "\\" TOVRA_INSTALL_RECORD_NAME, record_));
    }
    static bool KeyExists(const char *path) { return RegistryKeyExists(HKEY_CURRENT_USER, path); }

    std::string parent_, folder_, group_, other_, record_;
};

TEST_F(UninstallRunTest, EverythingAsInstalledGoesFoldersToo)
{
    Installed("TVREdit.exe", "the editor");
    Installed("cendraui.ini", "[Config]\r\n", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    Key(kOurKey, "\"" + folder_ + "\\TVREdit.exe\" \"%1\"");
    Shortcut("Editor", folder_ + "\\TVREdit.exe");
    Folders();

    UninstallOutcome outcome;
    ASSERT_EQ(1, UninstallRecorded(folder_.c_str(), 0, &outcome));
    EXPECT_EQ(0, outcome.stayed) << outcome.firstStayed;
    EXPECT_EQ(7, outcome.removed) << "two files, a key, a shortcut, three folders";
    EXPECT_FALSE(KeyExists(kOurKey));
    EXPECT_FALSE(FileExists(folder_));
    EXPECT_FALSE(FileExists(group_));
    EXPECT_EQ(std::vector<std::string>{"Other Install"}, NamesIn(parent_));
}

TEST_F(UninstallRunTest, WhatTheUserChangedOrAddedAndWhatAnotherInstallTookOverStays)
{
    Installed("TVREdit.exe", "the editor");
    Installed("CiZuFlat.igb", "the shipped word base");
    ASSERT_TRUE(WriteWholeFile(folder_ + "\\CiZuFlat.igb", "the word base the user grew"));
    ASSERT_TRUE(WriteWholeFile(folder_ + "\\doc\\letter.rtf", "the user's letter"));
    Key(kOurKey, "\"" + folder_ + "\\TVREdit.exe\"");
    Key(kTheirKey, "\"" + other_ + "\\TVREdit.exe\"");
    Shortcut("Editor", other_ + "\\TVREdit.exe");
    Folders();

    UninstallOutcome outcome;
    ASSERT_EQ(1, UninstallRecorded(folder_.c_str(), 0, &outcome));
    EXPECT_FALSE(FileExists(folder_ + "\\TVREdit.exe"));
    EXPECT_EQ("the word base the user grew", ReadWholeFile(folder_ + "\\CiZuFlat.igb"));
    EXPECT_EQ("the user's letter", ReadWholeFile(folder_ + "\\doc\\letter.rtf"));
    EXPECT_FALSE(KeyExists(kOurKey));
    EXPECT_TRUE(KeyExists(kTheirKey)) << "another install's key";
    EXPECT_TRUE(FileExists(group_ + "\\Editor.lnk")) << "another install's shortcut";
    EXPECT_FALSE(FileExists(folder_ + "\\" TOVRA_INSTALL_RECORD_NAME));
    // The changed word base, the other key and shortcut, and the three folders not empty.
    EXPECT_EQ(6, outcome.stayed);
    EXPECT_EQ(group_ + "\\Editor.lnk", outcome.firstStayed) << "taken back from the last line up";
}

// A value the install set in a key it found gets its old text back; a key it made goes
// once its value is taken; a value another program set since stays.
TEST_F(UninstallRunTest, ValuesGetTheirOldTextBackWhileTheyHoldTheInstalledOne)
{
    const std::string found = "Software\\Tovra Uninstall Test\\.found", made = "Software\\Tovra Uninstall Test\\.made",
                      changed = "Software\\Tovra Uninstall Test\\.changed";
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueA(HKEY_CURRENT_USER, found.c_str(), REG_SZ, "TVREditor.Document", 0));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueA(HKEY_CURRENT_USER, made.c_str(), REG_SZ, "TVREditor.Document", 0));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueA(HKEY_CURRENT_USER, changed.c_str(), REG_SZ, "another.type", 0));
    record_ += "value\tHKCU\t" + found + "\t\tTVREditor.Document\tfoundtype\r\n";
    record_ += "key\tHKCU\t" + made + "\r\n";
    record_ += "value\tHKCU\t" + made + "\t\tTVREditor.Document\t\r\n";
    record_ += "value\tHKCU\t" + changed + "\t\tTVREditor.Document\toldtype\r\n";
    Folders();

    UninstallOutcome outcome;
    ASSERT_EQ(1, UninstallRecorded(folder_.c_str(), 0, &outcome));
    EXPECT_EQ("foundtype", RegistryText(HKEY_CURRENT_USER, found));
    EXPECT_FALSE(KeyExists(made.c_str()));
    EXPECT_EQ("another.type", RegistryText(HKEY_CURRENT_USER, changed));
    EXPECT_EQ(changed, outcome.firstStayed);
}

// The word base the product installed goes; one the user has grown, or kept at an install
// (so the record does not list it), goes only when the user says so.
TEST_F(UninstallRunTest, TheUsersOwnWordBaseGoesOnlyWhenTheUserSaysSo)
{
    Installed("CiZuFlat.igb", "the shipped phrases");
    Installed("pycizudic.idx", "TVRIDX the shipped index");
    Folders();
    EXPECT_EQ(0, HoldsOwnWordBase(folder_.c_str()));
    ASSERT_TRUE(WriteWholeFile(folder_ + "\\CiZuFlat.igb", "phrases the user typed"));
    ASSERT_TRUE(WriteWholeFile(folder_ + "\\py2_3ZiCi1stZuMu.idx", "kept at an install"));
    EXPECT_EQ(1, HoldsOwnWordBase(folder_.c_str()));

    ASSERT_TRUE(CopyFileA((folder_ + "\\" TOVRA_INSTALL_RECORD_NAME).c_str(), (parent_ + "\\record").c_str(), FALSE));
    UninstallOutcome outcome;
    ASSERT_EQ(1, UninstallRecorded(folder_.c_str(), 0, &outcome));
    EXPECT_FALSE(FileExists(folder_ + "\\pycizudic.idx")) << "the product's own, as installed";
    EXPECT_EQ("phrases the user typed", ReadWholeFile(folder_ + "\\CiZuFlat.igb"));
    EXPECT_EQ("kept at an install", ReadWholeFile(folder_ + "\\py2_3ZiCi1stZuMu.idx"));

    ASSERT_TRUE(CopyFileA((parent_ + "\\record").c_str(), (folder_ + "\\" TOVRA_INSTALL_RECORD_NAME).c_str(), FALSE));
    ASSERT_EQ(1, UninstallRecorded(folder_.c_str(), 1, &outcome));
    EXPECT_EQ(0, outcome.stayed) << outcome.firstStayed;
    EXPECT_FALSE(FileExists(folder_));
}

// A shell link saved by the wide interface, as the install saves one in a folder the code
// page can't spell.
bool SaveWideLink(const std::wstring &link, const std::wstring &target)
{
    CoInitialize(nullptr);
    IShellLinkW *shell = nullptr;
    IPersistFile *file = nullptr;
    bool saved = false;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void **>(&shell)))) {
        if (SUCCEEDED(shell->SetPath(target.c_str())) &&
            SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file)))) {
            saved = SUCCEEDED(file->Save(link.c_str(), TRUE));
            file->Release();
        }
        shell->Release();
    }
    CoUninitialize();
    return saved;
}

// A record of version 2 holds its paths in UTF-8: a Start-menu group under a profile named
// in Chinese, which code page 1252 can't spell, is taken back with its link; a record of
// version 1 (the code page's text) is read as before, by every other test here.
TEST_F(UninstallRunTest, PathsTheCodePageCantSpellAreTakenBackExactly)
{
    const std::wstring group = Wide(parent_) + L"\\\u5f20\u4f1f \u5f00\u59cb\u83dc\u5355";
    const std::wstring link = group + L"\\Editor.lnk";
    ASSERT_TRUE(CreateDirectoryW(group.c_str(), nullptr));
    Installed("TVREdit.exe", "the editor");
    ASSERT_TRUE(SaveWideLink(link, Wide(folder_ + "\\TVREdit.exe")));
    record_ = TOVRA_INSTALL_RECORD_FIRST_LINE "\r\n" + record_.substr(record_.find("\r\n") + 2);
    record_ += "shortcut\t" + Utf8(link) + "\r\nfolder\t" + Utf8(group) + "\r\n";
    Folders();

    UninstallOutcome outcome;
    ASSERT_EQ(1, UninstallRecorded(folder_.c_str(), 0, &outcome));
    EXPECT_EQ(0, outcome.stayed) << outcome.firstStayed;
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(link.c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(group.c_str()));
    EXPECT_FALSE(FileExists(folder_));
}

// A record another hand has changed may name a file outside the folder, with its size and
// checksum right: it stays.
TEST_F(UninstallRunTest, AFileNamedOutsideTheFolderStays)
{
    const std::string victim = other_ + "\\victim.txt", bytes = "somebody else's file";
    ASSERT_TRUE(WriteWholeFile(victim, bytes));
    unsigned long sum = adler32(adler32(0L, Z_NULL, 0), reinterpret_cast<const Bytef *>(bytes.data()), uInt(bytes.size()));
    char line[256];
    snprintf(line, sizeof line, "file\t%lu\t%08lx\t00000020\t..\\Other Install\\victim.txt\r\n",
             static_cast<unsigned long>(bytes.size()), sum);
    record_ += line;
    Folders();

    UninstallOutcome outcome;
    ASSERT_EQ(1, UninstallRecorded(folder_.c_str(), 0, &outcome));
    EXPECT_EQ(bytes, ReadWholeFile(victim));
    EXPECT_LE(1, outcome.stayed);
}

TEST_F(UninstallRunTest, WithoutARecordNothingIsTouched)
{
    ASSERT_TRUE(WriteWholeFile(folder_ + "\\TVREdit.exe", "the editor"));
    UninstallOutcome outcome;
    EXPECT_EQ(0, UninstallRecorded(folder_.c_str(), 0, &outcome));
    EXPECT_EQ("the editor", ReadWholeFile(folder_ + "\\TVREdit.exe"));

    ASSERT_TRUE(WriteWholeFile(folder_ + "\\" TOVRA_INSTALL_RECORD_NAME, "not a record\r\nfile\t10\t0\t0\tTVREdit.exe\r\n"));
    EXPECT_EQ(0, UninstallRecorded(folder_.c_str(), 0, &outcome));
    EXPECT_EQ("the editor", ReadWholeFile(folder_ + "\\TVREdit.exe"));
}

} // namespace
