// The whole install run over the product's own payload, into a scratch folder, with a
// real progress bar whose positions are recorded and the message dialog answered by the
// test.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <string.h>
#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>
#include <zlib.h>

#include "install/disk_space.h"
#include "install/file_replace.h"
#include "install/install_record.h"
#include "install/install_run.h"
#include "install/manifest.h"
#include "install/payload.h"
#include "install/program_protection.h"
#include "install/run_journal.h"
#include "install/uninstall_entry.h"
#include "gb2312_text.h"
#include "installed_apps_entry.h"
#include "message_recorder.h"
#include "security_call_recorder.h"
#include "shortcut_reader.h"
#include "support/caller_line.h"
#include "support/file_reading.h"
#include "support/registry_reading.h"
#include "test_folder.h"
#include "wizard/resource.h"
#include "wizard/wizard_state.h"

namespace {

const char kOldWordBaseQuestion[] = "Old CiKu (Word Base) is detected. Replace it with new CiKu?";
const std::vector<int> kAllPositions = {10, 15, 20, 25, 30, 35, 45, 50, 55, 65, 70, 90, 94, 97, 100};
const DWORD kComparedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// A program that keeps a file open and lets nobody else use it meanwhile.
HANDLE Hold(const std::string &path)
{
    return CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

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

// The record's lines without their line ends; the file lines split into their fields.
std::vector<std::string> RecordLines(const std::string &folder)
{
    std::vector<std::string> lines;
    std::string text = ReadWholeFile(folder + "\\" TOVRA_INSTALL_RECORD_NAME);
    for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

std::vector<std::string> Fields(const std::string &line)
{
    std::vector<std::string> fields;
    for (size_t start = 0, end;; start = end + 1) {
        end = line.find('\t', start);
        fields.push_back(line.substr(start, end - start));
        if (end == std::string::npos)
            return fields;
    }
}

class InstallRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetMessages();
        gPositions.clear();
        gNtFlag = 1;
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
        // Wine's root can write the machine's registry: an install is for every user.
        group_ = ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\Tovra Smart Editor";
        userGroup_ = ShellFolder(CSIDL_PROGRAMS) + "\\Tovra Smart Editor";
    }
    void TearDown() override
    {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, TOVRA_UNINSTALL_KEY);
        RegDeleteKeyA(HKEY_CURRENT_USER, TOVRA_UNINSTALL_KEY);
        DestroyWindow(gMainWindow);
        gMainWindow = nullptr;
        RemoveTestFolder(folder_);
        RemoveTestFolder(group_);
        RemoveTestFolder(userGroup_);
        for (int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY})
            for (const char *name : {"Tovra Smart Editor.lnk", "Vardel Notes.lnk"})
                DeleteFileA((ShellFolder(csidl) + "\\" + name).c_str());
    }
    static std::string ShellFolder(int csidl)
    {
        char path[MAX_PATH] = "";
        SHGetFolderPathA(nullptr, csidl, nullptr, 0, path);
        return path;
    }

    std::string PathOf(const char *name) const { return folder_ + "\\" + name; }
    void PlantOldWordBase(unsigned char firstIndexByte)
    {
        ASSERT_TRUE(WriteWholeFile(PathOf("CiZuFlat.igb"), "the user's phrases"));
        ASSERT_TRUE(WriteWholeFile(PathOf("pycizudic.idx"), std::string(1, char(firstIndexByte)) + "index"));
        ASSERT_TRUE(WriteWholeFile(PathOf("py2_3ZiCi1stZuMu.idx"), "first letters"));
    }
    // An earlier install whose every file holds other bytes than this build's, with the
    // attributes the manifest gives it; one also has the system bit. Returns the bytes.
    std::map<std::string, std::string> PlantEarlierInstall()
    {
        std::map<std::string, std::string> earlier;
        for (int i = 0; i < kManifestStepCount; ++i) {
            const ManifestStep &row = kManifestSteps[i];
            if (!IsManifestRow(row))
                continue;
            std::string path = PathOf(row.fileName);
            earlier[row.fileName] = std::string("earlier ") + row.fileName;
            EXPECT_TRUE(WriteWholeFile(path, earlier[row.fileName]));
            DWORD attributes = (row.readOnly ? FILE_ATTRIBUTE_READONLY : 0) | (row.hidden ? FILE_ATTRIBUTE_HIDDEN : 0);
            if (row.identifier == 1022)
                attributes |= FILE_ATTRIBUTE_SYSTEM;
            EXPECT_TRUE(SetFileAttributesA(path.c_str(), attributes ? attributes : FILE_ATTRIBUTE_NORMAL));
        }
        return earlier;
    }
    std::map<std::string, DWORD> AttributesOf(const std::map<std::string, std::string> &files) const
    {
        std::map<std::string, DWORD> attributes;
        for (const auto &file : files)
            attributes[file.first] = GetFileAttributesA(PathOf(file.first.c_str()).c_str()) & kComparedAttributes;
        return attributes;
    }
    void ExpectFilesAsBefore_(const char *file, int line, const std::map<std::string, std::string> &files,
                              const std::map<std::string, DWORD> &attributes) const
    {
        CallerLine caller(file, line);
        for (const auto &entry : files) {
            std::string path = PathOf(entry.first.c_str());
            EXPECT_EQ(entry.second, ReadWholeFile(path)) << path;
            EXPECT_EQ(attributes.at(entry.first), GetFileAttributesA(path.c_str()) & kComparedAttributes) << path;
        }
    }
    // The temporary and kept copies of the one-step replace left in the folder.
    std::vector<std::string> StrayCopies() const { return NamesIn(folder_, "~tv*"); }
    const RecordedMessage *InUseQuestion(const char *fileName) const
    {
        for (const RecordedMessage &message : gRecordedMessages)
            if (message.english.rfind(std::string(fileName) + " is in use", 0) == 0)
                return &message;
        return nullptr;
    }
    bool WordBaseQuestionAsked() const
    {
        for (const RecordedMessage &message : gRecordedMessages)
            if (message.english == kOldWordBaseQuestion)
                return message.type == 4;
        return false;
    }

    std::string folder_, group_, userGroup_;
};
// Reports a failure at the test's line as well as its own.
#define ExpectFilesAsBefore(...) ExpectFilesAsBefore_(__FILE__, __LINE__, __VA_ARGS__)

