// A second program of the same user, watching the temporary folder for the folders the
// program under test makes there (the speech package's, the uninstaller copy's) to go for
// the file inside. It wakes on every change in the temporary folder and every 10 ms
// besides, until it is stopped or the program it watches has ended.
#ifndef TOVRA_TEMPORARY_WATCH_H
#define TOVRA_TEMPORARY_WATCH_H

#include <windows.h>

#include <atomic>
#include <functional>
#include <set>
#include <string>
#include <thread>

// The user's temporary folder, ending in a backslash; empty when the system gives none.
std::string TemporaryFolder();
// The folders of pattern in the temporary folder, by their full paths.
std::set<std::string> TemporaryFoldersOf(const char *pattern);

class TemporaryWatch {
public:
    // Calls visit with each folder of pattern that was not there when the watch began.
    TemporaryWatch(HANDLE watched, const char *pattern, std::function<void(const std::string &folder)> visit);
    ~TemporaryWatch() { Stop(); }
    void Stop();

private:
    void Run();

    HANDLE watched_;
    const char *pattern_;
    std::function<void(const std::string &)> visit_;
    const std::set<std::string> earlier_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

#endif
