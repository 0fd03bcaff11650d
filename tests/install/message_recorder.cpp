#include "message_recorder.h"

#include <windows.h>

#include "wizard/message_dialog.h"

std::vector<RecordedMessage> gRecordedMessages;
std::vector<int> gScriptedAnswers;
std::function<void(const RecordedMessage &)> gWhileShown;

void ResetMessages()
{
    gRecordedMessages.clear();
    gScriptedAnswers.clear();
    gWhileShown = nullptr;
}

int ShowMessage(const char *chineseText, const char *englishText, int type, HWND)
{
    gRecordedMessages.push_back({chineseText, englishText ? englishText : "", type});
    if (gWhileShown)
        gWhileShown(gRecordedMessages.back());
    if (gScriptedAnswers.empty())
        return IDOK;
    int answer = gScriptedAnswers.front();
    gScriptedAnswers.erase(gScriptedAnswers.begin());
    return answer;
}
