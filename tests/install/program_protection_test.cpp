// The access list program files get, parsed back from the descriptor the install makes:
// Wine accepts a file's list but neither stores nor enforces it, so the list is checked
// here as the system would read it, and its effect only on Windows. Which files get it:
// install_run_test.
#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>

#include <map>
#include <string>

#include "install/program_protection.h"
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

TEST(ProgramProtection, OnlyAdministratorsAndSystemMayChangeAProgramFile)
{
    gNtFlag = 1;
    ProgramProtection protection;
    ASSERT_EQ(1, TakeProgramProtection(&protection));
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(GetSecurityDescriptorControl(protection.descriptor, &control, &revision));
    EXPECT_TRUE(control & SE_DACL_PRESENT);
    EXPECT_TRUE(control & SE_DACL_PROTECTED) << "the folder's entries are not inherited";

    std::map<std::string, DWORD> masks;
    for (DWORD i = 0; i < protection.dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE *ace = nullptr;
        ASSERT_TRUE(GetAce(protection.dacl, i, reinterpret_cast<void **>(&ace)));
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
    ReleaseProgramProtection(&protection);
}

} // namespace
