#include "ui/window.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "ui/events.h"

namespace ui {
namespace {

constexpr char kWindowClassName[] = "MorvessaWindow";

std::vector<std::unique_ptr<Window>>& LoadedWindows() {
  static std::vector<std::unique_ptr<Window>> windows;
  return windows;
}

Window* FromHandle(HWND handle) {
  return reinterpret_cast<Window*>(GetWindowLongPtrA(handle, GWLP_USERDATA));
}

bool SameName(const char* a, const char* b) {
  if (!a || !b) return a == b;
  return std::strcmp(a, b) == 0;
}

const char* ClassFor(ControlKind kind) {
  switch (kind) {
    case ControlKind::FileList: return "LISTBOX";
    case ControlKind::PushButton: return "BUTTON";
  }
  return "STATIC";
}

void ForgetWindow(Window* window) {
  auto& windows = LoadedWindows();
  auto found = std::find_if(windows.begin(), windows.end(),
                            [window](const auto& loaded) { return loaded.get() == window; });
  if (found != windows.end()) windows.erase(found);
}

bool AnyWindowAlive() {
  for (const auto& window : LoadedWindows())
    if (window->handle() && IsWindow(window->handle())) return true;
  return false;
}

// The system's default GUI font is a stock object: shared, never deleted.
HFONT DefaultGuiFont() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

void SetIcons(HWND window, const char* iconResource) {
  if (!iconResource) return;
  HINSTANCE module = GetModuleHandleA(nullptr);
  // Shared icons come from the resource cache and need no DestroyIcon.
  auto load = [&](int sizeMetric) {
    int size = GetSystemMetrics(sizeMetric);
    return reinterpret_cast<LPARAM>(
        LoadImageA(module, iconResource, IMAGE_ICON, size, size, LR_SHARED));
  };
  SendMessageA(window, WM_SETICON, ICON_BIG, load(SM_CXICON));
  SendMessageA(window, WM_SETICON, ICON_SMALL, load(SM_CXSMICON));
}

// Without minimise and maximise buttons and a fixed frame, only Move and
// Close are meaningful in the system menu.
void TrimSystemMenu(HWND window) {
  HMENU menu = GetSystemMenu(window, FALSE);
  if (!menu) return;
  for (UINT command : {SC_RESTORE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE})
    DeleteMenu(menu, command, MF_BYCOMMAND);
}

}  // namespace

LRESULT CALLBACK WindowProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* window = FromHandle(handle);
  if (!window) return DefWindowProcA(handle, message, wParam, lParam);
  return window->HandleMessage(message, wParam, lParam);
}

Window::Window(const WindowDefinition& definition) : definition_(definition) {}

Window::~Window() {
  if (handle_) SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
}

HWND Window::Control(const char* name) const {
  for (const auto& control : controls_)
    if (SameName(control.definition->name, name)) return control.handle;
  return nullptr;
}

FileList* Window::FileListNamed(const char* name) const {
  for (const auto& control : controls_)
    if (SameName(control.definition->name, name)) return control.fileList.get();
  return nullptr;
}

const Window::LoadedControl* Window::ControlByHandle(HWND handle) const {
  for (const auto& control : controls_)
    if (control.handle == handle) return &control;
  return nullptr;
}

void Window::Dispatch(const char* source, Event event) {
  if (EventsSuppressed()) return;
  for (std::size_t i = 0; i < definition_.eventCount; ++i) {
    const EventBinding& binding = definition_.events[i];
    if (binding.event == event && SameName(binding.source, source)) {
      binding.handler(*this);
      return;
    }
  }
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(wParam, lParam);
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_ACTIVATE:
      OnActivate(wParam);
      return 0;
    case WM_SETFOCUS:
      RestoreFocus();
      return 0;
    case WM_SETFONT:  // a plain window keeps no font of its own
      font_ = reinterpret_cast<HFONT>(wParam);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_CTLCOLORLISTBOX:
      // The file list is black on white whatever the colour scheme.
      SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0, 0, 0));
      SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
      return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    case WM_DESTROY:
      destroying_ = true;
      Dispatch(nullptr, Event::WillBeDestroyed);
      return 0;
    case WM_NCDESTROY: {
      HWND handle = std::exchange(handle_, nullptr);
      SetWindowLongPtrA(handle, GWLP_USERDATA, 0);
      ForgetWindow(this);  // `this` is gone from here on
      if (!AnyWindowAlive()) PostQuitMessage(0);
      return DefWindowProcA(handle, message, wParam, lParam);
    }
  }
  return DefWindowProcA(handle_, message, wParam, lParam);
}

void Window::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (HIWORD(wParam) != BN_CLICKED || !lParam) return;
  const LoadedControl* control = ControlByHandle(reinterpret_cast<HWND>(lParam));
  if (control && control->definition->kind == ControlKind::PushButton)
    Dispatch(control->definition->name, Event::Clicked);
}

void Window::OnClose() {
  closeCancelled_ = false;
  Dispatch(nullptr, Event::CanBeClosed);
  if (!closeCancelled_) DestroyWindow(handle_);
}

void Window::OnActivate(WPARAM wParam) {
  if (LOWORD(wParam) == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (focus && IsChild(handle_, focus)) lastFocus_ = focus;
  } else if (!HIWORD(wParam)) {  // not while minimised
    RestoreFocus();
  }
}

void Window::RestoreFocus() {
  HWND target = lastFocus_ && IsWindow(lastFocus_) ? lastFocus_
                : tabCycle_.empty()                 ? nullptr
                                                    : tabCycle_.front();
  if (target) SetFocus(target);
}

