#pragma once
// A window is described by data: its settings, its controls and the events
// bound to handler procedures. The loader turns a definition into a window.

#include <windows.h>

#include <cstddef>

namespace ui {

class Window;

enum class ControlKind { FileList, PushButton };

enum class Event {
  Created,          // the window and its controls exist; the window is still hidden
  CanBeClosed,      // the close box was pressed; a handler may call Window::CancelClose
  WillBeDestroyed,  // the window is being destroyed
  PositionChanged,
  SizeChanged,
  Clicked,          // a push button was pressed
};

using EventHandler = void (*)(Window& window);

struct ControlDefinition {
  ControlKind kind;
  const char* name;
  int left, top, width, height;  // client coordinates of the parent
  DWORD style;                   // in addition to WS_CHILD | WS_VISIBLE
  DWORD exStyle;
  const char* caption;  // push buttons
  const char* pattern;  // file lists: "*.txt", or several separated by ';'
  int tabPosition;      // place in the Tab cycle, from 0
};

struct EventBinding {
  const char* source;  // a control's name, or nullptr for the window itself
  Event event;
  EventHandler handler;
};

struct WindowDefinition {
  const char* name;
  const char* title;
  int outerWidth, outerHeight;  // frame and caption included; centred on the primary screen
  DWORD style;
  DWORD exStyle;
  const char* iconResource;     // icon group in the executable, big and small icon
  const ControlDefinition* controls;
  std::size_t controlCount;
  const EventBinding* events;
  std::size_t eventCount;
};

}  // namespace ui
