#include "temporary_watch.h"

#include "test_folder.h"

std::string TemporaryFolder()
{
    char temporary[MAX_PATH] = "";
    DWORD length = GetTempPathA(MAX_PATH, temporary);
    return length > 0 && length < MAX_PATH ? temporary : "";
}

std::set<std::string> TemporaryFoldersOf(const char *pattern)
{
    std::set<std::string> folders;
    const std::string temporary = TemporaryFolder();
    if (temporary.empty())
        return folders;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((temporary + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return folders;
    do
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            folders.insert(temporary + found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return folders;
}

TemporaryWatch::TemporaryWatch(HANDLE watched, const char *pattern, std::function<void(const std::string &)> visit)
    : watched_(watched), pattern_(pattern), visit_(std::move(visit)), earlier_(TemporaryFoldersOf(pattern)),
      thread_([this] { Run(); })
{
}

void TemporaryWatch::Stop()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
}

void TemporaryWatch::Run()
{
    HANDLE change = FindFirstChangeNotificationA(TemporaryFolder().c_str(), TRUE,
                                                 FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                                                     FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE);
    while (!stop_) {
        for (const std::string &folder : TemporaryFoldersOf(pattern_))
            if (!earlier_.count(folder))
                visit_(folder);
        HANDLE waits[2] = {watched_, change};
        DWORD woken = WaitForMultipleObjects(change != INVALID_HANDLE_VALUE ? 2 : 1, waits, FALSE, 10);
        if (woken == WAIT_OBJECT_0)
            break;
        if (woken == WAIT_OBJECT_0 + 1)
            FindNextChangeNotification(change);
    }
    if (change != INVALID_HANDLE_VALUE)
        FindCloseChangeNotification(change);
}
