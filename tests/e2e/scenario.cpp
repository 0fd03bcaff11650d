#include "scenario.h"

#include <dlgs.h>
#include <stdio.h>
#include <string.h>

#include "driver_options.h"
#include "input_log.h"
#include "support/caller_line.h"
#include "test_folder.h"

const char kSuccessChinese[] = "祝贺您：安装顺利完成！";
const char kSuccessEnglish[] = "Congratulations! Installation Success!";
const char kSpeechChinese[] = "下面安装微软的语音模块 SAPI5.1.(安装时最好有系统管理员权限)";
const char kSpeechEnglish[] =
    "Now install speech module SAPI5.1 from Microsoft. (Install with Administrator Right is Recommended)";
const char kFailureChinese[] = "安装失败！请检查一下系统后，再重新安装。谢谢！";
const char kFailureEnglish[] =
    "Installation failed. Please check your system (quit all Tovra applications) and try again.";
const char kFolderChinese[] = "无法建目录。请检查所列目录是否合法（注意：子目录只能在已存在的目录下建）。";
const char kFolderEnglish[] = "Cannot create folder! Please check folder path.";
const char kNoAnswerChinese[] = "请您回答提问.";
const char kNoAnswerEnglish[] = "Please select a choice.";
const char kWordBaseChinese[] = "安装目录有老词库。是否安装新词库(会冲掉老词库)?";
const char kWordBaseEnglish[] = "Old CiKu (Word Base) is detected. Replace it with new CiKu?";
const char kDamagedChinese[] = "安装文件已损坏，请重新下载。";
const char kDamagedEnglish[] = "The setup file is damaged. Please download it again.";

std::string NoRoomChinese(unsigned long neededMegabytes, unsigned long freeMegabytes)
{
    char text[128];
    snprintf(text, sizeof text, "磁盘空间不够：安装需要 %lu MB，只有 %lu MB 可用。", neededMegabytes, freeMegabytes);
    return text;
}

std::string NoRoomEnglish(unsigned long neededMegabytes, unsigned long freeMegabytes)
{
    char text[128];
    snprintf(text, sizeof text, "Not enough disk space: the install needs %lu MB, the drive has %lu MB free.",
             neededMegabytes, freeMegabytes);
    return text;
}

std::string InUseChinese(const std::string &fileName)
{
    return fileName + " 正被其他程序使用。确认重试，取消放弃。";
}

std::string InUseEnglish(const std::string &fileName)
{
    return fileName + " is in use by another program. Close it and press OK to try again, or Cancel to give up.";
}
const char kUserFilesChinese[] = "所列目录中已有文件，同名文件将被替换。仍要安装吗？";
const char kUserFilesEnglishEnd[] = " already holds files; files of the same name get replaced. Install?";

namespace {

// The folder list of the folder chooser.
const int kChooserFolderList = lst2;

std::string Narrow(const std::wstring &text)
{
    char narrow[1024] = "";
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, narrow, sizeof narrow, nullptr, nullptr);
    return narrow;
}

// Each folder of path in turn, so that a scenario can ask for a nested one. The path is
// walked by character: a Chinese name may end in the byte of a backslash.
void MakeFolders(const std::string &path)
{
    for (const char *at = path.c_str() + 3; *at; at = CharNextA(at))
        if (*at == '\\')
            CreateDirectoryA(path.substr(0, at - path.c_str()).c_str(), nullptr);
    CreateDirectoryA(path.c_str(), nullptr);
}

} // namespace

void SetupScenario::SetUp()
{
    ASSERT_FALSE(gOptions.setupProgram.empty()) << "no program to drive: --setup= or TOVRA_SETUP_EXE";
    ASSERT_TRUE(FileExists(gOptions.setupProgram)) << gOptions.setupProgram;
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    setup_.name = std::string(test->test_suite_name()) + "-" + test->name();
    column_ = SystemNameColumn();
    // What an earlier, interrupted run may have left would make a check pass or fail.
    RemoveShellItems(column_);
    RemoveSpeechPackages();
    classes_ = NoteClasses();
    static int serial;
    root_ = "C:\\tovra-e2e-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
}

