// The wizard ended at random moments of a reinstall, as a user ends it from the task list:
// whenever it stops, each file holds its old bytes or its new bytes and nothing else, and
// the next install clears what the stopped one left.
#include <stdio.h>
#include <stdlib.h>

#include <random>

#include "earlier_install.h"
#include "install/install_record.h"
#include "install/manifest.h"
#include "scenario.h"
#include "support/file_reading.h"
#include "test_folder.h"

namespace {

// Twenty moments here; the emulated PC of the 32-bit stage, where the driver's waits grow
// by TOVRA_WAIT_SCALE, runs about ten times slower and takes three.
int Moments()
{
    return ScaledWait(1) > 1 ? 3 : 20;
}

class StoppedInstallScenario : public SetupScenario {
protected:
    const std::string &ProductBytes(const char *name)
    {
        std::string &bytes = products_[name];
        if (bytes.empty())
            bytes = ReadWholeFile(ProductFile(name));
        return bytes;
    }

    // The walk is over when the manifest's last file holds its new bytes.
    bool LastFileWritten(const std::string &folder)
    {
        const char *last = nullptr;
        for (int i = 0; i < kManifestStepCount; ++i)
            if (IsManifestRow(kManifestSteps[i]))
                last = kManifestSteps[i].fileName;
        return ReadWholeFile(InstalledFile(folder, last)) == ProductBytes(last);
    }

    // The settings file's new bytes are the shipped ones, or those with the user's choices
    // once the walk is over.
    void ExpectOldOrNewBytes(const std::string &folder)
    {
        for (int i = 0; i < kManifestStepCount; ++i) {
            const ManifestStep &row = kManifestSteps[i];
            if (!IsManifestRow(row))
                continue;
            std::string bytes = ReadWholeFile(InstalledFile(folder, row.fileName));
            const std::string &product = ProductBytes(row.fileName);
            bool settled = bytes == EarlierBytes(row.fileName) || bytes == product;
            if (row.identifier == 120)
                settled = settled || bytes == UpdatedSettings(product, '0', 0);
            EXPECT_TRUE(settled) << row.fileName << " holds neither its old nor its new bytes (" << bytes.size()
                                 << " bytes; new " << product.size() << ")";
        }
    }

    std::map<std::string, std::string> products_;
};

TEST_F(StoppedInstallScenario, EndedAtAnyMomentEveryFileHoldsItsOldOrItsNewBytes)
{
    const std::string folder = Folder("stopped", true);
    PlantEarlierInstall(folder);

    // A whole reinstall first: it must succeed, and it tells how long the walk takes here.
    StartWizard();
    StartInstallInto(folder);
    DWORD pressed = GetTickCount();
    ASSERT_TRUE(WaitUntil([this, &folder] { return LastFileWritten(folder); }, kInstallWait));
    const DWORD walk = GetTickCount() - pressed;
    FinishSuccessfulInstall(IDCANCEL);
    ExpectExitCode(0);
    EndSetup(&setup_);
    ExpectManifestInstalled(folder, '0', 0);

    const unsigned seed = GetTickCount();
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> within(0.0, 1.0);
    const int moments = Moments();
    printf("e2e: the walk takes %lu ms; %d moments, seed %u\n", walk, moments, seed);
    for (int moment = 0; moment < moments; ++moment) {
        PlantEarlierInstall(folder);
        DWORD after = DWORD(walk * (moment + within(random)) / moments);
        SCOPED_TRACE("ended " + std::to_string(after) + " ms after Install was pressed");
        StartWizard();
        StartInstallInto(folder);
        Sleep(after);
        TerminateProcess(setup_.info.hProcess, 99);
        ASSERT_NE(-1, WaitForExit(&setup_, kExitWait));
        EndSetup(&setup_);
        ExpectOldOrNewBytes(folder);
        if (HasFatalFailure())
            return;
    }

    // One more install clears what the ended ones left and succeeds without a question:
    // neither the earlier install's word base nor the product's own, which an ended run
    // may have put in place, is one the user has grown.
    StartWizard();
    StartInstallInto(folder);
    FinishSuccessfulInstall(IDCANCEL);
    ExpectExitCode(0);
    ExpectInstalled(folder, '0', 0, true);
    std::vector<std::string> strays;
    for (const auto &entry : StateOf(folder)) {
        bool manifestFile = entry.first == TOVRA_INSTALL_RECORD_NAME;
        for (int i = 0; i < kManifestStepCount; ++i)
            manifestFile = manifestFile || (IsManifestRow(kManifestSteps[i]) && entry.first == kManifestSteps[i].fileName);
        if (!manifestFile)
            strays.push_back(entry.first);
    }
    EXPECT_TRUE(strays.empty()) << "left in the folder: " << strays.front();
}

} // namespace
