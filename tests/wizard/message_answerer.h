// Answers the next message dialog of the calling thread as a user would (a click, a key or
// the close box), from a timer that the dialog's own modal loop runs, and notes what the
// dialog showed at that moment.
#ifndef TOVRA_MESSAGE_ANSWERER_H
#define TOVRA_MESSAGE_ANSWERER_H

#include <windows.h>

#include <map>
#include <string>

struct SeenMessage {
    bool shown = false;
    std::string chinese, english;
    bool englishShown = false;
    RECT window = {};                // screen coordinates
    RECT client = {};
    RECT label = {};                 // control 1013, client coordinates of the dialog
    RECT englishLine = {};           // control 1028
    std::map<int, RECT> buttons;     // the shown buttons among 1, 2, 6 and 7
    SIZE templateButton = {};        // 73 x 18 dialog units in pixels
    SIZE englishExtent = {};         // the English text in the window's own context
    int focus = 0;                   // control identifier with the focus
};

enum AnswerKind { kAnswerClick, kAnswerKey, kAnswerClose, kAnswerEnterOn };

// Arms the answer: kAnswerClick presses button value, kAnswerKey sends key value to the
// focused control, kAnswerClose closes the dialog from its system menu, kAnswerEnterOn moves
// the focus to button value and presses Enter there.
void ArmMessageAnswer(AnswerKind kind, int value, SeenMessage *seen);

#endif