TEST_F(InstallRunTest, AFreshInstallWritesEveryRowWithItsAttributes)
{
    // The fixture's window is never shown: the bar's own style says whether the run showed it.
    HWND progress = GetDlgItem(gMainWindow, IDC_PROGRESS);
    ASSERT_FALSE(GetWindowLongPtrA(progress, GWL_STYLE) & WS_VISIBLE);
    ASSERT_EQ(1, InstallRun());
    EXPECT_TRUE(gRecordedMessages.empty());
    EXPECT_EQ(kAllPositions, gPositions);
    EXPECT_TRUE(GetWindowLongPtrA(progress, GWL_STYLE) & WS_VISIBLE) << "the run shows its progress bar";

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

    // The product's own index, as the run before left it, is no user's either.
    ResetMessages();
    ASSERT_EQ(1, InstallRun());
    EXPECT_FALSE(WordBaseQuestionAsked());

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
    EXPECT_FALSE(FileExists(PathOf("pykeys.dic"))) << "the file the failed run wrote is gone again";
    EXPECT_FALSE(FileExists(PathOf("pyextra.dic")));
    EXPECT_TRUE(StrayCopies().empty());
    EXPECT_FALSE(FileExists(PathOf("cendraui.ini")));
    EXPECT_EQ(std::vector<int>{10}, gPositions);
    EXPECT_FALSE(FileExists(group_));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, "TVREditor.Document"));
    EXPECT_TRUE(gRecordedMessages.empty());
}

