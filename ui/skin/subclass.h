#pragma once
// The skin's own window subclassing, on the GUI thread: it swaps a control's
// window procedure (GWLP_WNDPROC) and keeps what it replaced, so the program
// does not have to load comctl32 at start-up for SetWindowSubclass.
//
// Unlike a plain swap it can be removed in any order: when someone else has
// subclassed the control on top of the skin since, the skin's procedure
// stays in the chain and only passes messages on, and taking the skin again
// re-arms it there instead of stacking a second one.

#include <windows.h>

namespace ui::skin::subclass {

// Handles a message for a subclassed control. `data` is the control's value
// given to Install or SetData; CallNext passes a message on down the chain.
using Handler = LRESULT (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                            DWORD_PTR data);

// Subclasses `window` (a window of the calling thread), or re-arms or
// updates an existing subclass. False when the window can't be subclassed or
// too many controls already are; the control then stays as it was.
bool Install(HWND window, Handler handler, DWORD_PTR data);

// Removes the subclass (or disarms it where it can't be unlinked).
void Remove(HWND window);

// The value of `window`'s armed subclass; 0 when it has none.
DWORD_PTR DataOf(HWND window);

// Replaces the value of an armed subclass; does nothing for other windows.
void SetData(HWND window, DWORD_PTR data);

// From inside a handler: the procedure the subclass replaced, with this
// message or another one for the same window.
LRESULT CallNext(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace ui::skin::subclass
