#pragma once
// A window loaded from its definition, with its controls and the events they
// dispatch. The framework keeps the list of loaded windows; the message loop
// runs while one of them is alive.

#include <windows.h>

#include <cstddef>
#include <memory>
#include <vector>

#include "ui/file_list.h"
#include "ui/window_definition.h"

namespace ui {

class Window {
 public:
  Window(const WindowDefinition& definition);
  ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND handle() const { return handle_; }
  const WindowDefinition& definition() const { return definition_; }

  // The control of that name; null when the definition has none.
  HWND Control(const char* name) const;
  FileList* FileListNamed(const char* name) const;

  // For a can-be-closed handler: keep the window open.
  void CancelClose() { closeCancelled_ = true; }

 private:
  friend Window* LoadWindow(const WindowDefinition& definition);
  friend void ReleaseAllWindows();
  friend LRESULT CALLBACK WindowProcedure(HWND, UINT, WPARAM, LPARAM);
  friend bool HandleFrameworkKeys(const MSG& message);

  struct LoadedControl {
    const ControlDefinition* definition;
    HWND handle;
    std::unique_ptr<FileList> fileList;
  };

  void Dispatch(const char* source, Event event);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommand(WPARAM wParam, LPARAM lParam);
  void OnClose();
  void OnActivate(WPARAM wParam);
  void RestoreFocus();
  void MoveFocus(bool backwards);
  const LoadedControl* ControlByHandle(HWND control) const;

  const WindowDefinition& definition_;
  HWND handle_ = nullptr;
  std::vector<LoadedControl> controls_;
  std::vector<HWND> tabCycle_;
  HWND lastFocus_ = nullptr;
  HFONT font_ = nullptr;
  bool closeCancelled_ = false;
  bool destroying_ = false;
};

// Registers the framework's window class; false when that fails.
bool LoadWindowDefinitions();

// Creates the window as its definition says: hidden while it and its
// controls are built (no event runs), then the created event, the position
// and size events, and SW_SHOW. Null when the window can't be created.
Window* LoadWindow(const WindowDefinition& definition);

// Key handling of the loaded windows (Tab cycle; Enter, Esc and F1 inert).
// True when the message was consumed.
bool HandleFrameworkKeys(const MSG& message);

// Takes messages until WM_QUIT; returns at once when no loaded window is alive.
void RunMessageLoop();

// Destroys the loaded windows without firing their events and releases their
// records and the definitions' window class.
void ReleaseAllWindows();

}  // namespace ui
