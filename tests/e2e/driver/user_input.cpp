#include "tests/e2e/driver/user_input.h"

#include <cstdlib>
#include <iterator>
#include <vector>

#include "tests/e2e/driver/wait.h"
#include "tests/e2e/driver/window_facts.h"

namespace e2e {
namespace {

bool IsExtendedKey(WORD virtualKey) {
  switch (virtualKey) {
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
    case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT:
    case VK_INSERT: case VK_DELETE: case VK_RMENU: case VK_RCONTROL:
      return true;
    default:
      return false;
  }
}

INPUT KeyEvent(WORD virtualKey, bool up) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = virtualKey;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtendedKey(virtualKey) ? KEYEVENTF_EXTENDEDKEY : 0);
  return input;
}

INPUT MouseEvent(DWORD flags, LONG dx = 0, LONG dy = 0) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dx = dx;
  input.mi.dy = dy;
  input.mi.dwFlags = flags;
  return input;
}

// Absolute coordinates are in 1/65536 of the primary screen; rounded up so
// the system's truncating conversion lands on the intended pixel.
LONG Normalised(LONG pixel, int screenSize) {
  return static_cast<LONG>((static_cast<long long>(pixel) * 65536 + screenSize - 1) / screenSize);
}

bool Send(std::vector<INPUT> inputs) {
  return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

bool PointerIsAt(POINT screen) {
  POINT now = {};
  return GetCursorPos(&now) && now.x == screen.x && now.y == screen.y;
}

// The last click, so that the next one at the same spot is not taken for the
// second half of a double click.
struct LastClick {
  ULONGLONG time = 0;
  POINT where = {-10000, -10000};
};
LastClick lastClick;

void WaitOutDoubleClickTime(POINT screen) {
  const bool sameSpot = std::abs(screen.x - lastClick.where.x) <= GetSystemMetrics(SM_CXDOUBLECLK) &&
                    std::abs(screen.y - lastClick.where.y) <= GetSystemMetrics(SM_CYDOUBLECLK);
  const ULONGLONG quiet = lastClick.time + GetDoubleClickTime() + 100;
  const ULONGLONG now = GetTickCount64();
  if (sameSpot && now < quiet) Sleep(static_cast<DWORD>(quiet - now));
}

}  // namespace

bool MovePointerTo(POINT screen) {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  Send({MouseEvent(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, Normalised(screen.x, width),
                   Normalised(screen.y, height))});
  if (WaitUntil([&] { return PointerIsAt(screen); }, 1000, 10)) return true;
  // Should the movement land a pixel off, put the pointer exactly where wanted.
  SetCursorPos(screen.x, screen.y);
  return WaitUntil([&] { return PointerIsAt(screen); }, 1000, 10);
}

bool BringToFront(HWND topLevel) {
  const RECT window = ScreenRectOf(topLevel);
  const RECT client = ClientScreenRectOf(topLevel);
  // The caption's left part: over the window, away from its controls and its
  // close box.
  const POINT caption = {window.left + (window.right - window.left) / 4,
                         (window.top + client.top) / 2};
  MovePointerTo(caption);
  if (GetForegroundWindow() != topLevel) SetForegroundWindow(topLevel);
  return WaitUntil([&] { return GetForegroundWindow() == topLevel; });
}

void PressKey(WORD virtualKey, std::initializer_list<WORD> held) {
  std::vector<INPUT> inputs;
  for (WORD key : held) inputs.push_back(KeyEvent(key, false));
  inputs.push_back(KeyEvent(virtualKey, false));
  inputs.push_back(KeyEvent(virtualKey, true));
  for (auto key = std::rbegin(held); key != std::rend(held); ++key) inputs.push_back(KeyEvent(*key, true));
  Send(inputs);
}

// Under Wine the program under the pointer moves the pointer too, when it
// takes the X server's motion events for earlier moves; on a busy machine a
// late one can come between the button going down and up, and the button
// takes the press but never clicks. So that program is made to take its
// pending messages, with those motion events, until the pointer stays put.
bool SettlePointerAt(POINT screen) {
  for (int attempt = 0; attempt < 5; ++attempt) {
    if (!MovePointerTo(screen)) return false;
    if (const HWND under = WindowFromPoint(screen)) {
      const HWND topLevel = GetAncestor(under, GA_ROOT);
      Responds(topLevel);
      Responds(topLevel);
    }
    if (PointerIsAt(screen)) return true;
  }
  return PointerIsAt(screen);
}

