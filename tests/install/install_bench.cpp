// Benchmark of the install run against the bare work it cannot avoid: each payload of the
// manifest inflated once into one buffer and written with one fwrite. Both run in this
// process over the same payload, into fresh folders; prints the medians and the ratio.
#include <windows.h>
#include <commctrl.h>

#include <stdio.h>
#include <string.h>
#include <algorithm>
#include <string>
#include <vector>

#include "install/install_run.h"
#include "install/manifest.h"
#include "install/payload.h"
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

int BareWork(char *buffer)
{
    for (int i = 0; i < kManifestStepCount; ++i) {
        const ManifestStep &row = kManifestSteps[i];
        if (!IsManifestRow(row))
            continue;
        unsigned long length = 0;
        if (InflatePayload(row.identifier, buffer, kScratchBytes, &length) != 0)
            return 0;
        std::string path = std::string(gInstallFolder) + "\\" + row.fileName;
        FILE *file = fopen(path.c_str(), "wb");
        if (!file || fwrite(buffer, 1, length, file) != length)
            return 0;
        fclose(file);
    }
    return 1;
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
    std::vector<char> buffer(kScratchBytes);
    std::vector<double> install, bare;
    for (int round = 0; round < kRounds; ++round) {
        double a = TimeInFreshFolder([] { return InstallRun(); });
        double b = TimeInFreshFolder([&buffer] { return BareWork(buffer.data()); });
        if (a < 0 || b < 0) {
            printf("bench: a round failed\n");
            return 1;
        }
        install.push_back(a);
        bare.push_back(b);
    }
    // The group the install run made is not part of what is measured next time.
    DestroyWindow(gMainWindow);
    double i = Median(install), b = Median(bare);
    printf("install run: %.3f s (median of %d)\n", i, kRounds);
    printf("bare inflate and write: %.3f s (median of %d)\n", b, kRounds);
    printf("install/bare ratio: %.2f\n", i / b);
    return 0;
}
