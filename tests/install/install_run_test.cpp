// The whole install run over the product's own payload, into a scratch folder, with a
// real progress bar whose positions are recorded and the message dialog answered by the
// test.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <string.h>
#include <string>
#include <vector>
#include <zlib.h>

#include "install/install_run.h"
#include "install/manifest.h"
#include "install/payload.h"
#include "message_recorder.h"
#include "shortcut_reader.h"
#include "test_folder.h"
#include "wizard/resource.h"
#include "wizard/wizard_state.h"

namespace {

const char kOldWordBaseQuestion[] = "Old CiKu (Word Base) is detected. Replace it with new CiKu?";
const std::vector<int> kAllPositions = {10, 15, 20, 25, 30, 35, 45, 50, 55, 65, 70, 90, 94, 97, 100};

std::vector<int> gPositions;
WNDPROC gProgressProcedure;

LRESULT CALLBACK RecordProgress(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == PBM_SETPOS)
        gPositions.push_back(int(wParam));
    return CallWindowProcA(gProgressProcedure, window, message, wParam, lParam);
}

std::string Payload(int identifier)
{
    std::vector<char> buffer(kScratchBytes);
    unsigned long length = 0;
    if (InflatePayload(identifier, buffer.data(), buffer.size(), &length) != Z_OK)
        return "<no payload>";
    return std::string(buffer.data(), length);
}

class InstallRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetMessages();
        gPositions.clear();
        gVersion6Flag = 0;
        gVersion3Flag = 0;
        gDesktopIconFlag = 0;
        gSystemChineseVariant = 0;
        gDisplayOkAnswer = 1;
        gForcedLanguage = 0;
        InitCommonControls();
        gMainWindow = CreateWindowExA(0, "STATIC", "install run test", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200, nullptr,
                                      nullptr, nullptr, nullptr);
        HWND progress = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD, 10, 10, 300, 20, gMainWindow,
                                        reinterpret_cast<HMENU>(INT_PTR(IDC_PROGRESS)), nullptr, nullptr);
        gProgressProcedure = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(progress, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordProgress)));
        ASSERT_TRUE(MakeTestFolder(folder_, "install"));
        strcpy(gInstallFolder, folder_.c_str());
        char programs[MAX_PATH];
        SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, 0, programs);
        group_ = std::string(programs) + "\\Tovra Smart Editor";
    }
    void TearDown() override
    {
        DestroyWindow(gMainWindow);
        gMainWindow = nullptr;
        RemoveTestFolder(folder_);
        RemoveTestFolder(group_);
    }

    std::string PathOf(const char *name) const { return folder_ + "\\" + name; }
    void PlantOldWordBase(unsigned char firstIndexByte)
    {
        ASSERT_TRUE(WriteWholeFile(PathOf("CiZuFlat.igb"), "the user's phrases"));
        ASSERT_TRUE(WriteWholeFile(PathOf("pycizudic.idx"), std::string(1, char(firstIndexByte)) + "index"));
        ASSERT_TRUE(WriteWholeFile(PathOf("py2_3ZiCi1stZuMu.idx"), "first letters"));
    }
    bool WordBaseQuestionAsked() const
    {
        for (const RecordedMessage &message : gRecordedMessages)
            if (message.english == kOldWordBaseQuestion)
                return message.type == 4;
        return false;
    }

    std::string folder_, group_;
};

TEST_F(InstallRunTest, AFreshInstallWritesEveryRowWithItsAttributes)
{
    ASSERT_EQ(1, InstallRun());
    EXPECT_TRUE(gRecordedMessages.empty());
    EXPECT_EQ(kAllPositions, gPositions);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(gMainWindow, IDC_PROGRESS)) || !IsWindowVisible(gMainWindow));

    for (int i = 0; i < kManifestStepCount; ++i) {
        const ManifestStep &row = kManifestSteps[i];
        if (!IsManifestRow(row) || row.identifier == 120)
            continue;
        SCOPED_TRACE(row.fileName);
        std::string path = PathOf(row.fileName);
        ASSERT_EQ(Payload(row.identifier), ReadWholeFile(path));
        DWORD expected = (row.readOnly ? FILE_ATTRIBUTE_READONLY : 0) | (row.hidden ? FILE_ATTRIBUTE_HIDDEN : 0);
        EXPECT_EQ(expected, GetFileAttributesA(path.c_str()) & kReadOnlyHidden);
    }
    // The settings file got the user's choices and is read-only and hidden.
    char value[16];
    GetPrivateProfileStringA("Config", "ForceLanguage", "", value, sizeof value, PathOf("cendraui.ini").c_str());
    EXPECT_STREQ("0", value);
    EXPECT_EQ(kReadOnlyHidden, GetFileAttributesA(PathOf("cendraui.ini").c_str()) & kReadOnlyHidden);
    EXPECT_EQ(PathOf("TVREdit.exe"), ReadShortcut(group_ + "\\Tovra Smart Editor.lnk").target);
    EXPECT_EQ(PathOf("TVREditUnInstall.exe"), ReadShortcut(group_ + "\\Tovra Smart Editor UnInstall.lnk").target);
}