bool ClickAt(POINT screen) {
  WaitOutDoubleClickTime(screen);
  if (!SettlePointerAt(screen)) return false;
  const bool sent = Send({MouseEvent(MOUSEEVENTF_LEFTDOWN), MouseEvent(MOUSEEVENTF_LEFTUP)});
  lastClick.time = GetTickCount64();
  lastClick.where = screen;
  return sent;
}

bool DoubleClickAt(POINT screen) {
  WaitOutDoubleClickTime(screen);
  if (!MovePointerTo(screen)) return false;
  const bool sent = Send({MouseEvent(MOUSEEVENTF_LEFTDOWN), MouseEvent(MOUSEEVENTF_LEFTUP),
                          MouseEvent(MOUSEEVENTF_LEFTDOWN), MouseEvent(MOUSEEVENTF_LEFTUP)});
  lastClick.time = GetTickCount64();
  lastClick.where = screen;
  return sent;
}

POINT CentreOf(const RECT& rect) {
  return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

bool ClickWindow(HWND window) { return IsWindow(window) && ClickAt(CentreOf(ScreenRectOf(window))); }

bool PressButtonByCaption(HWND parent, const std::string& caption) {
  HWND button = FindChildByText(parent, caption);
  return button && ClickWindow(button);
}

std::optional<POINT> ListEntryPoint(HWND listBox, const std::string& name) {
  const auto items = ListItemsOf(listBox);
  for (std::size_t index = 0; index < items.size(); ++index) {
    if (items[index] != name) continue;
    const RECT item = ListItemRectOf(listBox, static_cast<int>(index));
    const RECT client = ClientRectOf(listBox);
    RECT visible = {};
    if (!IntersectRect(&visible, &item, &client)) return std::nullopt;
    MapWindowPoints(listBox, nullptr, reinterpret_cast<POINT*>(&visible), 2);
    return CentreOf(visible);
  }
  return std::nullopt;
}

bool ClickListEntry(HWND listBox, const std::string& name) {
  const auto point = ListEntryPoint(listBox, name);
  return point && ClickAt(*point);
}

bool DoubleClickListEntry(HWND listBox, const std::string& name) {
  const auto point = ListEntryPoint(listBox, name);
  return point && DoubleClickAt(*point);
}

bool SelectListEntryByKeys(HWND listBox, const std::string& name) {
  const auto items = ListItemsOf(listBox);
  for (std::size_t index = 0; index < items.size(); ++index) {
    if (items[index] != name) continue;
    PressKey(VK_HOME);
    for (std::size_t step = 0; step < index; ++step) PressKey(VK_DOWN);
    return WaitUntil([&] { return ListSelectionOf(listBox) == static_cast<int>(index); });
  }
  return false;
}

std::optional<POINT> CloseBoxPoint(HWND topLevel) {
  const auto hitAt = [&](LONG x, LONG y) {
    DWORD_PTR hit = HTNOWHERE;
    SendMessageTimeoutW(topLevel, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, 5000, &hit);
    return static_cast<LRESULT>(hit);
  };
  const RECT window = ScreenRectOf(topLevel);
  const RECT client = ClientScreenRectOf(topLevel);
  const LONG captionMiddle = (window.top + client.top) / 2;

  // Along the caption's middle from the right edge: where the close box starts and ends.
  LONG right = -1;
  LONG left = -1;
  for (LONG x = window.right - 1; x > (window.left + window.right) / 2; --x) {
    const bool onCloseBox = hitAt(x, captionMiddle) == HTCLOSE;
    if (onCloseBox && right < 0) right = x;
    if (onCloseBox) left = x;
    if (!onCloseBox && right >= 0) break;
  }
  if (right < 0) return std::nullopt;
  const LONG x = (left + right) / 2;
  // And up and down from there.
  LONG top = captionMiddle;
  LONG bottom = captionMiddle;
  while (top > window.top && hitAt(x, top - 1) == HTCLOSE) --top;
  while (bottom < client.top && hitAt(x, bottom + 1) == HTCLOSE) ++bottom;
  return POINT{x, (top + bottom) / 2};
}

bool ClickCloseBox(HWND topLevel) {
  const auto point = CloseBoxPoint(topLevel);
  return point && ClickAt(*point);
}

bool RequestCloseBySystemCommand(HWND topLevel) {
  return PostMessageW(topLevel, WM_SYSCOMMAND, SC_CLOSE, 0) != FALSE;
}

}  // namespace e2e