void SetupScenario::TearDown()
{
    if (HasFailure())
        PrintInputLog("the scenario failed");
    EndSetup(&setup_);
    RemoveShellItems(column_);
    RestoreClasses(classes_);
    RemoveSpeechPackages();
    for (const std::string &folder : foldersToRemove_)
        RemoveTestFolder(folder);
    RemoveTestFolder(root_);
}

std::string SetupScenario::ProposedFolder()
{
    char windows[MAX_PATH] = "";
    GetWindowsDirectoryA(windows, MAX_PATH);
    return std::string(1, windows[0]) + ":\\Tovra_Editor";
}

std::string SetupScenario::Folder(const std::string &name, bool make)
{
    std::string path = root_ + "\\" + name;
    if (make)
        MakeFolders(path);
    else
        CreateDirectoryA(root_.c_str(), nullptr);
    return path;
}

void SetupScenario::StartWizard_(const char *file, int line, const char *currentFolder)
{
    CallerLine caller(file, line);
    ASSERT_TRUE(StartSetup(&setup_, currentFolder)) << "the wizard did not open: " << DescribeProgram(setup_);
    ASSERT_TRUE(WaitForPage(setup_, 0));
    // The first program of a fresh Wine session may answer late; the folder page always
    // proposes a folder.
    ASSERT_TRUE(WaitUntil([this] { return !ControlText(Item(IDC_FOLDER_EDIT)).empty(); }, 30000))
        << "the wizard does not answer: " << DescribeProgram(setup_);
}

void SetupScenario::ClickNext_(const char *file, int line, int page)
{
    CallerLine caller(file, line);
    ASSERT_TRUE(ClickWindow(Item(IDC_NEXT)));
    ASSERT_TRUE(WaitForPage(setup_, page)) << "Next did not lead to page " << page;
}

void SetupScenario::ClickInstall_(const char *file, int line)
{
    CallerLine caller(file, line);
    ASSERT_EQ(3, PageShown(setup_));
    ASSERT_TRUE(ClickWindow(Item(IDC_NEXT)));
    // Install hides the buttons at once, or a message says why it can't go on.
    ASSERT_TRUE(WaitUntil(
        [this] { return !Shown(setup_, IDC_NEXT) || FindShownDialogOf(setup_.info.dwProcessId, IDC_MESSAGE_ENGLISH); },
        kPageWait))
        << "Agree/Install was not taken: " << DescribeProgram(setup_);
}

void SetupScenario::EnterFolder_(const char *file, int line, bool paste, const std::wstring &folder)
{
    CallerLine caller(file, line);
    HWND edit = Item(IDC_FOLDER_EDIT);
    ClickWindow(edit);
    ASSERT_TRUE(WaitUntil([this] { return FocusedId(setup_.wizard) == IDC_FOLDER_EDIT; }, 5000))
        << "a click on the folder did not focus it: " << DescribeProgram(setup_);
    PressKey(VK_END);
    PressKeyWith(VK_SHIFT, VK_HOME);
    if (paste) {
        ASSERT_TRUE(PasteText(folder.c_str()));
    } else {
        TypeText(folder.c_str());
    }
    std::string wanted = Narrow(folder);
    ASSERT_TRUE(WaitUntil([edit, &wanted] { return ControlText(edit) == wanted; }, 10000))
        << "the folder edit reads " << ControlText(edit);
}

void SetupScenario::ChooseLanguageByClick_(const char *file, int line, int position)
{
    CallerLine caller(file, line);
    HWND combo = Item(IDC_LANGUAGE_LIST);
    ASSERT_TRUE(ClickWindow(combo));
    // The open list is a top-level window of its own.
    HWND list = nullptr;
    ASSERT_TRUE(WaitUntil(
        [this, &list] {
            list = FindShownWindowOfClass(setup_.info.dwProcessId, "ComboLBox");
            return list != nullptr;
        },
        5000))
        << "the language list did not open: " << DescribeProgram(setup_);
    Picture(&setup_, "language-list");
    // Owner-drawn entries of fixed height, the first at the top of the open list.
    DWORD_PTR height = 0;
    SendMessageTimeoutA(combo, CB_GETITEMHEIGHT, 0, 0, SMTO_ABORTIFHUNG, 5000, &height);
    ASSERT_GT(height, 0u);
    RECT client;
    GetClientRect(list, &client);
    POINT entry = {client.right / 2, static_cast<LONG>(position * height + height / 2)};
    ClientToScreen(list, &entry);
    ASSERT_TRUE(ClickAt(entry));
    // The open list selects what the pointer passes over before the click ends; until the
    // list has closed, the next click would only close it.
    ASSERT_TRUE(WaitUntil(
        [combo, position] {
            DWORD_PTR selected = 0, open = 1;
            SendMessageTimeoutA(combo, CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &selected);
            SendMessageTimeoutA(combo, CB_GETDROPPEDSTATE, 0, 0, SMTO_ABORTIFHUNG, 5000, &open);
            return static_cast<int>(selected) == position && !open;
        },
        5000))
        << "position " << position << " was not selected: " << DescribeProgram(setup_);
}

