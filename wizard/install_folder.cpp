#include "wizard/install_folder.h"

#include <stdio.h>
#include <string.h>

#include "foundation/path_text.h"
#include "install/manifest.h"
#include "install/payload.h"
#include "wizard/message_dialog.h"
#include "wizard/wizard_state.h"

static const char kFolderQuestionChinese[] = "所列目录中已有文件，同名文件将被替换。仍要安装吗？";
static const char kFolderQuestionEnglish[] = " already holds files; files of the same name get replaced. Install?";
static const char kCutMark[] = "...";

static size_t LongestManifestFileName()
{
    size_t longest = 0;
    for (int i = 0; i < kManifestStepCount; ++i)
        if (IsManifestRow(kManifestSteps[i]) && strlen(kManifestSteps[i].fileName) > longest)
            longest = strlen(kManifestSteps[i].fileName);
    return longest;
}

/* Every file of the install must fit the 260-byte path buffers; a folder too long for
   that is refused here, not half-way through the install. */
static int FolderLeavesRoomForFiles(const char *folder)
{
    return strlen(folder) + 1 + LongestManifestFileName() < size_t(kPathBytes);
}

/* A relative text would install under whatever folder the wizard stands in and register
   commands no other program can follow; blanks and dots at the end of a name are dropped
   by Windows, so the folder made would not be the folder named. */
static int TakeFullPath(const char *typed, char *folder)
{
    int codePage = SystemPathCodePage();
    if (!IsFullPath(typed, codePage) || HasComponentEndingInBlankOrDot(typed, codePage))
        return 0;
    DWORD length = GetFullPathNameA(typed, kPathBytes, folder, nullptr);
    return length > 0 && length < DWORD(kPathBytes) && FolderLeavesRoomForFiles(folder);
}

int IsExistingFolder(const char *folder)
{
    DWORD attributes = GetFileAttributesA(folder);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

static int IsFileIn(const char *folder, const char *name)
{
    char path[kPathBytes];
    if (!JoinPath(path, folder, name))
        return 0;
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

/* Subfolders are not counted: no file of the install can replace them. */
static int HoldsFiles(const char *folder)
{
    char pattern[kPathBytes];
    if (!JoinPath(pattern, folder, "*"))
        return 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    int holds = 0;
    do
        holds = !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    while (!holds && FindNextFileA(search, &found));
    FindClose(search);
    return holds;
}

static int IsTextFileName(const char *name)
{
    size_t length = strlen(name);
    return length >= 4 && lstrcmpiA(name + length - 4, ".txt") == 0;
}

/* An earlier install leaves its required files. A readme text is as likely the user's
   own as ours, so only the dictionaries, tables, pictures and programs tell. */
static int HoldsEarlierInstall(const char *folder)
{
    for (int i = 0; i < kManifestStepCount; ++i) {
        const ManifestStep &step = kManifestSteps[i];
        if (IsManifestRow(step) && IsRequiredRow(step) && !IsTextFileName(step.fileName) &&
            IsFileIn(folder, step.fileName))
            return 1;
    }
    return 0;
}

void FormatFolderQuestion(char *english, int capacity, const char *folder)
{
    int room = capacity - 1 - int(strlen(kFolderQuestionEnglish));
    int length = int(strlen(folder));
    if (length <= room) {
        snprintf(english, size_t(capacity), "%s%s", folder, kFolderQuestionEnglish);
        return;
    }
    int tail = TailOffset(folder, room - int(strlen(kCutMark)), SystemPathCodePage());
    snprintf(english, size_t(capacity), "%s%s%s", kCutMark, folder + tail, kFolderQuestionEnglish);
}

/* Installing among somebody's own files would replace any of the same name without a
   word; a reinstall over our own files is what the user expects. */
static int AcceptsFolder(HWND dialog, const char *folder)
{
    if (!HoldsFiles(folder) || HoldsEarlierInstall(folder))
        return 1;
    char english[kSecondTextBytes];
    FormatFolderQuestion(english, sizeof english, folder);
    return ShowMessage(kFolderQuestionChinese, english, kMessageYesNo, dialog) == IDYES;
}

/* A new folder gets a "doc" subfolder for the user's documents. */
static void MakeDocumentsFolder(const char *folder)
{
    char documents[kPathBytes];
    if (JoinPath(documents, folder, "doc"))
        CreateDirectoryA(documents, nullptr);
}

int PrepareInstallFolder(HWND dialog, const char *typed)
{
    char folder[kPathBytes];
    if (!TakeFullPath(typed, folder))
        return kFolderRefused;
    strcpy(gInstallFolder, folder);
    if (IsExistingFolder(folder) && !AcceptsFolder(dialog, folder))
        return kFolderDeclined;
    if (SetCurrentDirectoryA(folder))
        return kFolderReady;
    if (!CreateDirectoryA(folder, nullptr))
        return kFolderRefused;
    MakeDocumentsFolder(folder);
    return kFolderReady;
}

void RemoveMadeFolder(const char *folder)
{
    char documents[kPathBytes];
    if (JoinPath(documents, folder, "doc"))
        RemoveDirectoryA(documents);
    RemoveDirectoryA(folder);
}
