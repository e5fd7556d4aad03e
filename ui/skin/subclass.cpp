// The table of subclassed controls is a fixed array: the skin must keep
// working while the program reports that memory ran out (its message box
// buttons are skinned too), so installing a subclass never allocates. A few
// dozen controls is the most a window of this program or its preview
// library has; past the capacity controls simply keep their standard look.

#include "ui/skin/subclass.h"

namespace ui::skin::subclass {
namespace {

struct Subclass {
  HWND window;
  WNDPROC next;      // what the subclass replaced, as SetWindowLongPtr returned it
  Handler handler;   // null while disarmed: messages only pass through
  DWORD_PTR data;
  // A Unicode window (a library's, made with the W functions) is subclassed
  // with the W procedure: an A one would have the system translate its text
  // messages through code page 936, losing every character outside it.
  bool unicode;
};

constexpr int kCapacity = 512;
Subclass g_subclasses[kCapacity];
int g_count = 0;

// The message being handled: CallNext must still reach the right procedure
// when the handler removed the subclass meanwhile (a click handler may switch
// the skin off). Saved and restored around each handler, since handlers nest.
struct Handling {
  HWND window;
  WNDPROC next;
  bool unicode;
};
Handling g_handling = {nullptr, nullptr, false};

Subclass* Find(HWND window) noexcept {
  for (int i = 0; i < g_count; ++i) {
    if (g_subclasses[i].window == window) return &g_subclasses[i];
  }
  return nullptr;
}

LRESULT CALLBACK SubclassProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK SubclassProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

LRESULT CallProcedure(WNDPROC procedure, bool unicode, HWND window, UINT message, WPARAM wParam,
                      LPARAM lParam) {
  return unicode ? CallWindowProcW(procedure, window, message, wParam, lParam)
                 : CallWindowProcA(procedure, window, message, wParam, lParam);
}

LONG_PTR SetProcedure(HWND window, bool unicode, LONG_PTR procedure) noexcept {
  return unicode ? SetWindowLongPtrW(window, GWLP_WNDPROC, procedure)
                 : SetWindowLongPtrA(window, GWLP_WNDPROC, procedure);
}

bool IsOnTop(const Subclass& subclass) noexcept {
  return subclass.unicode ? GetWindowLongPtrW(subclass.window, GWLP_WNDPROC) ==
                                reinterpret_cast<LONG_PTR>(SubclassProcW)
                          : GetWindowLongPtrA(subclass.window, GWLP_WNDPROC) ==
                                reinterpret_cast<LONG_PTR>(SubclassProcA);
}

// Drops the entry, putting the replaced procedure back if nothing was
// subclassed on top since; otherwise the entry must stay to pass messages on.
void Unlink(Subclass* subclass) noexcept {
  if (IsOnTop(*subclass)) {
    SetProcedure(subclass->window, subclass->unicode, reinterpret_cast<LONG_PTR>(subclass->next));
    *subclass = g_subclasses[--g_count];
  } else {
    subclass->handler = nullptr;
    subclass->data = 0;
  }
}

LRESULT Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool unicode) {
  const Subclass* subclass = Find(window);
  if (!subclass) {
    return unicode ? DefWindowProcW(window, message, wParam, lParam)
                   : DefWindowProcA(window, message, wParam, lParam);
  }
  const Handling outer = g_handling;
  g_handling = {window, subclass->next, subclass->unicode};
  const LRESULT result =
      subclass->handler
          ? subclass->handler(window, message, wParam, lParam, subclass->data)
          : CallProcedure(subclass->next, subclass->unicode, window, message, wParam, lParam);
  g_handling = outer;
  if (Subclass* after = Find(window)) {
    if (message == WM_NCDESTROY) {
      // The last message the window gets; the entry must not outlive it, or
      // a new window given the same handle would inherit it.
      if (IsOnTop(*after)) {
        SetProcedure(window, after->unicode, reinterpret_cast<LONG_PTR>(after->next));
      }
      *after = g_subclasses[--g_count];
    } else if (!after->handler) {
      // Disarmed, and whoever sat on top may have gone: then it can unlink.
      Unlink(after);
    }
  }
  return result;
}

LRESULT CALLBACK SubclassProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return Dispatch(window, message, wParam, lParam, false);
}

LRESULT CALLBACK SubclassProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return Dispatch(window, message, wParam, lParam, true);
}

}  // namespace

bool Install(HWND window, Handler handler, DWORD_PTR data) {
  if (!window || !handler) return false;
  if (Subclass* subclass = Find(window)) {
    subclass->handler = handler;
    subclass->data = data;
    return true;
  }
  if (g_count == kCapacity) return false;
  const bool unicode = IsWindowUnicode(window) != FALSE;
  SetLastError(ERROR_SUCCESS);
  const LONG_PTR replaced = SetProcedure(
      window, unicode,
      reinterpret_cast<LONG_PTR>(unicode ? SubclassProcW : SubclassProcA));
  if (replaced == 0 && GetLastError() != ERROR_SUCCESS) return false;
  // Setting a procedure sends the window nothing, so no message can arrive
  // before the entry is there.
  g_subclasses[g_count++] = {window, reinterpret_cast<WNDPROC>(replaced), handler, data, unicode};
  return true;
}

void Remove(HWND window) {
  if (Subclass* subclass = Find(window)) Unlink(subclass);
}

DWORD_PTR DataOf(HWND window) {
  const Subclass* subclass = Find(window);
  return subclass && subclass->handler ? subclass->data : 0;
}

void SetData(HWND window, DWORD_PTR data) {
  Subclass* subclass = Find(window);
  if (subclass && subclass->handler) subclass->data = data;
}

LRESULT CallNext(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (g_handling.window == window) {
    return CallProcedure(g_handling.next, g_handling.unicode, window, message, wParam, lParam);
  }
  if (const Subclass* subclass = Find(window)) {
    return CallProcedure(subclass->next, subclass->unicode, window, message, wParam, lParam);
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace ui::skin::subclass