// A reinstall over an earlier install that fails on its 106th row: the user's word base,
// which the user chose to replace, every replaced file and the stale dictionary copies come
// back byte for byte with their attributes; a file the run made is gone.
TEST_F(InstallRunTest, AFailedRunGivesBackEveryFileItReplacedOrSwept)
{
    std::map<std::string, std::string> before = PlantEarlierInstall();
    before["pycizudic.idx"] = "\xC1 the user's own index";
    ASSERT_TRUE(SetFileAttributesA(PathOf("pycizudic.idx").c_str(), FILE_ATTRIBUTE_NORMAL));
    ASSERT_TRUE(WriteWholeFile(PathOf("pycizudic.idx"), before["pycizudic.idx"]));
    ASSERT_TRUE(SetFileAttributesA(PathOf("tips.txt").c_str(), FILE_ATTRIBUTE_NORMAL));
    ASSERT_TRUE(DeleteFileA(PathOf("tips.txt").c_str()));
    before.erase("tips.txt");
    before[TOVRA_INSTALL_RECORD_NAME] = "Tovra install record 1\r\nfile\t1\t00620062\t00000020\tearlier.txt\r\n";
    ASSERT_TRUE(WriteWholeFile(PathOf(TOVRA_INSTALL_RECORD_NAME), before[TOVRA_INSTALL_RECORD_NAME]));
    for (const char *stale : {"pykeys.dic0101", "flatAuto.dic"}) {
        before[stale] = std::string("stale ") + stale;
        ASSERT_TRUE(WriteWholeFile(PathOf(stale), before[stale]));
        ASSERT_TRUE(SetFileAttributesA(PathOf(stale).c_str(), kReadOnlyHidden));
    }
    std::map<std::string, DWORD> attributes = AttributesOf(before);

    HANDLE notes = Hold(PathOf("Vardel.exe"));
    ASSERT_NE(INVALID_HANDLE_VALUE, notes);
    gScriptedAnswers = {IDYES, IDCANCEL};
    EXPECT_EQ(0, InstallRun());
    CloseHandle(notes);

    EXPECT_TRUE(WordBaseQuestionAsked());
    const RecordedMessage *question = InUseQuestion("Vardel.exe");
    ASSERT_NE(nullptr, question) << "the file in use is named";
    EXPECT_EQ(1, question->type) << "OK and Cancel";
    EXPECT_EQ(0u, question->chinese.rfind("Vardel.exe ", 0));
    EXPECT_TRUE(AllInGb2312(question->chinese)) << question->chinese;
    EXPECT_LT(question->chinese.size(), 80u) << "the message draws 79 bytes of its Chinese line";
    EXPECT_LT(question->english.size(), 128u);

    ExpectFilesAsBefore(before, attributes);
    EXPECT_FALSE(FileExists(PathOf("tips.txt"))) << "made by the failed run";
    EXPECT_TRUE(StrayCopies().empty()) << StrayCopies().front();
    EXPECT_EQ(65, gPositions.back()) << "the run stopped at the notes application";
}

// The editor held open: after two seconds the user is asked, closes it and answers OK, and
// the new editor is installed. The pinyin server held too and given up: an optional row,
// so the run goes on and the old server stays as it was.
TEST_F(InstallRunTest, AFileInUseIsAskedForByNameAndTriedAgainOrGivenUp)
{
    std::map<std::string, std::string> before = PlantEarlierInstall();
    std::map<std::string, DWORD> attributes = AttributesOf(before);
    HANDLE editor = Hold(PathOf("TVREdit.exe"));
    HANDLE server = Hold(PathOf("DeVud.exe"));
    ASSERT_NE(INVALID_HANDLE_VALUE, editor);
    ASSERT_NE(INVALID_HANDLE_VALUE, server);
    gScriptedAnswers = {IDOK, IDCANCEL};
    gWhileShown = [&editor](const RecordedMessage &message) {
        if (message.english.rfind("TVREdit.exe", 0) == 0 && editor) {
            CloseHandle(editor);
            editor = nullptr;
        }
    };
    DWORD start = GetTickCount();
    ASSERT_EQ(1, InstallRun());
    DWORD took = GetTickCount() - start;
    CloseHandle(server);

    ASSERT_EQ(2u, gRecordedMessages.size());
    EXPECT_NE(nullptr, InUseQuestion("TVREdit.exe"));
    EXPECT_NE(nullptr, InUseQuestion("DeVud.exe"));
    EXPECT_GE(took, 2 * 1800u) << "each file is tried for about two seconds before the user is asked";
    EXPECT_EQ(Payload(1021), ReadWholeFile(PathOf("TVREdit.exe")));
    EXPECT_EQ(DWORD(FILE_ATTRIBUTE_READONLY), GetFileAttributesA(PathOf("TVREdit.exe").c_str()) & kComparedAttributes);
    ExpectFilesAsBefore({{"DeVud.exe", before["DeVud.exe"]}}, attributes);
    EXPECT_EQ(Payload(1022), ReadWholeFile(PathOf("TVREdit_readme.txt")));
    EXPECT_EQ(DWORD(kReadOnlyHidden | FILE_ATTRIBUTE_SYSTEM),
              GetFileAttributesA(PathOf("TVREdit_readme.txt").c_str()) & kComparedAttributes)
        << "a replaced file keeps its system bit";
    EXPECT_TRUE(StrayCopies().empty()) << StrayCopies().front();
}

