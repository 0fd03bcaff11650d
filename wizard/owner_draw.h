/* The wizard's own painting of buttons, captions, list and combo items and check boxes:
   every label holding Chinese is drawn from the glyph atlas. The painting also names each
   control after the label it shows: a screen reader reads a control's name from its
   window text, which the system keeps in UTF-16 whatever its code page. */
#ifndef TOVRA_OWNER_DRAW_H
#define TOVRA_OWNER_DRAW_H

#include <windows.h>

enum {
    kLabelLimit = 80,           /* an own text is read back with this limit */
    kLabelBytes = 128,
    kItemTextBytes = 260,
    kCheckBoxLabelLimit = 127,
    kListItemHeight = 23,
    kListItemWidth = 1024,
    kNameUnits = 512,           /* a name longer than this is cut */
};

/* GBK text, the product's own, into wide (capacity units with the terminator), cut when
   longer; a byte that is not GBK becomes one stand-in character. Returns the units. */
int WidenProductText(const char *text, WCHAR *wide, int capacity);
/* wide into GBK text (capacity bytes with the terminator); 0, and text empty, when it
   would not fit. */
int NarrowToProductText(const WCHAR *wide, char *text, int capacity);

/* Sets control's window text to GBK text through the wide entry points, unless it already
   reads so. */
void NameControl(HWND control, const char *text);

/* Names every owner-drawn button and caption of dialog that the label table knows after
   the label it paints, before the dialog is first shown. */
void NameOwnerDrawnControls(HWND dialog);

/* Paints an owner-drawn button or caption of the wizard, the message dialog or the
   folder chooser, naming it first after the label it paints. An item that asks for no
   drawing (no action, no focus) only names the control: how a dialog that has only this
   routine at hand names its controls before they are shown. */
void DrawButton(const DRAWITEMSTRUCT *item);
/* The same for a control whose text its dialog holds (the message's Chinese line). */
void DrawLabelledButton(const DRAWITEMSTRUCT *item, const char *label);

/* Paints an item of the agreement list (1019) or the language combo box (1031), whose
   items were added through the wide entry points. */
void DrawListItem(const DRAWITEMSTRUCT *item);

/* Replaces the painting of a check box with one whose label comes from the atlas, and
   names the box after that label. */
void SubclassCheckBox(HWND box);
void PaintCheckBox(HWND box, HDC dc);

#endif
