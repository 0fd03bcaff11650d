// The driver's entry: GoogleTest takes its own flags, the driver the rest.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "driver_options.h"
#include "setup_driver.h"

#ifndef SETUP_PROGRAM
#define SETUP_PROGRAM ""
#endif
#ifndef PRODUCT_FILES
#define PRODUCT_FILES ""
#endif

DriverOptions gOptions;

namespace {

std::string FromEnvironment(const char *name, const char *fallback)
{
    const char *value = getenv(name);
    return value && *value ? value : fallback;
}

// "--name=value" sets option; any other argument is refused.
bool TakeArgument(const char *argument)
{
    static const struct {
        const char *prefix;
        std::string DriverOptions::*option;
    } kArguments[] = {
        {"--setup=", &DriverOptions::setupProgram},
        {"--product-files=", &DriverOptions::productFiles},
        {"--screenshots=", &DriverOptions::screenshots},
        {"--link-copies=", &DriverOptions::linkCopies},
    };
    for (const auto &known : kArguments) {
        size_t length = strlen(known.prefix);
        if (strncmp(argument, known.prefix, length) == 0) {
            gOptions.*known.option = argument + length;
            return true;
        }
    }
    return false;
}

const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
const char kPrefixDesktop[] = "%USERPROFILE%\\Tovra e2e desktop";

// Wine links a new prefix's Desktop to the user's home folder, which every prefix on the
// machine shares: the program's desktop shortcuts would land there, beside those of any
// other prefix's runs. For the driver's run the desktop is a folder of the test prefix.
class DesktopInsidePrefix : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (!RunningUnderWine())
            return;
        HKEY folders;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &folders) !=
            ERROR_SUCCESS)
            return;
        char previous[MAX_PATH] = "";
        DWORD size = sizeof previous - 1, type = 0;
        if (RegQueryValueExA(folders, "Desktop", nullptr, &type, reinterpret_cast<BYTE *>(previous), &size) ==
                ERROR_SUCCESS &&
            (type == REG_EXPAND_SZ || type == REG_SZ)) {
            previous_ = previous;
            previousType_ = type;
        }
        char desktop[MAX_PATH] = "";
        ExpandEnvironmentStringsA(kPrefixDesktop, desktop, MAX_PATH);
        CreateDirectoryA(desktop, nullptr);
        changed_ = RegSetValueExA(folders, "Desktop", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE *>(kPrefixDesktop),
                                  sizeof kPrefixDesktop) == ERROR_SUCCESS;
        RegCloseKey(folders);
    }

    void TearDown() override
    {
        if (!changed_)
            return;
        HKEY folders;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, KEY_SET_VALUE, &folders) != ERROR_SUCCESS)
            return;
        if (previous_.empty())
            RegDeleteValueA(folders, "Desktop");
        else
            RegSetValueExA(folders, "Desktop", 0, previousType_, reinterpret_cast<const BYTE *>(previous_.c_str()),
                           static_cast<DWORD>(previous_.size() + 1));
        RegCloseKey(folders);
        char desktop[MAX_PATH] = "";
        ExpandEnvironmentStringsA(kPrefixDesktop, desktop, MAX_PATH);
        RemoveDirectoryA(desktop);
    }

private:
    std::string previous_;
    DWORD previousType_ = REG_EXPAND_SZ;
    bool changed_ = false;
};

} // namespace

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    gOptions.setupProgram = FromEnvironment("TOVRA_SETUP_EXE", SETUP_PROGRAM);
    gOptions.productFiles = FromEnvironment("TOVRA_PRODUCT_FILES", PRODUCT_FILES);
    gOptions.screenshots = FromEnvironment("TOVRA_SCREENSHOTS", "");
    gOptions.linkCopies = FromEnvironment("TOVRA_LINK_COPIES", "");
    for (int i = 1; i < argc; ++i) {
        if (!TakeArgument(argv[i])) {
            fprintf(stderr, "e2e: unknown argument %s (--setup=, --product-files=, --screenshots=, --link-copies=)\n",
                    argv[i]);
            return 2;
        }
    }
    ::testing::AddGlobalTestEnvironment(new DesktopInsidePrefix);
    printf("e2e: driving %s, code page %u\n", gOptions.setupProgram.c_str(), GetACP());
    return RUN_ALL_TESTS();
}