// A run stopped half-way leaves new copies and kept old files; the next one deletes them,
// but puts a kept file back where its own file is missing (a run stopped between the two
// renames of a system without hard links).
TEST_F(InstallRunTest, WhatAStoppedRunLeftIsDeletedOrPutBack)
{
    ASSERT_TRUE(WriteWholeFile(PathOf("pykeys.dic"), "the new keys"));
    ASSERT_TRUE(WriteWholeFile(PathOf("~tvold106.tmp"), "the old keys"));
    ASSERT_TRUE(WriteWholeFile(PathOf("~tvold131.tmp"), "the old characters"));
    ASSERT_TRUE(WriteWholeFile(PathOf("~tvold65541.tmp"), "a stale copy"));
    ASSERT_TRUE(WriteWholeFile(PathOf("~tvnew143.tmp"), "half a dictio"));
    ASSERT_TRUE(SetFileAttributesA(PathOf("~tvnew143.tmp").c_str(), kReadOnlyHidden));
    ASSERT_TRUE(WriteWholeFile(PathOf("~tvold99999.tmp"), "a slot of no file"));
    ASSERT_TRUE(WriteWholeFile(PathOf("~tvoldnotes.tmp"), "the user's"));

    ClearLeftovers(folder_.c_str());
    EXPECT_EQ("the new keys", ReadWholeFile(PathOf("pykeys.dic")));
    EXPECT_EQ("the old characters", ReadWholeFile(PathOf("gbkflat.dic")));
    EXPECT_EQ("a stale copy", ReadWholeFile(PathOf("Gbkflat.dic0001")));
    EXPECT_EQ(std::vector<std::string>{"~tvoldnotes.tmp"}, StrayCopies()) << "a name not of our making stays";
}

// What an install asks for on the drive covers what it writes there.
TEST_F(InstallRunTest, TheRoomAskedForCoversWhatTheInstallWrites)
{
    ASSERT_EQ(1, InstallRun());
    unsigned long long written = 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder_ + "\\*").c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, search);
    do
        written += (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    while (FindNextFileA(search, &found));
    FindClose(search);

    unsigned long long freeBytes = 0;
    unsigned long cluster = 0;
    ASSERT_EQ(1, FreeSpaceOf(folder_.c_str(), &freeBytes, &cluster));
    EXPECT_GT(freeBytes, 0u);
    unsigned long long needed = InstallBytesNeeded(cluster);
    EXPECT_GE(needed, written);
    EXPECT_LE(needed, written + 2 * 1048576ull + 124ull * cluster) << "far more than an install writes";
}

TEST_F(InstallRunTest, AFailedOptionalRowIsPassedOver)
{
    ASSERT_TRUE(CreateDirectoryA(PathOf("TVREdit.exe").c_str(), nullptr));
    ASSERT_EQ(1, InstallRun());
    EXPECT_EQ(kAllPositions, gPositions);
    EXPECT_EQ(Payload(1022), ReadWholeFile(PathOf("TVREdit_readme.txt")));
    EXPECT_EQ(PathOf("TVREdit.exe"), ReadShortcut(group_ + "\\Tovra Smart Editor.lnk").target);
}

