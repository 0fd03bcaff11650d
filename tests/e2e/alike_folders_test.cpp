// Two installs whose folders begin alike, C:\...\Tovra and C:\...\Tovra_Editor2: the
// uninstall of the one that is not registered last takes only what names its own folder
// as a whole, and the other keeps its classes, its .rtf association, its program group
// and its installed-apps entry.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "install/manifest.h"
#include "support/registry_reading.h"
#include "test_folder.h"
#include "uninstall_scenario.h"

namespace {

class AlikeFoldersScenario : public UninstallScenario {
protected:
    // Installs first and then second, uninstalls first: second keeps what it registered.
    void UninstallTheEarlierOf(const std::string &first, const std::string &second)
    {
        // The install writes "rtffile" only where there is none: where the first made it,
        // it names the first, and it goes with the first.
        ClassesBefore rtfFileAside = classes_;
        rtfFileAside.rtfFileExisted = true;
        Install(first);
        Install(second);
        ExpectRegistration(second, rtfFileAside);
        // Done, with the other install's keys and shortcuts left.
        ASSERT_EQ(kItemsStayed,
                  UninstallQuietly("\"" + first + "\\" + ProductName(kInstalledProduct, kUninstallerFile, 0) + "\" /quiet"));

        EXPECT_FALSE(FileExists(first));
        EXPECT_TRUE(FileExists(second + "\\TVREdit.exe"));
        ExpectRegistration(second, rtfFileAside);
        if (!classes_.rtfFileExisted) {
            EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, "rtffile")) << "the type named the first folder";
        }
        ExpectInstalledAppsEntry(second, column_);
        ExpectProgramGroup(second, column_);
    }
};

TEST_F(AlikeFoldersScenario, TheFolderWhoseNameBeginsTheOthersIsUninstalledAlone)
{
    UninstallTheEarlierOf(Folder("Tovra", false), Folder("Tovra_Editor2", false));
}

TEST_F(AlikeFoldersScenario, TheFolderWhoseNameExtendsTheOthersIsUninstalledAlone)
{
    UninstallTheEarlierOf(Folder("Tovra_Editor2", false), Folder("Tovra", false));
}

} // namespace
