// Benchmark of the install run against the bare work it cannot avoid: each payload of the
// manifest inflated once into one buffer and written with one fwrite. Both run in this
// process over the same payload, into fresh folders; prints the medians and the ratio.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <stdio.h>
#include <string.h>
#include <algorithm>
#include <string>
#include <vector>

#include "install/install_run.h"
#include "install/manifest.h"
#include "install/payload.h"
#include "install/settings_file.h"
#include "install/shortcuts.h"
#include "test_folder.h"
#include "wizard/resource.h"
#include "wizard/wizard_state.h"

namespace {

const int kRounds = 5;

double Seconds()
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart) / double(frequency.QuadPart);
}

// The one buffer is taken from the heap each round, as the install run takes its own.
int BareWork()
{
    char *buffer = static_cast<char *>(HeapAlloc(GetProcessHeap(), 0, kScratchBytes));
    if (!buffer)
        return 0;
    int ok = 1;
    for (int i = 0; i < kManifestStepCount; ++i) {
        const ManifestStep &row = kManifestSteps[i];
        if (!IsManifestRow(row))
            continue;
        unsigned long length = 0;
        std::string path = std::string(gInstallFolder) + "\\" + row.fileName;
        FILE *file = nullptr;
        if (InflatePayload(row.identifier, buffer, kScratchBytes, &length) != 0 ||
            !(file = fopen(path.c_str(), "wb")) || fwrite(buffer, 1, length, file) != length)
            ok = 0;
        if (file)
            fclose(file);
        if (!ok)
            break;
    }
    HeapFree(GetProcessHeap(), 0, buffer);
    return ok;
}

// Times one round of work in a fresh folder; the clean-up is not timed.
template <typename Work> double TimeInFreshFolder(Work work)
{
    std::string folder;
    if (!MakeTestFolder(folder, "bench"))
        return -1;
    strcpy(gInstallFolder, folder.c_str());
    double start = Seconds();
    int ok = work();
    double elapsed = Seconds() - start;
    RemoveTestFolder(folder);
    return ok ? elapsed : -1;
}

double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void MakeProgressWindow()
{
    InitCommonControls();
    gMainWindow = CreateWindowExA(0, "STATIC", "bench", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200, nullptr, nullptr,
                                  nullptr, nullptr);
    CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD, 10, 10, 300, 20, gMainWindow,
                    reinterpret_cast<HMENU>(INT_PTR(IDC_PROGRESS)), nullptr, nullptr);
}

} // namespace

int main()
{
    MakeProgressWindow();
    std::vector<double> install, bare;
    for (int round = 0; round < kRounds; ++round) {
        double a = TimeInFreshFolder([] { return InstallRun(); });
        double b = TimeInFreshFolder([] { return BareWork(); });
        if (a < 0 || b < 0) {
            printf("bench: a round failed\n");
            return 1;
        }
        install.push_back(a);
        bare.push_back(b);
    }
    // Where the difference goes: the program group's two shortcuts.
    std::vector<double> group;
    for (int round = 0; round < kRounds; ++round) {
        group.push_back(TimeInFreshFolder([] {
            const ShortcutEntry entries[] = {{"Bench Editor", "TVREdit.exe"}, {"Bench UnInstall", "x.exe"}, {nullptr, nullptr}};
            CoInitialize(nullptr);
            int made = MakeProgramGroup("Tovra Bench", entries);
            CoUninitialize();
            return made;
        }));
    }
    printf("of which the program group: %.3f s (median of %d)\n", Median(group), kRounds);
    DestroyWindow(gMainWindow);
    double i = Median(install), b = Median(bare);
    printf("install run: %.3f s (median of %d)\n", i, kRounds);
    printf("bare inflate and write: %.3f s (median of %d)\n", b, kRounds);
    printf("install/bare ratio: %.2f\n", i / b);
    return 0;
}
