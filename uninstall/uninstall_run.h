/* Taking back what an install made, as its install record lists it, and nothing else:
   a file the user changed since, a file the user put there, a shortcut or registry key
   that another install has since taken over, all stay. */
#ifndef TOVRA_UNINSTALL_RUN_H
#define TOVRA_UNINSTALL_RUN_H

#include <windows.h>

#include "wizard/wizard_state.h"

struct UninstallOutcome {
    int removed;                    /* items taken away */
    int stayed;                     /* items that stayed, the user's or failed */
    char firstStayed[kPathBytes];   /* the first of them, for the report */
};

/* Removes what the record in folder lists: files, shortcuts, registry keys, then the
   folders the install made, each only when empty; the record itself last. The word base
   goes when it is the product's as installed, or with ownWordBase also when the user has
   grown it. A failure on one item does not stop the others. 0 when there is no record to
   go by. */
int UninstallRecorded(const char *folder, int ownWordBase, UninstallOutcome *outcome);

/* Whether folder holds an install record of a version known here. */
int HoldsInstallRecord(const char *folder);

/* Whether folder holds a word base of the user's: one grown by use since the install, or
   one the user kept at an install. */
int HoldsOwnWordBase(const char *folder);

#endif
