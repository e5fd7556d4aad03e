#include "tests/e2e/driver/message_box.h"

#include "tests/e2e/driver/user_input.h"
#include "tests/e2e/driver/window_facts.h"

namespace e2e {

std::vector<HWND> MessageBoxesOf(DWORD processId) {
  std::vector<HWND> boxes;
  for (HWND window : TopLevelWindowsOf(processId)) {
    if (IsWindowVisible(window) && ClassNameOf(window) == "#32770") boxes.push_back(window);
  }
  return boxes;
}

HWND WaitForMessageBox(DWORD processId, DWORD capMs) {
  HWND box = nullptr;
  WaitUntil(
      [&] {
        const auto boxes = MessageBoxesOf(processId);
        box = boxes.empty() ? nullptr : boxes.front();
        return box != nullptr;
      },
      capMs, 50);
  return box;
}

MessageBoxFacts ReadMessageBox(HWND box) {
  MessageBoxFacts facts;
  facts.window = box;
  facts.title = TextOf(box);
  for (HWND child : ChildWindowsOf(box)) {
    const std::string className = ClassNameOf(child);
    if (lstrcmpiA(className.c_str(), "Static") == 0) {
      // The box holds two statics: the icon and the text.
      if ((StyleOf(child) & SS_TYPEMASK) == SS_ICON) {
        facts.hasIcon = true;
      } else {
        facts.text = TextOf(child);
      }
    } else if (lstrcmpiA(className.c_str(), "Button") == 0 && IsWindowVisible(child)) {
      facts.buttons.push_back(TextOf(child));
    }
  }
  return facts;
}

bool PressOk(HWND box) {
  HWND ok = GetDlgItem(box, IDOK);
  if (!ok || !BringToFront(box) || !ClickWindow(ok)) return false;
  return WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); });
}

}  // namespace e2e
