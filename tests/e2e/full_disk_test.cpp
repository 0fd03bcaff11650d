// The install folder on a small drive of its own: an install that does not fit is refused
// before it writes anything, and a reinstall on a drive that fills while it works gives
// every earlier file back.
#include <stdio.h>

#include <algorithm>
#include <vector>

#include "driver_options.h"
#include "earlier_install.h"
#include "gb2312_text.h"
#include "install/manifest.h"
#include "linux_command.h"
#include "scenario.h"
#include "support/file_reading.h"
#include "test_folder.h"

#ifndef SMALL_DRIVE_SCRIPT
#define SMALL_DRIVE_SCRIPT ""
#endif

namespace {

const char kDrive[] = "T:\\";
const char kLetter[] = "t";
const unsigned long long kMegabyte = 1048576;

class FullDiskScenario : public SetupScenario {
protected:
    void TearDown() override
    {
        SetupScenario::TearDown();
        if (mounted_) {
            std::string said;
            EXPECT_EQ(0, RunLinuxScript(Script(), std::string("unmount ") + kLetter, &said, 60000)) << said;
        }
    }

    static std::string Script()
    {
        std::string script = SMALL_DRIVE_SCRIPT;
        return script.compare(0, 2, "Z:") == 0 ? script.substr(2) : script;
    }

    // An empty ext2 drive of megabytes as drive T:.
    void MountSmallDrive(int megabytes)
    {
        std::string said;
        ASSERT_EQ(0, RunLinuxScript(Script(), "mount " + std::to_string(megabytes) + " " + kLetter, &said, 60000))
            << said;
        mounted_ = true;
        ASSERT_TRUE(FileExists(kDrive)) << "drive T: is not mapped";
    }

    static unsigned long long FreeBytes()
    {
        ULARGE_INTEGER available = {};
        GetDiskFreeSpaceExA(kDrive, &available, nullptr, nullptr);
        return available.QuadPart;
    }

    // Another program takes the drive's room but for leave bytes.
    static void FillDriveLeaving(unsigned long long leave)
    {
        HANDLE filler = CreateFileA("T:\\filler.bin", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, filler);
        std::vector<char> zeros(kMegabyte);
        unsigned long long room = FreeBytes();
        for (unsigned long long written = 0; room > leave && written < room - leave;) {
            DWORD chunk = DWORD(std::min<unsigned long long>(zeros.size(), room - leave - written)), done = 0;
            if (!WriteFile(filler, zeros.data(), chunk, &done, nullptr) || done == 0)
                break;
            written += done;
        }
        CloseHandle(filler);
        EXPECT_LE(FreeBytes(), leave + kMegabyte);
    }

    // The whole product, as the drive must hold it.
    static unsigned long long ProductBytes()
    {
        unsigned long long bytes = 0;
        for (int i = 0; i < kManifestStepCount; ++i)
            if (IsManifestRow(kManifestSteps[i])) {
                WIN32_FILE_ATTRIBUTE_DATA data = {};
                GetFileAttributesExA(ProductFile(kManifestSteps[i].fileName).c_str(), GetFileExInfoStandard, &data);
                bytes += (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
            }
        return bytes;
    }

    bool mounted_ = false;
};

TEST_F(FullDiskScenario, AnInstallThatDoesNotFitIsRefusedBeforeAnythingIsWritten)
{
    MountSmallDrive(8);
    const unsigned long long freeBefore = FreeBytes();
    StartWizard();
    StartInstallInto("T:\\Tovra_Editor");

    ShownMessage room = NextMessage(kInstallWait);
    ASSERT_TRUE(room.dialog);
    Picture(&setup_, "message-no-room");
    unsigned long needed = 0, available = 0;
    ASSERT_EQ(2, sscanf(room.english.c_str(), "Not enough disk space: the install needs %lu MB, the drive has %lu MB",
                        &needed, &available))
        << room.english;
    ExpectMessage(room, NoRoomChinese(needed, available), NoRoomEnglish(needed, available), {IDOK});
    EXPECT_TRUE(AllInGb2312(room.chinese));
    unsigned long productMegabytes = static_cast<unsigned long>((ProductBytes() + kMegabyte - 1) / kMegabyte);
    EXPECT_GE(needed, productMegabytes);
    EXPECT_LE(needed, productMegabytes + 3) << "the product takes " << productMegabytes << " MB";
    // The folder the wizard made takes a block or two of what was free.
    EXPECT_NEAR(double(freeBefore / kMegabyte), double(available), 1.0);

    ASSERT_TRUE(ClickAnswer(room, IDOK));
    ASSERT_TRUE(WaitForPage(setup_, 3));
    for (int button : {IDC_NEXT, IDC_BACK, IDCANCEL})
        EXPECT_TRUE(Shown(setup_, button) && IsWindowEnabled(Item(button))) << "button " << button;
    std::vector<std::string> written;
    for (const auto &entry : StateOf(kDrive))
        if (entry.first != "lost+found")
            written.push_back(entry.first);
    EXPECT_TRUE(written.empty()) << "written on the drive: " << written.front();

    // The buttons work as before the install was asked for.
    ASSERT_TRUE(ClickWindow(Item(IDC_BACK)));
    ASSERT_TRUE(WaitForPage(setup_, 2));
    ASSERT_TRUE(ClickWindow(Item(IDCANCEL)));
    ExpectExitCode(0);
}

// Over an earlier install whose word base the user has grown, with a stale dictionary copy
// beside it: the room is there when the install is asked for, and is taken by another
// program while the word-base question waits for its answer.
TEST_F(FullDiskScenario, AReinstallOnADriveThatFillsWhileItWorksGivesEveryFileBack)
{
    MountSmallDrive(64);
    const std::string folder = "T:\\Tovra_Editor";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    PlantEarlierInstall(folder);
    ASSERT_TRUE(WriteWholeFile(folder + "\\pycizudic.idx", "\xC1 the user's own words"));
    ASSERT_TRUE(WriteWholeFile(folder + "\\pykeys.dic0101", "a stale copy"));
    ASSERT_TRUE(SetFileAttributesA((folder + "\\pykeys.dic0101").c_str(), kReadOnlyHidden));
    const FolderState before = StateOf(folder);

    StartWizard();
    StartInstallInto(folder);
    ShownMessage question = NextMessage(kInstallWait);
    ASSERT_TRUE(question.dialog);
    ExpectMessage(question, kWordBaseChinese, kWordBaseEnglish, {IDYES, IDNO});
    FillDriveLeaving(4 * kMegabyte);
    ASSERT_TRUE(ClickAnswer(question, IDYES));

    ShownMessage failure = NextMessage(kInstallWait);
    ASSERT_TRUE(failure.dialog);
    ExpectMessage(failure, kFailureChinese, kFailureEnglish, {IDOK});
    Picture(&setup_, "message-failure-disk-full");
    ASSERT_TRUE(ClickAnswer(failure, IDOK));
    ExpectExitCode(2);
    EndSetup(&setup_);

    // The user's word base, which the user chose to replace, and the stale copy are back too.
    ExpectFolderAsBefore(folder, before);
    ExpectNoShortcuts(column_);
    ExpectNoRegistration();
}

} // namespace
