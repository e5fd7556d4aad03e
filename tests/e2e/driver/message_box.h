#pragma once
// Message boxes a program shows: found among the process's windows (dialog
// class "#32770"), read (title, text, buttons) and answered with a real click.

#include <windows.h>

#include <string>
#include <vector>

#include "tests/e2e/driver/wait.h"

namespace e2e {

struct MessageBoxFacts {
  HWND window = nullptr;
  std::string title;  // GBK
  std::string text;   // GBK, line breaks as the program wrote them
  std::vector<std::string> buttons;  // captions, in the box's order
  bool hasIcon = false;
};

// The visible message boxes of a process, in Z order.
std::vector<HWND> MessageBoxesOf(DWORD processId);
// The first message box the process shows within the cap, or null.
HWND WaitForMessageBox(DWORD processId, DWORD capMs = kReactionCapMs);
MessageBoxFacts ReadMessageBox(HWND box);
// Clicks the box's OK button; true once the box is gone.
bool PressOk(HWND box);

}  // namespace e2e
