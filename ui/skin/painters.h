#pragma once
// How each skinned kind of control looks. These functions only paint; the
// subclassing in skin.cpp decides when.

#include <windows.h>

#include "ui/skin/palette.h"

namespace ui::skin {

enum class ButtonKind { Push, Check, Radio, Group, Unskinned };

// The kind of a "Button" window by its style. Owner-drawn, user and
// split/command-link buttons are left to their own painting.
ButtonKind ButtonKindOf(LONG style) noexcept;

// Paints a push button, check box, radio button or group box completely onto
// `target` (the client area at 0,0). Group boxes leave their inside alone,
// where the controls they group are.
void PaintButton(HWND button, HDC target, const Palette& palette, bool hot);

// Before a group box goes back to its own look: wipes the frame and caption
// band the skin drew, which the standard group box would not overpaint.
void ClearGroupBoxFrame(HWND groupBox);

// The border (non-client edge) of an edit box or a drop-down list in skin
// colours. Does nothing for a control without a border.
void PaintEditFrame(HWND edit, const Palette& palette, bool hot);
void PaintDropDownListFrame(HWND list, const Palette& palette);

// Draws the skin's border and drop button over a combo box that has already
// painted itself into `canvas` (client coordinates).
void PaintComboOverlay(HWND combo, HDC canvas, const Palette& palette, bool hot);

// Up-down arrows. `hotPart` and `pressedPart` are 0 (none), 1 (the top or left
// arrow) or 2 (the bottom or right arrow).
void PaintUpDown(HWND upDown, HDC target, const Palette& palette, int hotPart, int pressedPart);

// Which arrow of an up-down control is at `point` (client coordinates): 1 or 2.
int UpDownPartAt(HWND upDown, POINT point) noexcept;

// The up-down control whose buddy is `edit`, or null.
HWND UpDownOfBuddy(HWND edit) noexcept;

}  // namespace ui::skin