void SetupScenario::WalkToLanguagePage_(const char *file, int line, int answer)
{
    CallerLine caller(file, line);
    ClickNext(1);
    ASSERT_TRUE(ClickWindow(Item(answer)));
    ASSERT_TRUE(WaitUntil([this, answer] { return Checked(Item(answer)); }, 5000))
        << "a click did not tick box " << answer << ": " << DescribeProgram(setup_);
    ClickNext(2);
    ClickNext(3);
}

void SetupScenario::StartInstallInto_(const char *file, int line, const std::string &folder, int displayAnswer)
{
    CallerLine caller(file, line);
    TypeFolder(std::wstring(folder.begin(), folder.end()));
    WalkToLanguagePage(displayAnswer);
    ClickInstall();
}

HWND SetupScenario::WaitForChooser()
{
    HWND chooser = nullptr;
    WaitUntil(
        [this, &chooser] {
            chooser = FindShownDialogOf(setup_.info.dwProcessId, kChooserFolderList);
            return chooser != nullptr;
        },
        10000);
    return chooser;
}

ShownMessage SetupScenario::NextMessage_(const char *file, int line, DWORD milliseconds)
{
    CallerLine caller(file, line);
    ShownMessage message;
    bool came = WaitForMessage(&setup_, &message, milliseconds);
    [&] { ASSERT_TRUE(came) << "no message came"; }();
    return message;
}

void SetupScenario::ExpectMessage_(const char *file, int line, const ShownMessage &message,
                                   const std::string &chinese, const std::string &english, std::vector<int> buttons)
{
    CallerLine caller(file, line);
    EXPECT_EQ(chinese, message.chinese);
    EXPECT_EQ(english, message.english);
    EXPECT_TRUE(message.englishShown);
    EXPECT_EQ(std::set<int>(buttons.begin(), buttons.end()), message.buttons);
}

void SetupScenario::FinishSuccessfulInstall_(const char *file, int line, int speechAnswer)
{
    CallerLine caller(file, line);
    ShownMessage success = NextMessage(kInstallWait);
    ASSERT_TRUE(success.dialog);
    ExpectMessage(success, kSuccessChinese, kSuccessEnglish, {IDOK});
    Picture(&setup_, "message-success");
    ASSERT_TRUE(ClickAnswer(success, IDOK)) << "OK did not close the message: " << DescribeProgram(setup_);
    ShownMessage speech = NextMessage();
    ASSERT_TRUE(speech.dialog);
    ExpectMessage(speech, kSpeechChinese, kSpeechEnglish, {IDOK, IDCANCEL});
    Picture(&setup_, "message-speech-offer");
    ASSERT_TRUE(ClickAnswer(speech, speechAnswer)) << "the answer did not close the offer: " << DescribeProgram(setup_);
}

void SetupScenario::ExpectExitCode_(const char *file, int line, int code)
{
    CallerLine caller(file, line);
    EXPECT_EQ(code, WaitForExit(&setup_, kExitWait));
}

void SetupScenario::ExpectInstalled_(const char *file, int line, const std::string &folder, char useBmpFont,
                                     int language, bool desktopShortcuts)
{
    CallerLine caller(file, line);
    SCOPED_TRACE("installed in " + folder);
    ExpectManifestInstalled(folder, useBmpFont, language);
    ExpectSettings(folder, useBmpFont, language);
    ExpectProgramGroup(folder, column_);
    ExpectInstalledAppsEntry(folder, column_);
    if (desktopShortcuts)
        ExpectDesktopShortcuts(folder, column_);
    ExpectRegistration(folder, classes_);
}
