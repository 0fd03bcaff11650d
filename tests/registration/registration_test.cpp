#include <gtest/gtest.h>

#include <string.h>
#include <string>

#include "registration/registration.h"
#include "registration/registration_templates.h"
#include "registry_checks.h"
#include "support/file_reading.h"
#include "test_folder.h"
#include "wizard/wizard_state.h"

namespace {

const char kEditorClass[] = "CLSID\\{3C7A1E52-6B0D-4F8E-9A21-7D5E0C4B9F13}";
const char kDevudClass[] = "CLSID\\{8E2D4B07-51C3-4A6F-B9E8-2F0C6D1A7B45}";
const char *const kOurKeys[] = {"TVREditor.Document", "TVREdit.Document", "DeVud.Document.1", kEditorClass,
                                kDevudClass,          ".rtf",             "rtffile"};

void SetClassesValue(const std::string &key, const char *value, const char *name = nullptr)
{
    HKEY handle;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             &handle, nullptr));
    RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(value), DWORD(strlen(value) + 1));
    RegCloseKey(handle);
}

std::string ShortPath(const std::string &path)
{
    char shortPath[MAX_PATH];
    DWORD length = GetShortPathNameA(path.c_str(), shortPath, MAX_PATH);
    return length && length < MAX_PATH ? shortPath : "<no short path>";
}

class RegistrationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char *key : kOurKeys)
            RegDeleteTreeA(HKEY_CLASSES_ROOT, key);
        ASSERT_TRUE(MakeTestFolder(folder_, "register me"));
        UseFolder(folder_);
    }
    void TearDown() override
    {
        for (const char *key : kOurKeys)
            RegDeleteTreeA(HKEY_CLASSES_ROOT, key);
        RemoveTestFolder(folder_);
    }
    // An install folder holding both servers, so that they have short paths.
    void UseFolder(const std::string &folder)
    {
        strcpy(gInstallFolder, folder.c_str());
        ASSERT_TRUE(WriteWholeFile(folder + "\\TVREdit.exe", "MZ"));
        ASSERT_TRUE(WriteWholeFile(folder + "\\DeVud.exe", "MZ"));
    }

    std::string folder_;
};

TEST_F(RegistrationTest, WritesTheEditorsTypeClassAndCommands)
{
    RegisterDocumentTypes();
    std::string server = ShortPath(folder_ + "\\TVREdit.exe");
    ASSERT_NE(std::string::npos, folder_.find(' '));

    EXPECT_EQ("Tovra Editor Document", ClassesValue("TVREditor.Document"));
    EXPECT_EQ("\"" + folder_ + "\\tvredit.exe\" \"%1\"", ClassesValue("TVREditor.Document\\shell\\open\\command"));
    EXPECT_EQ("TVREditor.Document", ClassesValue(".rtf"));
    EXPECT_EQ("<none>", ClassesValue(".rtf\\ShellNew", "Data")) << "step 1 made .rtf, so no ShellNew";

    EXPECT_EQ("TVREdit Document", ClassesValue("TVREdit.Document"));
    EXPECT_EQ("", ClassesValue("TVREdit.Document\\Insertable"));
    EXPECT_EQ("&Edit", ClassesValue("TVREdit.Document\\protocol\\StdFileEditing\\verb\\0"));
    EXPECT_EQ("{3C7A1E52-6B0D-4F8E-9A21-7D5E0C4B9F13}", ClassesValue("TVREdit.Document\\CLSID"));
    EXPECT_EQ(server, ClassesValue("TVREdit.Document\\protocol\\StdFileEditing\\server"));
    EXPECT_EQ("\"" + server + "\" \"%1\"", ClassesValue("TVREdit.Document\\shell\\open\\command"));
    EXPECT_EQ("\"" + server + "\" /p \"%1\"", ClassesValue("TVREdit.Document\\shell\\print\\command"));
    EXPECT_EQ("\"" + server + "\" /pt \"%1\" \"%2\" \"%3\" \"%4\"",
              ClassesValue("TVREdit.Document\\shell\\printto\\command"));

    std::string editorClass = kEditorClass;
    EXPECT_EQ("TVREdit Document", ClassesValue(editorClass));
    EXPECT_EQ("&Edit,0,2", ClassesValue(editorClass + "\\Verb\\0"));
    EXPECT_EQ("&Open,0,2", ClassesValue(editorClass + "\\Verb\\1"));
    EXPECT_EQ("0", ClassesValue(editorClass + "\\MiscStatus"));
    EXPECT_EQ("TVREdit.Document", ClassesValue(editorClass + "\\ProgID"));
    EXPECT_EQ("ole32.dll", ClassesValue(editorClass + "\\InprocHandler32"));
    EXPECT_EQ("\"" + server + "\"", ClassesValue(editorClass + "\\LocalServer32"));
    EXPECT_EQ("TVREdit Document", ClassesValue(editorClass + "\\AuxUserType\\2"));
    EXPECT_EQ("TVREdit", ClassesValue(editorClass + "\\AuxUserType\\3"));
    EXPECT_EQ(server + ",1", ClassesValue(editorClass + "\\DefaultIcon"));

    std::string devud = ShortPath(folder_ + "\\DeVud.exe");
    EXPECT_EQ("DeVud Document", ClassesValue("DeVud.Document.1"));
    EXPECT_EQ("\"" + devud + "\" \"%1\"", ClassesValue("DeVud.Document.1\\shell\\open\\command"));
    EXPECT_EQ("\"" + devud + "\"", ClassesValue(std::string(kDevudClass) + "\\LocalServer32"));
    EXPECT_EQ("DeVud", ClassesValue(std::string(kDevudClass) + "\\AuxUserType\\3"));
}