// A finished run lists what it made, each file as it lies on disk, and enters the product
// in the installed-apps list; a reinstall writes the record again, still naming the
// folders the first install made.
TEST_F(InstallRunTest, AFinishedRunRecordsWhatItMadeAndEntersTheInstalledAppsList)
{
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, TOVRA_UNINSTALL_KEY);
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueA(HKEY_CLASSES_ROOT, ".rtf", REG_SZ, "rtf.before.test", 0));
    ASSERT_TRUE(CreateDirectoryA(PathOf("doc").c_str(), nullptr));
    gInstallFolderMade = 1;
    gVersion6Flag = 1;
    ASSERT_EQ(1, InstallRun());
    gInstallFolderMade = 0;

    std::vector<std::string> lines = RecordLines(folder_);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(TOVRA_INSTALL_RECORD_FIRST_LINE, lines[0]);
    std::map<std::string, int> kinds;
    unsigned long kilobytes = 0;
    for (size_t i = 1; i < lines.size(); ++i) {
        std::vector<std::string> fields = Fields(lines[i]);
        ++kinds[fields[0]];
        if (fields[0] != "file")
            continue;
        ASSERT_EQ(5u, fields.size()) << lines[i];
        std::string path = PathOf(fields[4].c_str()), bytes = ReadWholeFile(path);
        EXPECT_EQ(std::to_string(bytes.size()), fields[1]) << path;
        char checksum[16], attributes[16];
        snprintf(checksum, sizeof checksum, "%08lx",
                 adler32(adler32(0L, Z_NULL, 0), reinterpret_cast<const Bytef *>(bytes.data()), uInt(bytes.size())));
        snprintf(attributes, sizeof attributes, "%08lx", static_cast<unsigned long>(GetFileAttributesA(path.c_str())));
        EXPECT_EQ(checksum, fields[2]) << path;
        EXPECT_EQ(attributes, fields[3]) << path;
        kilobytes += (bytes.size() + 1023) / 1024;
    }
    int rows = 0;
    for (int i = 0; i < kManifestStepCount; ++i)
        rows += IsManifestRow(kManifestSteps[i]);
    EXPECT_EQ(rows, kinds["file"]);
    EXPECT_EQ(2, kinds["shortcut"]);
    const std::vector<std::string> folders = {"folder\t" + folder_, "folder\t" + PathOf("doc"), "folder\t" + group_};
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(folders, std::vector<std::string>(lines.end() - 3, lines.end())) << "folders last, outermost first";
    auto listed = [&lines](const std::string &line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    };
    EXPECT_TRUE(listed("shortcut\t" + group_ + "\\Tovra Smart Editor.lnk"));
    EXPECT_TRUE(listed("key\tHKCR\tTVREditor.Document"));
    EXPECT_TRUE(listed("key\tHKCR\tCLSID\\{3C7A1E52-6B0D-4F8E-9A21-7D5E0C4B9F13}"));
    EXPECT_TRUE(listed("key\tHKLM\t" TOVRA_UNINSTALL_KEY));
    const std::string rtfValue = "value\tHKCR\t.rtf\t\tTVREditor.Document\trtf.before.test";
    EXPECT_TRUE(listed(rtfValue)) << "what .rtf named before";

    EXPECT_EQ("Tovra Smart Editor", InstalledAppsText("DisplayName"));
    EXPECT_EQ(PathOf("TVREdit.exe"), InstalledAppsText("DisplayIcon"));
    EXPECT_EQ(TOVRA_PRODUCT_VERSION, InstalledAppsText("DisplayVersion"));
    EXPECT_EQ(TOVRA_PUBLISHER, InstalledAppsText("Publisher"));
    EXPECT_EQ(folder_, InstalledAppsText("InstallLocation"));
    EXPECT_EQ("\"" + PathOf("TVREditUnInstall.exe") + "\"", InstalledAppsText("UninstallString"));
    EXPECT_EQ("\"" + PathOf("TVREditUnInstall.exe") + "\" /quiet", InstalledAppsText("QuietUninstallString"));
    EXPECT_EQ(kilobytes, InstalledAppsNumber("EstimatedSize"));
    EXPECT_EQ(1u, InstalledAppsNumber("NoModify"));
    EXPECT_EQ(1u, InstalledAppsNumber("NoRepair"));

    gScriptedAnswers = {IDYES}; // the word base replaced too, should it be asked about
    ASSERT_EQ(1, InstallRun()) << "a reinstall over the finished install";
    std::vector<std::string> again = RecordLines(folder_);
    EXPECT_EQ(lines.size(), again.size());
    EXPECT_EQ(folders, std::vector<std::string>(again.end() - 3, again.end()));
    EXPECT_NE(again.end(), std::find(again.begin(), again.end(), rtfValue)) << "not what the first install set";
    RegSetValueA(HKEY_CLASSES_ROOT, ".rtf", REG_SZ, "rtffile", 0);
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "TVREditor.Document");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, TOVRA_UNINSTALL_KEY);
}

// The manifest's program files as its reader sees them: the programs, the uninstaller among
// them, the library and the compiled help.
const std::set<std::string> kProgramFiles = {"qnaux.exe",  "TVREditUnInstall.exe", "TypingTutor.exe", "Vardel.exe",
                                             "TVREdit.exe", "docconv.dll", "DeVud.exe", "TVREdit.chm"};

// The file whose new copy is at path: a manifest file by its slot, or the install record,
// which is written through slot 0.
std::string FileOfCopy(const std::string &path)
{
    long slot = SlotOfCopy(path.substr(path.rfind('\\') + 1).c_str(), kNewCopy);
    if (slot == 0)
        return TOVRA_INSTALL_RECORD_NAME;
    for (int i = 0; i < kManifestStepCount; ++i)
        if (kManifestSteps[i].identifier == slot)
            return kManifestSteps[i].fileName;
    return path;
}

