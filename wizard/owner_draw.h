/* The wizard's own painting of buttons, captions, list and combo items and check boxes:
   every label holding Chinese is drawn from the glyph atlas. */
#ifndef TOVRA_OWNER_DRAW_H
#define TOVRA_OWNER_DRAW_H

#include <windows.h>

enum {
    kLabelLimit = 80,           /* a button's own text is read back with this limit */
    kLabelBytes = 128,
    kItemTextBytes = 260,
    kCheckBoxLabelLimit = 127,
    kListItemHeight = 23,
    kListItemWidth = 1024,
};

/* Paints an owner-drawn button or caption of the wizard, the message dialog or the
   folder chooser. */
void DrawButton(const DRAWITEMSTRUCT *item);

/* Paints an item of the agreement list (1019) or the language combo box (1031). */
void DrawListItem(const DRAWITEMSTRUCT *item);

/* Replaces the painting of a check box with one whose label comes from the atlas. */
void SubclassCheckBox(HWND box);
void PaintCheckBox(HWND box, HDC dc);

#endif
