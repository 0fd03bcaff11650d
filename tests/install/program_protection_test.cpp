// The access list program files get, parsed back from the descriptor the install makes:
// Wine accepts a file's list but neither stores nor enforces it, so the list is checked
// here as the system would read it, and its effect only on Windows.
#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>

#include <map>
#include <string>

#include "install/program_protection.h"
#include "support/file_reading.h"
#include "test_folder.h"
#include "wizard/wizard_state.h"

namespace {

// Every right that changes a file's bytes, names, attributes or access list.
const DWORD kWriteRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_WRITE_ATTRIBUTES |
                           FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL |
                           MAXIMUM_ALLOWED;

std::string NameOfSid(PSID sid)
{
    const std::map<WELL_KNOWN_SID_TYPE, std::string> known = {
        {WinBuiltinAdministratorsSid, "Administrators"}, {WinLocalSystemSid, "SYSTEM"}, {WinBuiltinUsersSid, "Users"}};
    for (const auto &entry : known) {
        BYTE bytes[SECURITY_MAX_SID_SIZE];
        DWORD size = sizeof bytes;
        if (CreateWellKnownSid(entry.first, nullptr, bytes, &size) && EqualSid(sid, bytes))
            return entry.second;
    }
    return "another";
}

class ProgramProtectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedNt_ = gNtFlag;
        gNtFlag = 1;
        ASSERT_TRUE(MakeTestFolder(folder_, "protection"));
    }
    void TearDown() override
    {
        ReleaseProgramProtection(&protection_);
        gNtFlag = savedNt_;
        RemoveTestFolder(folder_);
    }
    int savedNt_ = 0;
    std::string folder_;
    ProgramProtection protection_ = {};
};

TEST_F(ProgramProtectionTest, OnlyAdministratorsAndSystemMayChangeAProgramFile)
{
    ASSERT_EQ(1, TakeProgramProtection(&protection_));
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(GetSecurityDescriptorControl(protection_.descriptor, &control, &revision));
    EXPECT_TRUE(control & SE_DACL_PRESENT);
    EXPECT_TRUE(control & SE_DACL_PROTECTED) << "the folder's entries are not inherited";

    std::map<std::string, DWORD> masks;
    for (DWORD i = 0; i < protection_.dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE *ace = nullptr;
        ASSERT_TRUE(GetAce(protection_.dacl, i, reinterpret_cast<void **>(&ace)));
        ASSERT_EQ(ACCESS_ALLOWED_ACE_TYPE, ace->Header.AceType) << i;
        EXPECT_EQ(0, ace->Header.AceFlags) << "entry " << i << " is neither inherited nor inheritable";
        std::string name = NameOfSid(&ace->SidStart);
        EXPECT_EQ(0u, masks.count(name)) << name << " twice";
        masks[name] = ace->Mask;
        if (name != "Administrators" && name != "SYSTEM") {
            EXPECT_EQ(0u, ace->Mask & kWriteRights) << name << " may change the file";
        }
    }
    const std::map<std::string, DWORD> expected = {{"Administrators", FILE_ALL_ACCESS},
                                                   {"SYSTEM", FILE_ALL_ACCESS},
                                                   {"Users", FILE_GENERIC_READ | FILE_GENERIC_EXECUTE}};
    EXPECT_EQ(expected, masks);
}

// The install sets the list on a new copy that its writer still holds, sharing nothing.
TEST_F(ProgramProtectionTest, TheListIsSetOnAFileItsWriterStillHolds)
{
    ASSERT_EQ(1, TakeProgramProtection(&protection_));
    const std::string written = folder_ + "\\Vardel.exe", held = folder_ + "\\~tvnew109.tmp";
    ASSERT_TRUE(WriteWholeFile(written, "MZ the notes"));
    EXPECT_EQ(1, ProtectProgramFile(&protection_, written.c_str()));

    HANDLE file = CreateFileA(held.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_READONLY, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    EXPECT_EQ(1, ProtectProgramFile(&protection_, held.c_str()));
    DWORD count = 0;
    EXPECT_TRUE(WriteFile(file, "MZ", 2, &count, nullptr)) << "the writer keeps writing";
    CloseHandle(file);
    EXPECT_EQ("MZ", ReadWholeFile(held));
    EXPECT_EQ(DWORD(FILE_ATTRIBUTE_READONLY), GetFileAttributesA(held.c_str()) & kReadOnlyHidden)
        << "the list takes no attribute away";

    EXPECT_EQ(0, ProtectProgramFile(&protection_, (folder_ + "\\missing.exe").c_str()));
}

// Windows 95, 98 and Me have no access lists: nothing is made or set.
TEST_F(ProgramProtectionTest, WithoutSecurityNothingIsSet)
{
    gNtFlag = 0;
    EXPECT_EQ(0, TakeProgramProtection(&protection_));
    EXPECT_EQ(nullptr, protection_.descriptor);
    const std::string path = folder_ + "\\TVREdit.exe";
    ASSERT_TRUE(WriteWholeFile(path, "MZ"));
    EXPECT_EQ(0, ProtectProgramFile(&protection_, path.c_str()));
}

TEST(ProgramFiles, ProgramsAreKnownByTheirExtension)
{
    for (const char *name : {"TVREdit.exe", "DOCCONV.DLL", "viewer.ocx", "settings.cpl", "TVREdit.chm",
                             "TVREditUnInstall.exe", "tvreditUninstall.EXE"})
        EXPECT_TRUE(IsProgramFile(name)) << name;
    for (const char *name : {"readme.txt", "cendraui.ini", "CiZuFlat.igb", "exe", "TVREdit.exe.txt", "TVREdit."})
        EXPECT_FALSE(IsProgramFile(name)) << name;
}

} // namespace
