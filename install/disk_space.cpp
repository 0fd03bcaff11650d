#include "install/disk_space.h"

#include <stdio.h>
#include <string.h>

#include "foundation/path_text.h"
#include "foundation/string_walk.h"
#include "install/manifest.h"
#include "install/payload_index.h"
#include "install/run_journal.h"
#include "wizard/message_dialog.h"
#include "wizard/system_libraries.h"
#include "wizard/wizard_state.h"

enum : unsigned long { kMegabyte = 1048576, kUsualClusterBytes = 4096 };

unsigned long long InstallBytesNeeded(unsigned long clusterBytes)
{
    PayloadIndex index;
    if (!LoadPayloadIndex(&index))
        return 0;
    if (clusterBytes == 0)
        clusterBytes = kUsualClusterBytes;
    unsigned long long needed = kRoomBesideFiles;
    for (int i = 0; i < kManifestStepCount; ++i) {
        unsigned long size = 0;
        if (IsManifestRow(kManifestSteps[i]) && InflatedSizeOf(&index, unsigned(kManifestSteps[i].identifier), &size))
            needed += (size + static_cast<unsigned long long>(clusterBytes) - 1) / clusterBytes * clusterBytes;
    }
    return needed;
}

/* "C:\" of a drive path, "\\server\share\" of a network path; 0 for any other path. Walked
   by character: a double-byte name may hold the byte of a backslash. */
static int RootOf(const char *folder, char *root)
{
    if (folder[0] && folder[1] == ':') {
        snprintf(root, kPathBytes, "%c:\\", folder[0]);
        return 1;
    }
    if (folder[0] != '\\' || folder[1] != '\\')
        return 0;
    TextWalk walk = {folder, int(strlen(folder)), 0, SystemPathCodePage()};
    int separators = 0, p = 2;
    for (; p < walk.length; p += StepAt(walk, p))
        if (StepAt(walk, p) == 1 && folder[p] == '\\' && ++separators == 2)
            break;
    return separators > 0 && snprintf(root, kPathBytes, "%.*s\\", p, folder) < kPathBytes;
}

typedef BOOL(WINAPI *FreeSpaceReader)(LPCSTR folder, PULARGE_INTEGER available, PULARGE_INTEGER total,
                                      PULARGE_INTEGER free);

/* The first release of Windows 95 lacks GetDiskFreeSpaceExA, so it is looked up rather than
   imported; there the drive's free clusters are all there is. */
static FreeSpaceReader FindFreeSpaceReader()
{
    return SystemProcedure<FreeSpaceReader>(GetModuleHandleA("kernel32.dll"), "GetDiskFreeSpaceExA");
}

int FreeSpaceOf(const char *folder, unsigned long long *freeBytes, unsigned long *clusterBytes)
{
    char root[kPathBytes];
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    int rootRead = RootOf(folder, root) &&
                   GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters);
    *clusterBytes = rootRead ? sectorsPerCluster * bytesPerSector : 0;
    if (*clusterBytes == 0)
        *clusterBytes = kUsualClusterBytes;
    FreeSpaceReader readFreeSpace = FindFreeSpaceReader();
    ULARGE_INTEGER available;
    if (readFreeSpace && readFreeSpace(folder, &available, nullptr, nullptr)) {
        *freeBytes = available.QuadPart;
        return 1;
    }
    if (!rootRead)
        return 0;
    *freeBytes = static_cast<unsigned long long>(freeClusters) * *clusterBytes;
    return 1;
}

static void ReportNoRoom(HWND owner, unsigned long long needed, unsigned long long freeBytes)
{
    unsigned long neededMegabytes = static_cast<unsigned long>((needed + kMegabyte - 1) / kMegabyte);
    unsigned long freeMegabytes = static_cast<unsigned long>(freeBytes / kMegabyte);
    char chinese[80], english[kSecondTextBytes];
    snprintf(chinese, sizeof chinese, "磁盘空间不够：安装需要 %lu MB，只有 %lu MB 可用。", neededMegabytes,
             freeMegabytes);
    snprintf(english, sizeof english, "Not enough disk space: the install needs %lu MB, the drive has %lu MB free.",
             neededMegabytes, freeMegabytes);
    ShowMessage(chinese, english, kMessageOk, owner);
}

int HasRoomToInstall(HWND owner)
{
    ClearLeftovers(gInstallFolder);
    unsigned long long freeBytes = 0;
    unsigned long clusterBytes = 0;
    if (!FreeSpaceOf(gInstallFolder, &freeBytes, &clusterBytes))
        return 1;
    unsigned long long needed = InstallBytesNeeded(clusterBytes);
    if (needed <= freeBytes)
        return 1;
    ReportNoRoom(owner, needed, freeBytes);
    return 0;
}
