#include "tests/e2e/driver/window_facts.h"

#include <cstdio>
#include <utility>

namespace e2e {
namespace {

constexpr UINT kSendCapMs = 5000;

// A message to another process's window that cannot hang the driver.
bool SendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  DWORD_PTR answer = 0;
  const bool sent = SendMessageTimeoutW(window, message, wParam, lParam,
                                        SMTO_ABORTIFHUNG | SMTO_BLOCK, kSendCapMs, &answer) != 0;
  if (result) *result = static_cast<LRESULT>(answer);
  return sent;
}

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM context) {
  auto* wanted = reinterpret_cast<std::pair<DWORD, std::vector<HWND>*>*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == wanted->first) wanted->second->push_back(window);
  return TRUE;
}

}  // namespace

std::string GbkFromWide(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int length = WideCharToMultiByte(kGbkCodePage, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string gbk(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(kGbkCodePage, 0, wide.data(), static_cast<int>(wide.size()), gbk.data(), length,
                      nullptr, nullptr);
  return gbk;
}

std::wstring WideFromGbk(const std::string& gbk) {
  if (gbk.empty()) return {};
  const int length =
      MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), static_cast<int>(gbk.size()), wide.data(), length);
  return wide;
}

std::vector<HWND> TopLevelWindowsOf(DWORD processId) {
  std::vector<HWND> windows;
  std::pair<DWORD, std::vector<HWND>*> context(processId, &windows);
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&context));
  return windows;
}

std::vector<HWND> VisibleTopLevelWindowsOf(DWORD processId) {
  std::vector<HWND> visible;
  for (HWND window : TopLevelWindowsOf(processId)) {
    if (IsWindowVisible(window)) visible.push_back(window);
  }
  return visible;
}

std::vector<HWND> ChildWindowsOf(HWND parent) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    children.push_back(child);
  }
  return children;
}

std::string ClassNameOf(HWND window) {
  wchar_t name[256] = {};
  const int length = GetClassNameW(window, name, 256);
  return GbkFromWide(std::wstring(name, length > 0 ? length : 0));
}

std::string TextOf(HWND window) {
  LRESULT length = 0;
  if (!SendBounded(window, WM_GETTEXTLENGTH, 0, 0, &length) || length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  LRESULT copied = 0;
  if (!SendBounded(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), &copied)) {
    return {};
  }
  text.resize(static_cast<std::size_t>(copied < 0 ? 0 : copied));
  return GbkFromWide(text);
}

DWORD StyleOf(HWND window) { return static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)); }
DWORD ExStyleOf(HWND window) { return static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)); }
int ControlIdOf(HWND window) { return GetDlgCtrlID(window); }

RECT ScreenRectOf(HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  return rect;
}

RECT RectInParent(HWND window) {
  RECT rect = ScreenRectOf(window);
  HWND parent = GetAncestor(window, GA_PARENT);
  if (parent && parent != GetDesktopWindow()) {
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  }
  return rect;
}

RECT ClientRectOf(HWND window) {
  RECT rect = {};
  GetClientRect(window, &rect);
  return rect;
}

RECT ClientScreenRectOf(HWND window) {
  RECT rect = ClientRectOf(window);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

ControlFacts FactsOf(HWND window) {
  ControlFacts facts;
  facts.window = window;
  facts.className = ClassNameOf(window);
  facts.text = TextOf(window);
  facts.rect = RectInParent(window);
  facts.style = StyleOf(window);
  facts.exStyle = ExStyleOf(window);
  facts.id = ControlIdOf(window);
  return facts;
}

std::vector<ControlFacts> ControlsOf(HWND parent) {
  std::vector<ControlFacts> controls;
  for (HWND child : ChildWindowsOf(parent)) controls.push_back(FactsOf(child));
  return controls;
}

HWND FindChildByText(HWND parent, const std::string& text) {
  for (HWND child : ChildWindowsOf(parent)) {
    if (TextOf(child) == text) return child;
  }
  return nullptr;
}

HWND FindChildByClass(HWND parent, const std::string& className, int index) {
  for (HWND child : ChildWindowsOf(parent)) {
    if (lstrcmpiA(ClassNameOf(child).c_str(), className.c_str()) == 0 && index-- == 0) return child;
  }
  return nullptr;
}

std::vector<std::string> ListItemsOf(HWND listBox) {
  std::vector<std::string> items;
  LRESULT count = 0;
  if (!SendBounded(listBox, LB_GETCOUNT, 0, 0, &count) || count == LB_ERR) return items;
  for (LRESULT index = 0; index < count; ++index) {
    LRESULT length = 0;
    if (!SendBounded(listBox, LB_GETTEXTLEN, index, 0, &length) || length == LB_ERR) length = 0;
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    LRESULT copied = 0;
    if (!SendBounded(listBox, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()), &copied) ||
        copied == LB_ERR) {
      copied = 0;
    }
    text.resize(static_cast<std::size_t>(copied));
    items.push_back(GbkFromWide(text));
  }
  return items;
}

int ListSelectionOf(HWND listBox) {
  LRESULT selection = LB_ERR;
  if (!SendBounded(listBox, LB_GETCURSEL, 0, 0, &selection)) return -1;
  return selection == LB_ERR ? -1 : static_cast<int>(selection);
}

std::optional<std::string> ListSelectedTextOf(HWND listBox) {
  const int selection = ListSelectionOf(listBox);
  const auto items = ListItemsOf(listBox);
  if (selection < 0 || static_cast<std::size_t>(selection) >= items.size()) return std::nullopt;
  return items[static_cast<std::size_t>(selection)];
}

int ListTopIndexOf(HWND listBox) {
  LRESULT top = 0;
  SendBounded(listBox, LB_GETTOPINDEX, 0, 0, &top);
  return static_cast<int>(top);
}

RECT ListItemRectOf(HWND listBox, int index) {
  RECT rect = {};
  LRESULT result = LB_ERR;
  if (!SendBounded(listBox, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect),
                   &result) ||
      result == LB_ERR) {
    return RECT{};
  }
  return rect;
}

HWND FocusedWindowOf(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

HWND ActiveWindowOf(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndActive;
}

std::optional<std::uintptr_t> PropertyOf(HWND window, const char* name) {
  HANDLE value = GetPropA(window, name);
  if (!value) return std::nullopt;
  return reinterpret_cast<std::uintptr_t>(value);
}

std::string DescribeWindow(HWND window) {
  if (!window) return "none";
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char where[64];
  std::snprintf(where, sizeof where, " %p of process %lu", static_cast<void*>(window),
                static_cast<unsigned long>(process));
  return ClassNameOf(window) + " \"" + TextOf(window) + "\"" + where;
}

bool Responds(HWND window) { return IsWindow(window) && SendBounded(window, WM_NULL, 0, 0, nullptr); }

}  // namespace e2e
