// The program under test as a user meets it: started as its own process, found by its
// window, watched from outside (what is shown, what has the focus) and waited for until
// it ends. Nothing here reaches into the program; controls are read with the messages
// any other program may send them.
#ifndef TOVRA_SETUP_DRIVER_H
#define TOVRA_SETUP_DRIVER_H

#include <windows.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/window_finding.h"
#include "wizard/resource.h"

// Every wait of the driver grows by TOVRA_WAIT_SCALE, for a program that runs slower than
// here (under full emulation). A page is set up in well under a second; the agreement
// page inflates and lists both agreements first.
const DWORD kPageWait = 15000;

struct SetupProcess {
    PROCESS_INFORMATION info = {};
    std::string mark;               // names the process on its command line
    HWND wizard = nullptr;
    std::string name;               // prefix of its pictures
    int pictures = 0;
};

bool RunningUnderWine();

// Processes whose parent is process, by identifier, with their program names.
std::map<DWORD, std::string> ChildrenOf(DWORD process);
bool IsInstaller(const std::string &program);
// Stops process and what it started.
void StopProcessTree(DWORD process);

// The processes a program starts from now on, each reported by the system as it starts,
// however soon it ends (a job with a completion port: polling for children misses a
// process that lives a moment). The ones still running when it goes are stopped.
class StartedProcesses {
public:
    explicit StartedProcesses(HANDLE process);
    ~StartedProcesses();
    // The next process started, by its identifier, within milliseconds (not scaled); 0
    // when none was, or when all have ended.
    DWORD Next(DWORD milliseconds);
    // The program names of the processes started until all have ended or milliseconds
    // have passed; a name is empty when the process ended before it could be read.
    std::vector<std::string> Wait(DWORD milliseconds);

private:
    HANDLE job_, port_;
    DWORD program_;
};

// Starts the program with currentFolder as its current folder (none: the driver's) and
// waits until its wizard is on screen.
bool StartSetup(SetupProcess *setup, const char *currentFolder = nullptr);
// The same for a copy of the program at path.
bool StartSetupFrom(SetupProcess *setup, const std::string &path, const char *currentFolder);
// Starts a copy of the program at path and waits for nothing.
bool LaunchProgram(SetupProcess *setup, const std::string &path, const char *currentFolder = nullptr);
// The wizard of the program is on screen.
bool WizardShown(const SetupProcess &setup);

// The command line of another process, as it was started; empty when it can't be read.
std::string CommandLineOf(DWORD process);

// The exit code, or -1 when the program has not ended within milliseconds.
int WaitForExit(SetupProcess *setup, DWORD milliseconds);

bool HasEnded(const SetupProcess &setup);

// Stops the program if it is still running, and lets go of it.
void EndSetup(SetupProcess *setup);

// The processor time the program has used so far, in milliseconds; -1 when unknown.
long long ProcessorMilliseconds(const SetupProcess &setup);

bool WaitUntil(const std::function<bool()> &condition, DWORD milliseconds);
// milliseconds grown by TOVRA_WAIT_SCALE, as every wait of the driver is.
DWORD ScaledWait(DWORD milliseconds);

HWND Control(const SetupProcess &setup, int id);
bool Shown(const SetupProcess &setup, int id);
bool Checked(HWND control);
std::string ControlText(HWND control);
// The control of window's thread that has the keyboard focus, by its identifier.
int FocusedId(HWND window);

// The wizard page on screen (0 to 3) by the controls shown, or -1 for none.
int PageShown(const SetupProcess &setup);
bool WaitForPage(const SetupProcess &setup, int page);

// A message dialog as the user sees it.
struct ShownMessage {
    HWND dialog = nullptr;
    std::string chinese;            // window text of the Chinese line (1013), in GBK
    std::string english;            // the English line (1028)
    bool englishShown = false;
    std::set<int> buttons;          // the shown buttons among 1, 2, 6 and 7
    int focus = 0;
};

// Waits for the next message dialog of the program; false when none comes in time or
// the program ends first.
bool WaitForMessage(SetupProcess *setup, ShownMessage *message, DWORD milliseconds);
// Whether a message dialog of the program is on screen now.
bool MessageShown(const SetupProcess &setup);
// Presses a button of the message with a real click, and waits for the dialog to go.
bool ClickAnswer(const ShownMessage &message, int button);
// Answers the message with a key, and waits for the dialog to go.
bool KeyAnswer(const ShownMessage &message, WORD key);

// Presses Tab until control id has the focus; false when the tab order never reaches it.
bool TabTo(const SetupProcess &setup, int id);
// Brings window to the front and presses Tab once; false when control id does not then
// take the focus.
bool TabOnceTo(HWND window, int id);

// What the program shows, for a step that did not go as it should: whether it has ended,
// the page, the focus, the pointer, the foreground window and each shown window.
std::string DescribeProgram(const SetupProcess &setup);

// With a picture folder given, saves what the screen shows of the program's windows as
// the next picture of this run, named after the step.
void Picture(SetupProcess *setup, const char *step);

#endif
