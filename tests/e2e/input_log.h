// A record of every keyboard and mouse event the system's input queue takes, in the order
// it takes them, whoever sent it: the driver's own (marked injected) and those the display
// driver makes from the display's events. A failed step prints the record, so that a lost
// input can be told from one that went elsewhere.
#ifndef TOVRA_INPUT_LOG_H
#define TOVRA_INPUT_LOG_H

void StartInputLog();
void PrintInputLog(const char *why);

#endif
