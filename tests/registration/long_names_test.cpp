// Registration into a folder whose name has blanks, on a volume without short names: the
// short-name call gives the long path back (long_names_only.cpp), and only the quotes keep
// each command whole.
#include <gtest/gtest.h>

#include <string.h>

#include "registration/registration.h"
#include "support/expected_registration.h"
#include "support/file_reading.h"
#include "support/registry_reading.h"
#include "test_folder.h"
#include "wizard/wizard_state.h"

namespace {

TEST(LongNamesOnly, EveryCommandQuotesTheServersPathWithItsBlanks)
{
    RemoveRegistration(true);
    std::string root, folder;
    ASSERT_TRUE(MakeTestFolder(root, "long names"));
    folder = root + "\\Program Files\\Tovra Smart Editor";
    ASSERT_TRUE(CreateDirectoryA((root + "\\Program Files").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    ASSERT_TRUE(WriteWholeFile(folder + "\\tvredit.exe", "MZ"));
    ASSERT_TRUE(WriteWholeFile(folder + "\\DeVud.exe", "MZ"));
    strcpy(gInstallFolder, folder.c_str());

    RegisterDocumentTypes();

    for (const CommandExpectation &command :
         RegisteredCommands({folder, folder + "\\tvredit.exe", folder + "\\DeVud.exe"})) {
        std::string value = ClassesText(command.key);
        EXPECT_EQ("\"" + command.arguments[0] + "\"", value.substr(0, command.arguments[0].size() + 2)) << command.key;
        EXPECT_EQ(command.arguments, ArgumentsOf(value)) << command.key << " = " << value;
    }

    RemoveRegistration(true);
    RemoveTestFolder(root);
}

} // namespace
