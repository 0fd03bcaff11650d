// The install engine's unit tests stand in for the message dialog: they record every
// message and answer questions from a script, so a test can check what the user was
// shown and answer as a user would.
#ifndef TOVRA_MESSAGE_RECORDER_H
#define TOVRA_MESSAGE_RECORDER_H

#include <functional>
#include <string>
#include <vector>

struct RecordedMessage {
    std::string chinese, english;
    int type;
};

extern std::vector<RecordedMessage> gRecordedMessages;
extern std::vector<int> gScriptedAnswers; // taken from the front; IDOK when empty
// What the user does while a message is up, before answering it (e.g. closes a program).
extern std::function<void(const RecordedMessage &)> gWhileShown;

void ResetMessages();

#endif
