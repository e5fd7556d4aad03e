// What another process can't read under Wine (fonts, icons, item height) is
// checked here, on the real main window loaded in this process.
#include "shell/main_window.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "shell/program_directory.h"
#include "ui/events.h"
#include "ui/skin/skin.h"
#include "ui/window.h"

namespace {

struct IconFacts {
  int width = 0, height = 0, bitsPerPixel = 0;
};

IconFacts Describe(HICON icon) {
  IconFacts facts;
  ICONINFO info = {};
  if (!icon || !GetIconInfo(icon, &info)) return facts;
  BITMAP color = {};
  GetObjectA(info.hbmColor, sizeof color, &color);
  facts = {color.bmWidth, color.bmHeight, color.bmBitsPixel};
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return facts;
}

class MainWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    shell::FixProgramDirectory();
    ui::skin::Initialize();
    ASSERT_TRUE(ui::LoadWindowDefinitions());
    ASSERT_TRUE(shell::LoadMainWindow());
    window_ = FindWindowA(nullptr, "MorvessaV1.0");
    ASSERT_NE(window_, nullptr);
    for (HWND child = GetWindow(window_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      controls_.push_back(child);
  }
  // Closing the real window would end the process; release it with events off.
  static void TearDownTestSuite() { ui::ReleaseAllWindows(); }

  static HWND window_;
  static std::vector<HWND> controls_;
};
HWND MainWindowTest::window_ = nullptr;
std::vector<HWND> MainWindowTest::controls_;

TEST_F(MainWindowTest, TheWindowAndEveryControlUseTheDefaultGuiFont) {
  HGDIOBJ guiFont = GetStockObject(DEFAULT_GUI_FONT);
  EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageA(window_, WM_GETFONT, 0, 0)), guiFont);
  ASSERT_EQ(controls_.size(), 3u);
  for (HWND control : controls_)
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)), guiFont);
}

TEST_F(MainWindowTest, BigAndSmallIconsComeFromTheProgramIcon) {
  IconFacts big = Describe(reinterpret_cast<HICON>(SendMessageA(window_, WM_GETICON, ICON_BIG, 0)));
  IconFacts small = Describe(reinterpret_cast<HICON>(SendMessageA(window_, WM_GETICON, ICON_SMALL, 0)));
  EXPECT_EQ(big.width, GetSystemMetrics(SM_CXICON));
  EXPECT_EQ(small.width, GetSystemMetrics(SM_CXSMICON));
  EXPECT_EQ(big.bitsPerPixel, 32);
  EXPECT_EQ(small.bitsPerPixel, 32);

  // The executable's icon group holds all three sizes.
  for (int size : {48, 32, 16}) {
    HICON icon = static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), "DEFAULT_ICON", IMAGE_ICON, size, size, 0));
    IconFacts facts = Describe(icon);
    EXPECT_EQ(facts.width, size);
    EXPECT_EQ(facts.bitsPerPixel, 32) << size;
    if (icon) DestroyIcon(icon);
  }
}

TEST_F(MainWindowTest, TheFileListItemsAreTwoPixelsTallerThanTheDefault) {
  HWND list = controls_.at(0);
  char className[16] = {};
  GetClassNameA(list, className, sizeof className);
  ASSERT_EQ(lstrcmpiA(className, "ListBox"), 0);
  HWND plain = CreateWindowExA(0, "LISTBOX", nullptr, WS_CHILD | LBS_NOTIFY, 0, 0, 10, 10,
                               window_, nullptr, nullptr, nullptr);
  SendMessageA(plain, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
  EXPECT_EQ(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0),
            SendMessageA(plain, LB_GETITEMHEIGHT, 0, 0) + 2);
  DestroyWindow(plain);
}

TEST_F(MainWindowTest, TheSystemMenuKeepsMoveAndClose) {
  HMENU menu = GetSystemMenu(window_, FALSE);
  ASSERT_NE(menu, nullptr);
  MENUITEMINFOA item = {};
  item.cbSize = sizeof item;
  item.fMask = MIIM_ID;
  EXPECT_TRUE(GetMenuItemInfoA(menu, SC_MOVE, FALSE, &item));
  EXPECT_TRUE(GetMenuItemInfoA(menu, SC_CLOSE, FALSE, &item));
  for (UINT gone : {SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE})
    EXPECT_FALSE(GetMenuItemInfoA(menu, gone, FALSE, &item)) << gone;
}

}  // namespace
