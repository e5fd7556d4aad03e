#pragma once
// A real sorted list box in a real window, made as the main window makes its
// file list, for tests that fill it in process and read back its entries.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace testing_support {

class ListBoxFixture : public ::testing::Test {
 protected:
  using Names = std::vector<std::string>;

  void SetUp() override {
    parent_ = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                              nullptr, nullptr, nullptr, nullptr);
    listBox_ = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", nullptr,
                               WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_SORT | LBS_NOTIFY |
                                   LBS_NOINTEGRALHEIGHT,
                               24, 40, 320, 120, parent_, nullptr, nullptr, nullptr);
    ASSERT_NE(listBox_, nullptr);
  }
  void TearDown() override { DestroyWindow(parent_); }

  Names Entries() const {
    Names names;
    LRESULT count = SendMessageA(listBox_, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      char text[MAX_PATH] = {};
      SendMessageA(listBox_, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
      names.push_back(text);
    }
    return names;
  }

  HWND parent_ = nullptr;
  HWND listBox_ = nullptr;
};

}  // namespace testing_support
