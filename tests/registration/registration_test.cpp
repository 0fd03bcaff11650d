#include <gtest/gtest.h>

#include <string.h>
#include <string>

#include "registration/registration.h"
#include "registration/registration_templates.h"
#include "support/expected_registration.h"
#include "support/file_reading.h"
#include "support/registry_reading.h"
#include "test_folder.h"
#include "wizard/wizard_state.h"

namespace {

const std::string kEditorClass = kEditorClassKey;

void SetClassesText(const std::string &key, const char *value, const char *name = nullptr)
{
    HKEY handle;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             &handle, nullptr));
    RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(value), DWORD(strlen(value) + 1));
    RegCloseKey(handle);
}

class RegistrationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RemoveRegistration(true);
        ASSERT_TRUE(MakeTestFolder(folder_, "register me"));
        UseFolder(folder_);
    }
    void TearDown() override
    {
        RemoveRegistration(true);
        RemoveTestFolder(folder_);
    }
    // An install folder holding both servers, so that they have short paths.
    void UseFolder(const std::string &folder)
    {
        strcpy(gInstallFolder, folder.c_str());
        ASSERT_TRUE(WriteWholeFile(folder + "\\TVREdit.exe", "MZ"));
        ASSERT_TRUE(WriteWholeFile(folder + "\\DeVud.exe", "MZ"));
    }

    // The servers' paths as the registration names them, short ones.
    RegisteredPaths Paths() const
    {
        return {folder_, ShortPath(folder_ + "\\TVREdit.exe"), ShortPath(folder_ + "\\DeVud.exe")};
    }

    std::string folder_;
};

TEST_F(RegistrationTest, WritesTheEditorsTypeClassAndCommands)
{
    RegisterDocumentTypes();
    ASSERT_NE(std::string::npos, folder_.find(' '));
    EXPECT_EQ("", RegistrationDifferences(Paths(), kEveryInstall | kWithoutRtf));
}

TEST_F(RegistrationTest, ClassEntriesKeepTextButFillEmptyValues)
{
    SetClassesText("TVREdit.Document", "");
    SetClassesText(kEditorClass + "\\Verb\\1", "&View,0,2");
    RegisterDocumentTypes();
    EXPECT_EQ("TVREdit Document", ClassesText("TVREdit.Document"));
    EXPECT_EQ("&View,0,2", ClassesText(kEditorClass + "\\Verb\\1"));
}

TEST_F(RegistrationTest, ASecondInstallElsewhereRewritesOnlyTheServerEntries)
{
    RegisterDocumentTypes();
    SetClassesText("TVREdit.Document", "Renamed by the user");
    SetClassesText(kEditorClass + "\\Verb\\0", "&Change,0,2");

    std::string second;
    ASSERT_TRUE(MakeTestFolder(second, "second"));
    UseFolder(second);
    RegisterDocumentTypes();
    std::string server = ShortPath(second + "\\TVREdit.exe");
    EXPECT_EQ("Renamed by the user", ClassesText("TVREdit.Document"));
    EXPECT_EQ("&Change,0,2", ClassesText(kEditorClass + "\\Verb\\0"));
    EXPECT_EQ("\"" + server + "\"", ClassesText(kEditorClass + "\\LocalServer32"));
    EXPECT_EQ(server + ",1", ClassesText(kEditorClass + "\\DefaultIcon"));
    EXPECT_EQ("\"" + server + "\" \"%1\"", ClassesText("TVREdit.Document\\shell\\open\\command"));
    EXPECT_EQ("\"" + second + "\\tvredit.exe\" \"%1\"", ClassesText("TVREditor.Document\\shell\\open\\command"));
    RemoveTestFolder(second);
}

TEST_F(RegistrationTest, AnExistingRtfTypeIsLeftAsItIs)
{
    SetClassesText("rtffile", "Somebody's Rich Text");
    SetClassesText("rtffile\\shell\\open\\command", "other.exe \"%1\"");
    RegisterDocumentTypes();
    EXPECT_EQ("Somebody's Rich Text", ClassesText("rtffile"));
    EXPECT_EQ("other.exe \"%1\"", ClassesText("rtffile\\shell\\open\\command"));
    EXPECT_EQ(kMissingValue, ClassesText("rtffile\\CLSID"));
}

TEST_F(RegistrationTest, AMissingRtfTypeIsMadeForTheEditor)
{
    RegisterDocumentTypes();
    EXPECT_EQ("", RegistrationDifferences(Paths(), kWithoutRtfFile));
}

TEST_F(RegistrationTest, TheRtfExtensionListMakesShellNew)
{
    RegistrationArguments rtf = {{kEditorClassId, "rtffile", "S", "T", "Rich Text Document",
                                  "A", ".rtf", "1"}};
    ASSERT_EQ(1, ApplyTemplateList(kRtfExtensionList, rtf, 1));
    EXPECT_EQ("rtffile", ClassesText(".rtf"));
    EXPECT_EQ("{\\rtf1}", ClassesText(".rtf\\ShellNew", "Data"));
}

// Every command, as the shell and COM run it: the started server finds the document, the
// print switches and the printer as separate arguments.
TEST_F(RegistrationTest, EveryCommandGivesTheServerItsArgumentsApart)
{
    RegisterDocumentTypes();
    for (const CommandExpectation &command : RegisteredCommands(Paths()))
        EXPECT_EQ(command.arguments, ArgumentsOf(ClassesText(command.key))) << command.key;
}

// No short form (the file is missing here): the long path, quoted like any other.
TEST_F(RegistrationTest, AServerWithoutAShortFormIsNamedByItsLongPath)
{
    ASSERT_TRUE(DeleteFileA((folder_ + "\\TVREdit.exe").c_str()));
    RegisterDocumentTypes();
    std::string server = folder_ + "\\tvredit.exe";
    EXPECT_EQ("\"" + server + "\" \"%1\"", ClassesText("TVREdit.Document\\shell\\open\\command"));
    EXPECT_EQ("\"" + server + "\"", ClassesText(kEditorClass + "\\LocalServer32"));
    EXPECT_EQ(server + ",1", ClassesText(kEditorClass + "\\DefaultIcon"));
}

TEST_F(RegistrationTest, ExpansionsThatDoNotFit256CharactersAreEmpty)
{
    static const char kLongValue[] = "TVREdit.Document\\Long\0\0%3";
    static const char *const kList[] = {kLongValue, nullptr};
    std::string fits(255, 'f'), over(256, 'o');
    RegistrationArguments arguments = {{"", "", fits.c_str(), "", "", "", "", ""}};
    ASSERT_EQ(1, ApplyTemplateList(kList, arguments, 1));
    EXPECT_EQ(fits, ClassesText("TVREdit.Document\\Long"));
    arguments.text[2] = over.c_str();
    ASSERT_EQ(1, ApplyTemplateList(kList, arguments, 1));
    EXPECT_EQ("", ClassesText("TVREdit.Document\\Long"));
}

} // namespace
