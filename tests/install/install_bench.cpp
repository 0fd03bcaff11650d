// Benchmark of the install run against the bare work it cannot avoid: each payload of the
// manifest inflated once into one buffer and written with one fwrite. Both run in this
// process over the same payload, into fresh folders, in turns; prints the medians and the
// ratio, the run's peak memory, what the one-step replace costs per file and what the
// start-up check of the payload's checksums costs.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <psapi.h>

#include <stdio.h>
#include <string.h>
#include <algorithm>
#include <string>
#include <vector>

#include "install/file_replace.h"
#include "install/folder_listing.h"
#include "install/install_run.h"
#include "install/manifest.h"
#include "install/payload.h"
#include "install/payload_index.h"
#include "install/run_journal.h"
#include "install/settings_file.h"
#include "install/shortcuts.h"
#include "test_folder.h"
#include "wizard/resource.h"
#include "wizard/wizard_state.h"

namespace {

const int kRounds = 15;
const int kSmallFiles = 124;
const unsigned long kSmallFileBytes = 16384;

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

std::string SmallFilePath(int i)
{
    return std::string(gInstallFolder) + "\\file" + std::to_string(i) + ".dat";
}

// The bare write of one file, as the bare work does it.
int BareWrites(const char *data)
{
    for (int i = 0; i < kSmallFiles; ++i) {
        FILE *file = fopen(SmallFilePath(i).c_str(), "wb");
        if (!file)
            return 0;
        size_t written = fwrite(data, 1, kSmallFileBytes, file);
        if (fclose(file) != 0 || written != kSmallFileBytes)
            return 0;
    }
    return 1;
}

// What the install run does per file: the folder listed once, then a new copy with its
// attributes put in place; over an old file, the old one kept and then let go. Old files
// are written first, untimed.
double TimeReplacingWrites(const char *data, bool overOldFiles)
{
    std::string folder;
    if (!MakeTestFolder(folder, "bench"))
        return -1;
    strcpy(gInstallFolder, folder.c_str());
    int ok = !overOldFiles || BareWrites(data);
    static FolderListing listing;
    static RunJournal journal;
    journal.count = 0;
    double start = Seconds();
    ListFolder(folder.c_str(), &listing);
    for (int i = 0; ok && i < kSmallFiles; ++i) {
        std::string path = SmallFilePath(i), name = path.substr(folder.size() + 1);
        char newCopy[MAX_PATH], kept[MAX_PATH];
        CopyPathBeside(newCopy, path.c_str(), kNewCopy, unsigned(i));
        CopyPathBeside(kept, path.c_str(), kKeptCopy, unsigned(i));
        DWORD old = ListedAttributes(&listing, folder.c_str(), name.c_str());
        ok = WriteNewCopy(newCopy, data, kSmallFileBytes, AttributesForNewFile(old, 1, 1)) &&
             PutInPlace(newCopy, path.c_str(), old, kept);
        NoteChange(&journal, old == INVALID_FILE_ATTRIBUTES ? kFileCreated : kFileReplaced, unsigned(i),
                   name.c_str(), old);
    }
    if (ok)
        LetOldFilesGo(&journal, folder.c_str());
    double elapsed = Seconds() - start;
    RemoveTestFolder(folder);
    return ok ? elapsed : -1;
}

double PerFileMilliseconds(std::vector<double> times)
{
    return Median(times) * 1000.0 / kSmallFiles;
}

void MakeProgressWindow()
{
    InitCommonControls();
    gMainWindow = CreateWindowExA(0, "STATIC", "bench", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200, nullptr, nullptr,
                                  nullptr, nullptr);
    CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD, 10, 10, 300, 20, gMainWindow,
                    reinterpret_cast<HMENU>(INT_PTR(IDC_PROGRESS)), nullptr, nullptr);
}


double MegabytesOf(SIZE_T bytes)
{
    return double(bytes) / 1048576.0;
}


SIZE_T WorkingSet(bool peak)
{
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory))
        return 0;
    return peak ? memory.PeakWorkingSetSize : memory.WorkingSetSize;
}

} // namespace

int main()
{
    MakeProgressWindow();
    // The first install run comes before any other work of this process that touches the
    // payload or a large buffer: the peak after it is the run's, with what the process held
    // before it (Wine's own, the program's image). Under Wine the payload's 20 MB of streams
    // count either there or in the run: Wine reads a section whose place in the file is not
    // on a page boundary into memory at load, and maps one that is, page by page as read.
    SIZE_T before = WorkingSet(false);
    std::vector<double> install, bare;
    for (int round = 0; round < kRounds; ++round) {
        // Half the rounds the other way round: what one leaves behind (dirty pages for the
        // system to write, a warm cache) is not charged to the other alone.
        bool installFirst = round % 2 == 0;
        double b = installFirst ? 0 : TimeInFreshFolder([] { return BareWork(); });
        double a = TimeInFreshFolder([] { return InstallRun(); });
        if (round == 0) {
            SIZE_T peak = WorkingSet(true);
            printf("install run's peak memory: %.1f MiB (the process's peak working set through its first run, before "
                   "the bare work took its buffer; %.1f MiB of it held before the run)\n",
                   MegabytesOf(peak), MegabytesOf(before));
        }
        if (installFirst)
            b = TimeInFreshFolder([] { return BareWork(); });
        if (a < 0 || b < 0) {
            printf("bench: a round failed\n");
            return 1;
        }
        install.push_back(a);
        bare.push_back(b);
    }
    std::vector<double> check;
    for (int round = 0; round < kRounds; ++round) {
        double start = Seconds();
        if (!PayloadIntact()) {
            printf("bench: the payload does not match its index\n");
            return 1;
        }
        check.push_back(Seconds() - start);
    }
    std::vector<char> data(kSmallFileBytes, 'x');
    std::vector<double> bareWrites, freshReplace, overReplace;
    for (int round = 0; round < kRounds; ++round) {
        bareWrites.push_back(TimeInFreshFolder([&data] { return BareWrites(data.data()); }));
        freshReplace.push_back(TimeReplacingWrites(data.data(), false));
        overReplace.push_back(TimeReplacingWrites(data.data(), true));
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
    printf("start-up check of the payload's checksums: %.1f ms (median of %d)\n", Median(check) * 1000.0, kRounds);
    printf("per file of %lu KiB: bare fopen and fwrite %.2f ms; one-step replace, new file %.2f ms; "
           "over an old file, kept and let go %.2f ms\n",
           kSmallFileBytes / 1024, PerFileMilliseconds(bareWrites), PerFileMilliseconds(freshReplace),
           PerFileMilliseconds(overReplace));
    // Each round's two runs are close in time and see the same load on the machine: the
    // ratio is the median of the rounds' own ratios.
    std::vector<double> ratios;
    for (int round = 0; round < kRounds; ++round)
        ratios.push_back(install[round] / bare[round]);
    printf("install run: %.3f s (median of %d)\n", Median(install), kRounds);
    printf("bare inflate and write: %.3f s (median of %d)\n", Median(bare), kRounds);
    printf("install/bare ratio: %.2f (median of the %d rounds' ratios)\n", Median(ratios), kRounds);
    return 0;
}
