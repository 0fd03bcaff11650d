// Registration into a folder whose name has blanks, on a volume without short names: the
// short-name call gives the long path back (long_names_only.cpp), and only the quotes keep
// each command whole.
#include <gtest/gtest.h>

#include <string.h>

#include "registration/registration.h"
#include "registry_checks.h"
#include "support/file_reading.h"
#include "test_folder.h"
#include "wizard/wizard_state.h"

namespace {

const char *const kOurKeys[] = {"TVREditor.Document", "TVREdit.Document", "DeVud.Document.1",
                                "CLSID\\{3C7A1E52-6B0D-4F8E-9A21-7D5E0C4B9F13}",
                                "CLSID\\{8E2D4B07-51C3-4A6F-B9E8-2F0C6D1A7B45}", ".rtf", "rtffile"};

TEST(LongNamesOnly, EveryCommandQuotesTheServersPathWithItsBlanks)
{
    for (const char *key : kOurKeys)
        RegDeleteTreeA(HKEY_CLASSES_ROOT, key);
    std::string root, folder;
    ASSERT_TRUE(MakeTestFolder(root, "long names"));
    folder = root + "\\Program Files\\Tovra Smart Editor";
    ASSERT_TRUE(CreateDirectoryA((root + "\\Program Files").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    ASSERT_TRUE(WriteWholeFile(folder + "\\tvredit.exe", "MZ"));
    ASSERT_TRUE(WriteWholeFile(folder + "\\DeVud.exe", "MZ"));
    strcpy(gInstallFolder, folder.c_str());

    RegisterDocumentTypes();

    const std::string editor = folder + "\\tvredit.exe", devud = folder + "\\DeVud.exe";
    std::vector<CommandExpectation> commands =
        CommandsOf("TVREdit.Document", "CLSID\\{3C7A1E52-6B0D-4F8E-9A21-7D5E0C4B9F13}", editor);
    for (const CommandExpectation &command : CommandsOf("rtffile", "", editor))
        commands.push_back(command);
    for (const CommandExpectation &command :
         CommandsOf("DeVud.Document.1", "CLSID\\{8E2D4B07-51C3-4A6F-B9E8-2F0C6D1A7B45}", devud))
        commands.push_back(command);
    commands.push_back({"TVREditor.Document\\shell\\open\\command", {editor, kShellInserts[0]}});
    for (const CommandExpectation &command : commands) {
        std::string value = ClassesValue(command.key);
        EXPECT_EQ("\"" + command.arguments[0] + "\"", value.substr(0, command.arguments[0].size() + 2)) << command.key;
        EXPECT_EQ(command.arguments, ArgumentsOf(value)) << command.key << " = " << value;
    }

    for (const char *key : kOurKeys)
        RegDeleteTreeA(HKEY_CLASSES_ROOT, key);
    RemoveTestFolder(root);
}

} // namespace