TEST_F(RegistrationTest, ClassEntriesKeepTextButFillEmptyValues)
{
    SetClassesValue("TVREdit.Document", "");
    SetClassesValue(std::string(kEditorClass) + "\\Verb\\1", "&View,0,2");
    RegisterDocumentTypes();
    EXPECT_EQ("TVREdit Document", ClassesValue("TVREdit.Document"));
    EXPECT_EQ("&View,0,2", ClassesValue(std::string(kEditorClass) + "\\Verb\\1"));
}

TEST_F(RegistrationTest, ASecondInstallElsewhereRewritesOnlyTheServerEntries)
{
    RegisterDocumentTypes();
    SetClassesValue("TVREdit.Document", "Renamed by the user");
    SetClassesValue(std::string(kEditorClass) + "\\Verb\\0", "&Change,0,2");

    std::string second;
    ASSERT_TRUE(MakeTestFolder(second, "second"));
    UseFolder(second);
    RegisterDocumentTypes();
    std::string server = ShortPath(second + "\\TVREdit.exe");
    EXPECT_EQ("Renamed by the user", ClassesValue("TVREdit.Document"));
    EXPECT_EQ("&Change,0,2", ClassesValue(std::string(kEditorClass) + "\\Verb\\0"));
    EXPECT_EQ("\"" + server + "\"", ClassesValue(std::string(kEditorClass) + "\\LocalServer32"));
    EXPECT_EQ(server + ",1", ClassesValue(std::string(kEditorClass) + "\\DefaultIcon"));
    EXPECT_EQ("\"" + server + "\" \"%1\"", ClassesValue("TVREdit.Document\\shell\\open\\command"));
    EXPECT_EQ("\"" + second + "\\tvredit.exe\" \"%1\"", ClassesValue("TVREditor.Document\\shell\\open\\command"));
    RemoveTestFolder(second);
}

TEST_F(RegistrationTest, AnExistingRtfTypeIsLeftAsItIs)
{
    SetClassesValue("rtffile", "Somebody's Rich Text");
    SetClassesValue("rtffile\\shell\\open\\command", "other.exe \"%1\"");
    RegisterDocumentTypes();
    EXPECT_EQ("Somebody's Rich Text", ClassesValue("rtffile"));
    EXPECT_EQ("other.exe \"%1\"", ClassesValue("rtffile\\shell\\open\\command"));
    EXPECT_EQ("<none>", ClassesValue("rtffile\\CLSID"));
}

