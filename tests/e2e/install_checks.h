// What an install leaves on the system, read back from outside the program: the files of
// the install folder against the product files, the settings file, the shortcuts through
// the shell's own link object, and the registration in the registry. Also what a test
// must remove again so that no test depends on another's leftovers.
#ifndef TOVRA_INSTALL_CHECKS_H
#define TOVRA_INSTALL_CHECKS_H

#include <set>
#include <string>
#include <vector>

// The column of the product names that the program takes on this system, by the ANSI
// code page it runs with: 0 English, 1 GBK, 2 Big5.
int SystemNameColumn();

std::string ProductFile(const char *name);
std::string InstalledFile(const std::string &folder, const char *name);

// Every manifest file but those in skipped is in folder, byte for byte its product file,
// with exactly its read-only and hidden attributes; the settings file holds the two
// choices on top of its template.
void ExpectManifestInstalled_(const char *file, int line, const std::string &folder, char useBmpFont, int language,
                              const std::set<std::string> &skipped = std::set<std::string>());
void ExpectSettings_(const char *file, int line, const std::string &folder, char useBmpFont, int language);
// The shipped settings file as the install leaves it with the user's two choices.
std::string UpdatedSettings(const std::string &shipped, char useBmpFont, int language);

// An install for every user puts its links in the common Programs and Desktop folders,
// one for this user in the user's own. Wine's root can write the machine's registry, so
// every install of the suite is for every user: the checks below look in the common
// folders unless told otherwise (common false: the user's). The program group's folder,
// named in the column of column, and a desktop shortcut's path:
std::wstring ProgramGroupFolder(int column, bool common = true);
std::wstring DesktopShortcutPath(int product, int column, bool common = true);
// The products that get a desktop shortcut.
extern const int kDesktopProducts[2];

// The program group with its two shortcuts into folder, named in the column of column.
void ExpectProgramGroup_(const char *file, int line, const std::string &folder, int column);
// What an uninstall must leave as it found it: the names of the classes' keys and of the
// registered classes, the trees of the keys an install writes, the installed-apps lists,
// and the files of the Start menu's programs and of the desktop, the user's and the
// common ones; one line each.
std::set<std::string> SystemSnapshot();
// The lines of one snapshot that the other lacks, for a failure message.
std::string SnapshotDifference(const std::set<std::string> &before, const std::set<std::string> &after);

// The installed-apps entry names the folder and its uninstaller, and the install record
// is there.
void ExpectInstalledAppsEntry_(const char *file, int line, const std::string &folder, int column);
// The two desktop shortcuts into folder; or none of them, in either place.
void ExpectDesktopShortcuts_(const char *file, int line, const std::string &folder, int column);
void ExpectNoDesktopShortcuts_(const char *file, int line, int column);
// No group and no desktop shortcut in the user's folders; in either place.
void ExpectNoUserShortcuts_(const char *file, int line, int column);
void ExpectNoShortcuts_(const char *file, int line, int column);

// The checks above report a failure at the test's line as well as their own.
#define ExpectManifestInstalled(...) ExpectManifestInstalled_(__FILE__, __LINE__, __VA_ARGS__)
#define ExpectSettings(...) ExpectSettings_(__FILE__, __LINE__, __VA_ARGS__)
#define ExpectProgramGroup(...) ExpectProgramGroup_(__FILE__, __LINE__, __VA_ARGS__)
#define ExpectInstalledAppsEntry(...) ExpectInstalledAppsEntry_(__FILE__, __LINE__, __VA_ARGS__)
#define ExpectDesktopShortcuts(...) ExpectDesktopShortcuts_(__FILE__, __LINE__, __VA_ARGS__)
#define ExpectNoDesktopShortcuts(...) ExpectNoDesktopShortcuts_(__FILE__, __LINE__, __VA_ARGS__)
#define ExpectNoUserShortcuts(...) ExpectNoUserShortcuts_(__FILE__, __LINE__, __VA_ARGS__)
#define ExpectNoShortcuts(...) ExpectNoShortcuts_(__FILE__, __LINE__, __VA_ARGS__)

// Registry state that an install may change and a test must give back.
struct ClassesBefore {
    bool rtfExisted = false;
    std::string rtfType;
    bool rtfFileExisted = false;
};
ClassesBefore NoteClasses();
void ExpectRegistration(const std::string &folder, const ClassesBefore &before);
void ExpectNoRegistration();
// The registration's last entry is written: nothing of the install run is left to do.
bool RegistrationWritten();

// Removes the program group and the desktop shortcuts an install made in either place,
// the registration and the installed-apps entries, and gives ".rtf" and "rtffile" back as they were.
void RemoveShellItems(int column);
void RestoreClasses(const ClassesBefore &before);

// Copies the common folders' shortcuts, named "group-NAME" and "desktop-NAME", into a
// folder of the Linux side's checker.
void CopyShortcuts(int column, const std::string &destination);

// The folders of their own that the program makes in the temporary folder for the
// speech-module package, by their full paths.
std::vector<std::string> SpeechPackageFolders();
// Where the package once went, a fixed name in the temporary folder.
std::string OldSpeechPackagePath();
// Removes both.
void RemoveSpeechPackages();

#endif