// Every program file and the install record, which the administrator's uninstaller obeys,
// and no data file, get the program files' access list while the run alone holds the new
// copy, in a fresh install and again over it; the rename that puts the copy in place takes
// the list with it on Windows. Without security nothing is asked.
TEST_F(InstallRunTest, EveryProgramFileAndNoDataFileGetsTheProgramAccessList)
{
    ProgramProtection made;
    ASSERT_EQ(1, TakeProgramProtection(&made));
    const unsigned char *bytes = reinterpret_cast<const unsigned char *>(made.dacl);
    const std::vector<unsigned char> list(bytes, bytes + made.dacl->AclSize);
    ReleaseProgramProtection(&made);

    for (int nt : {1, 1, 0}) {
        gNtFlag = nt;
        ASSERT_TRUE(RecordSecurityCalls());
        int installed = InstallRun();
        StopRecordingSecurityCalls();
        ASSERT_EQ(1, installed);
        std::set<std::string> protectedFiles;
        for (const SecurityCall &call : gSecurityCalls) {
            SCOPED_TRACE(call.path);
            protectedFiles.insert(FileOfCopy(call.path));
            EXPECT_EQ(DWORD(DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION), call.what);
            EXPECT_TRUE(list == call.dacl) << "another list";
            EXPECT_EQ(DWORD(ERROR_SHARING_VIOLATION), call.openForWriting) << "another could open the copy meanwhile";
            EXPECT_EQ(DWORD(ERROR_SUCCESS), call.result);
        }
        std::set<std::string> expected = kProgramFiles;
        expected.insert(TOVRA_INSTALL_RECORD_NAME);
        EXPECT_EQ(nt ? expected : std::set<std::string>(), protectedFiles);
        EXPECT_EQ(protectedFiles.size(), gSecurityCalls.size());
    }
}

// Whom the install is for, decided at the start of the run, is where both the links and
// the installed-apps entry go. An install for this user keeps to the user's folders and
// key; a reinstall for every user takes them back, so there is one set and one entry.
TEST_F(InstallRunTest, TheLinksAndTheEntryFollowWhomTheInstallIsFor)
{
    EXPECT_EQ(kForEveryUser, DecideInstallScope()) << "Wine's root can write the machine's list";
    gDesktopIconFlag = 1;
    const std::string desktop = ShellFolder(CSIDL_DESKTOPDIRECTORY);
    const std::string common = ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
    ASSERT_EQ(1, InstallRunFor(kForThisUser));
    EXPECT_EQ(PathOf("TVREdit.exe"), ReadShortcut(userGroup_ + "\\Tovra Smart Editor.lnk").target);
    EXPECT_EQ(PathOf("Vardel.exe"), ReadShortcut(desktop + "\\Vardel Notes.lnk").target);
    EXPECT_FALSE(FileExists(group_));
    EXPECT_FALSE(FileExists(common + "\\Vardel Notes.lnk"));
    EXPECT_EQ(folder_, RegistryText(HKEY_CURRENT_USER, TOVRA_UNINSTALL_KEY, "InstallLocation"));
    EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, TOVRA_UNINSTALL_KEY));
    std::vector<std::string> lines = RecordLines(folder_);
    EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), "key\tHKCU\t" TOVRA_UNINSTALL_KEY));

    ASSERT_EQ(1, InstallRunFor(kForEveryUser));
    EXPECT_EQ(PathOf("TVREdit.exe"), ReadShortcut(group_ + "\\Tovra Smart Editor.lnk").target);
    EXPECT_EQ(PathOf("Vardel.exe"), ReadShortcut(common + "\\Vardel Notes.lnk").target);
    EXPECT_FALSE(FileExists(userGroup_));
    EXPECT_FALSE(FileExists(desktop + "\\Vardel Notes.lnk"));
    EXPECT_FALSE(FileExists(desktop + "\\Tovra Smart Editor.lnk"));
    EXPECT_EQ(folder_, InstalledAppsText("InstallLocation"));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, TOVRA_UNINSTALL_KEY));
    EXPECT_TRUE(gRecordedMessages.empty());
}

TEST_F(InstallRunTest, RegistersOnlyWithTheVersion6Flag)
{
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "TVREditor.Document");
    ASSERT_EQ(1, InstallRun());
    EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, "TVREditor.Document"));

    gVersion6Flag = 1;
    ASSERT_EQ(1, InstallRun()) << "a second run over a finished install";
    ASSERT_TRUE(RegistryKeyExists(HKEY_CLASSES_ROOT, "TVREditor.Document"));
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "TVREditor.Document");
}

} // namespace