TEST_F(RegistrationTest, AMissingRtfTypeIsMadeForTheEditor)
{
    RegisterDocumentTypes();
    std::string server = ShortPath(folder_ + "\\TVREdit.exe");
    EXPECT_EQ("Rich Text Document", ClassesValue("rtffile"));
    EXPECT_EQ("{3C7A1E52-6B0D-4F8E-9A21-7D5E0C4B9F13}", ClassesValue("rtffile\\CLSID"));
    EXPECT_EQ("\"" + server + "\" \"%1\"", ClassesValue("rtffile\\shell\\open\\command"));
    EXPECT_EQ(server + ",1", ClassesValue("rtffile\\DefaultIcon"));
}

TEST_F(RegistrationTest, TheRtfExtensionListMakesShellNew)
{
    RegistrationArguments rtf = {{"{3C7A1E52-6B0D-4F8E-9A21-7D5E0C4B9F13}", "rtffile", "S", "T", "Rich Text Document",
                                  "A", ".rtf", "1"}};
    ASSERT_EQ(1, ApplyTemplateList(kRtfExtensionList, rtf, 1));
    EXPECT_EQ("rtffile", ClassesValue(".rtf"));
    EXPECT_EQ("{\\rtf1}", ClassesValue(".rtf\\ShellNew", "Data"));
}

// Every command, as the shell and COM run it: the started server finds the document, the
// print switches and the printer as separate arguments.
TEST_F(RegistrationTest, EveryCommandGivesTheServerItsArgumentsApart)
{
    RegisterDocumentTypes();
    std::string editor = ShortPath(folder_ + "\\TVREdit.exe"), devud = ShortPath(folder_ + "\\DeVud.exe");
    std::vector<CommandExpectation> commands = CommandsOf("TVREdit.Document", kEditorClass, editor);
    for (const CommandExpectation &command : CommandsOf("rtffile", "", editor))
        commands.push_back(command);
    for (const CommandExpectation &command : CommandsOf("DeVud.Document.1", kDevudClass, devud))
        commands.push_back(command);
    commands.push_back({"TVREditor.Document\\shell\\open\\command", {folder_ + "\\tvredit.exe", kShellInserts[0]}});
    for (const CommandExpectation &command : commands)
        EXPECT_EQ(command.arguments, ArgumentsOf(ClassesValue(command.key))) << command.key;
}

// No short form (the file is missing here): the long path, quoted like any other.
TEST_F(RegistrationTest, AServerWithoutAShortFormIsNamedByItsLongPath)
{
    ASSERT_TRUE(DeleteFileA((folder_ + "\\TVREdit.exe").c_str()));
    RegisterDocumentTypes();
    std::string server = folder_ + "\\tvredit.exe";
    EXPECT_EQ("\"" + server + "\" \"%1\"", ClassesValue("TVREdit.Document\\shell\\open\\command"));
    EXPECT_EQ("\"" + server + "\"", ClassesValue(std::string(kEditorClass) + "\\LocalServer32"));
    EXPECT_EQ(server + ",1", ClassesValue(std::string(kEditorClass) + "\\DefaultIcon"));
}

TEST_F(RegistrationTest, ExpansionsThatDoNotFit256CharactersAreEmpty)
{
    static const char kLongValue[] = "TVREdit.Document\\Long\0\0%3";
    static const char *const kList[] = {kLongValue, nullptr};
    std::string fits(255, 'f'), over(256, 'o');
    RegistrationArguments arguments = {{"", "", fits.c_str(), "", "", "", "", ""}};
    ASSERT_EQ(1, ApplyTemplateList(kList, arguments, 1));
    EXPECT_EQ(fits, ClassesValue("TVREdit.Document\\Long"));
    arguments.text[2] = over.c_str();
    ASSERT_EQ(1, ApplyTemplateList(kList, arguments, 1));
    EXPECT_EQ("", ClassesValue("TVREdit.Document\\Long"));
}

} // namespace