void Window::MoveFocus(bool backwards) {
  if (tabCycle_.empty()) return;
  HWND focus = GetFocus();
  auto current = std::find(tabCycle_.begin(), tabCycle_.end(), focus);
  std::size_t count = tabCycle_.size();
  std::size_t next = 0;
  if (current != tabCycle_.end()) {
    std::size_t index = static_cast<std::size_t>(current - tabCycle_.begin());
    next = backwards ? (index + count - 1) % count : (index + 1) % count;
  } else if (backwards) {
    next = count - 1;
  }
  SetFocus(tabCycle_[next]);
}

bool LoadWindowDefinitions() {
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProcedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kWindowClassName;
  return RegisterClassExA(&windowClass) != 0 ||
         GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

Window* LoadWindow(const WindowDefinition& definition) {
  auto record = std::make_unique<Window>(definition);
  Window* window = record.get();
  HINSTANCE module = GetModuleHandleA(nullptr);
  {
    EventSuppression noEventsWhileLoading;

    int left = (GetSystemMetrics(SM_CXSCREEN) - definition.outerWidth) / 2;
    int top = (GetSystemMetrics(SM_CYSCREEN) - definition.outerHeight) / 2;
    HWND handle = CreateWindowExA(definition.exStyle, kWindowClassName, definition.title,
                                  definition.style, left, top, definition.outerWidth,
                                  definition.outerHeight, nullptr, nullptr, module, nullptr);
    if (!handle) return nullptr;
    window->handle_ = handle;
    SetWindowLongPtrA(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
    LoadedWindows().push_back(std::move(record));

    // The system may adjust a new window's rectangle; the definition's wins.
    RECT placed;
    GetWindowRect(handle, &placed);
    if (placed.left != left || placed.top != top ||
        placed.right - placed.left != definition.outerWidth ||
        placed.bottom - placed.top != definition.outerHeight) {
      SetWindowPos(handle, nullptr, left, top, definition.outerWidth, definition.outerHeight,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SetIcons(handle, definition.iconResource);
    SendMessageA(handle, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultGuiFont()), FALSE);
    TrimSystemMenu(handle);

    window->controls_.reserve(definition.controlCount);
    for (std::size_t i = 0; i < definition.controlCount; ++i) {
      const ControlDefinition& control = definition.controls[i];
      HWND child = CreateWindowExA(
          control.exStyle, ClassFor(control.kind),
          control.kind == ControlKind::PushButton ? control.caption : nullptr,
          WS_CHILD | control.style, control.left, control.top, control.width, control.height,
          handle, reinterpret_cast<HMENU>(static_cast<INT_PTR>(i + 1)), module, nullptr);
      if (!child) {
        DestroyWindow(handle);
        return nullptr;
      }
      SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultGuiFont()), FALSE);
      Window::LoadedControl loaded{&control, child, nullptr};
      if (control.kind == ControlKind::FileList) {
        LRESULT itemHeight = SendMessageA(child, LB_GETITEMHEIGHT, 0, 0);
        if (itemHeight != LB_ERR) SendMessageA(child, LB_SETITEMHEIGHT, 0, itemHeight + 2);
        loaded.fileList = std::make_unique<FileList>(child, control.pattern);
        loaded.fileList->Refill();  // from the current directory, until one is set
      }
      window->controls_.push_back(std::move(loaded));
    }

    for (const auto& control : window->controls_)
      if (control.definition->tabPosition >= 0) window->tabCycle_.push_back(control.handle);
    std::sort(window->tabCycle_.begin(), window->tabCycle_.end(), [window](HWND a, HWND b) {
      return window->ControlByHandle(a)->definition->tabPosition <
             window->ControlByHandle(b)->definition->tabPosition;
    });

    for (const auto& control : window->controls_) ShowWindow(control.handle, SW_SHOWNA);
  }

  window->Dispatch(nullptr, Event::Created);
  window->Dispatch(nullptr, Event::PositionChanged);
  window->Dispatch(nullptr, Event::SizeChanged);
  ShowWindow(window->handle_, SW_SHOW);
  return window;
}

bool HandleFrameworkKeys(const MSG& message) {
  if (message.message != WM_KEYDOWN) return false;
  HWND root = GetAncestor(message.hwnd, GA_ROOT);
  Window* window = root ? FromHandle(root) : nullptr;
  if (!window) return false;
  switch (message.wParam) {
    case VK_TAB:
      window->MoveFocus(GetKeyState(VK_SHIFT) < 0);
      return true;
    case VK_RETURN:  // no default push button: Enter presses nothing
    case VK_ESCAPE:
    case VK_F1:
      return true;
  }
  return false;
}

void RunMessageLoop() {
  if (!AnyWindowAlive()) return;
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (HandleFrameworkKeys(message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void ReleaseAllWindows() {
  std::vector<std::unique_ptr<Window>> windows = std::move(LoadedWindows());
  LoadedWindows().clear();
  for (auto& window : windows) {
    HWND handle = window->handle_;
    if (!handle) continue;
    SetWindowLongPtrA(handle, GWLP_USERDATA, 0);
    if (!window->destroying_ && IsWindow(handle)) DestroyWindow(handle);
    window->handle_ = nullptr;
  }
  windows.clear();
  UnregisterClassA(kWindowClassName, GetModuleHandleA(nullptr));
}

}  // namespace ui