TEST_F(InstallRunTest, ANewOrUnreadableIndexIsNoOldWordBase)
{
    PlantOldWordBase(0x7F);
    ASSERT_EQ(1, InstallRun());
    EXPECT_FALSE(WordBaseQuestionAsked());
    EXPECT_EQ(Payload(128), ReadWholeFile(PathOf("pycizudic.idx")));

    for (const char *index : std::vector<const char *>{"", nullptr}) {
        ASSERT_TRUE(SetFileAttributesA(PathOf("pycizudic.idx").c_str(), FILE_ATTRIBUTE_NORMAL));
        if (index)
            ASSERT_TRUE(WriteWholeFile(PathOf("pycizudic.idx"), index));
        else
            ASSERT_TRUE(DeleteFileA(PathOf("pycizudic.idx").c_str()));
        ResetMessages();
        ASSERT_EQ(1, InstallRun());
        EXPECT_FALSE(WordBaseQuestionAsked());
        EXPECT_EQ(Payload(127), ReadWholeFile(PathOf("CiZuFlat.igb")));
    }
}

TEST_F(InstallRunTest, KeepingTheOldWordBaseSkipsItsRowsButNotTheSweep)
{
    PlantOldWordBase(0x80);
    ASSERT_TRUE(WriteWholeFile(PathOf("pykeys.dic"), "stale keys"));
    gScriptedAnswers = {IDNO};
    ASSERT_EQ(1, InstallRun());
    EXPECT_TRUE(WordBaseQuestionAsked());
    EXPECT_EQ("the user's phrases", ReadWholeFile(PathOf("CiZuFlat.igb")));
    EXPECT_EQ("\x80index", ReadWholeFile(PathOf("pycizudic.idx")));
    EXPECT_EQ("first letters", ReadWholeFile(PathOf("py2_3ZiCi1stZuMu.idx")));
    EXPECT_EQ(Payload(106), ReadWholeFile(PathOf("pykeys.dic")));
    EXPECT_EQ(Payload(131), ReadWholeFile(PathOf("gbkflat.dic")));
    EXPECT_EQ(kAllPositions, gPositions) << "the checkpoint after a skipped row is still made";

    ResetMessages();
    gScriptedAnswers = {IDYES};
    ASSERT_EQ(1, InstallRun());
    EXPECT_TRUE(WordBaseQuestionAsked());
    EXPECT_EQ(Payload(127), ReadWholeFile(PathOf("CiZuFlat.igb")));
    EXPECT_EQ(Payload(128), ReadWholeFile(PathOf("pycizudic.idx")));
}

TEST_F(InstallRunTest, TheSweepDeletesNumberedCopiesOnly)
{
    const char *stale[] = {"pykeys.dic0101", "Gbkflat.dic1111", "flatAuto.dic", "flatAdjust.dic0001"};
    for (const char *name : stale) {
        ASSERT_TRUE(WriteWholeFile(PathOf(name), "stale"));
        ASSERT_TRUE(SetFileAttributesA(PathOf(name).c_str(), kReadOnlyHidden));
    }
    ASSERT_TRUE(WriteWholeFile(PathOf("pykeys.dic0000"), "not a copy"));
    ASSERT_EQ(1, InstallRun());
    for (const char *name : stale)
        EXPECT_FALSE(FileExists(PathOf(name))) << name;
    EXPECT_EQ("not a copy", ReadWholeFile(PathOf("pykeys.dic0000")));
}

TEST_F(InstallRunTest, AFailedRequiredRowEndsTheRunThere)
{
    ASSERT_TRUE(CreateDirectoryA(PathOf("gbkflat.dic").c_str(), nullptr));
    gVersion6Flag = 1;
    gDesktopIconFlag = 1;
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "TVREditor.Document");
    EXPECT_EQ(0, InstallRun());
    EXPECT_TRUE(FileExists(PathOf("pykeys.dic")));
    EXPECT_FALSE(FileExists(PathOf("pyextra.dic")));
    EXPECT_FALSE(FileExists(PathOf("cendraui.ini")));
    EXPECT_EQ(std::vector<int>{10}, gPositions);
    EXPECT_FALSE(FileExists(group_));
    HKEY key;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, "TVREditor.Document", 0, KEY_READ, &key));
    EXPECT_TRUE(gRecordedMessages.empty());
}

TEST_F(InstallRunTest, AFailedOptionalRowIsPassedOver)
{
    ASSERT_TRUE(CreateDirectoryA(PathOf("TVREdit.exe").c_str(), nullptr));
    ASSERT_EQ(1, InstallRun());
    EXPECT_EQ(kAllPositions, gPositions);
    EXPECT_EQ(Payload(1022), ReadWholeFile(PathOf("TVREdit_readme.txt")));
    EXPECT_EQ(PathOf("TVREdit.exe"), ReadShortcut(group_ + "\\Tovra Smart Editor.lnk").target);
}

TEST_F(InstallRunTest, RegistersOnlyWithTheVersion6Flag)
{
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "TVREditor.Document");
    ASSERT_EQ(1, InstallRun());
    HKEY key;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, "TVREditor.Document", 0, KEY_READ, &key));

    gVersion6Flag = 1;
    ASSERT_EQ(1, InstallRun()) << "a second run over a finished install";
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, "TVREditor.Document", 0, KEY_READ, &key));
    RegCloseKey(key);
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "TVREditor.Document");
}

} // namespace
