// The driver against the stand-in program: each action must have exactly the
// effect the stand-in shows for it.

#include <gtest/gtest.h>

#include <functional>

#include "tests/e2e/driver/e2e_driver.h"

namespace e2e {
namespace {

const char* const kStandInTitle = "Stand-in";
const char* const kChinese = "\xD6\xD0\xCE\xC4";  // 中文

std::string StandInExe() { return WinePathFromHost(E2E_STANDIN_EXE); }

// A folder with a copy of the stand-in, started from `workingDirectory`
// (the folder itself when empty), its window up and in front.
struct RunningStandIn {
  explicit RunningStandIn(const std::string& workingSubfolder = "") {
    exe = folder.CopyProgram(StandInExe(), "standin.exe");
    workingDirectory = workingSubfolder.empty() ? folder.path() : folder.AddFolder(workingSubfolder);
    app = AppProcess::Start(exe, workingDirectory);
    window = app.WaitForWindow(kStandInTitle);
    if (window) BringToFront(window);
  }
  AppFolder folder;
  std::string exe;
  std::string workingDirectory;
  AppProcess app;
  HWND window = nullptr;
};

HWND ListOf(HWND window) { return FindChildByClass(window, "ListBox"); }

TEST(E2eDriver, StartsTheProgramInTheChosenWorkingDirectory) {
  RunningStandIn standIn("\xB9\xA4\xD7\xF7\\sub");  // 工作\sub
  ASSERT_NE(standIn.window, nullptr);
  EXPECT_NE(standIn.workingDirectory, standIn.folder.path());
  EXPECT_EQ(TextOf(FindChildByClass(standIn.window, "Static")), standIn.workingDirectory);
  // Read from outside, the same directory as the system keeps it.
  EXPECT_EQ(standIn.app.CurrentDirectory(), standIn.workingDirectory + "\\");
}

TEST(E2eDriver, ReadsControlsFromOutside) {
  RunningStandIn standIn;
  ASSERT_NE(standIn.window, nullptr);
  const auto controls = ControlsOf(standIn.window);
  ASSERT_EQ(controls.size(), 4u);
  EXPECT_EQ(controls[0].className, "ListBox");
  EXPECT_EQ(controls[0].rect.left, 10);
  EXPECT_EQ(controls[0].rect.top, 10);
  EXPECT_EQ(controls[0].rect.right, 210);
  EXPECT_EQ(controls[0].rect.bottom, 90);
  // WS_VSCROLL is left out: a list box drops it while its entries fit.
  EXPECT_EQ(controls[0].style & (LBS_SORT | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_TABSTOP),
            static_cast<DWORD>(LBS_SORT | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_TABSTOP));
  EXPECT_EQ(controls[0].exStyle & WS_EX_CLIENTEDGE, static_cast<DWORD>(WS_EX_CLIENTEDGE));
  EXPECT_EQ(controls[0].id, 100);
  EXPECT_EQ(controls[1].className, "Button");
  EXPECT_EQ(controls[1].text, "Box");
  EXPECT_EQ(controls[2].text, "Exit");
  EXPECT_EQ(ListItemsOf(controls[0].window), (std::vector<std::string>{"alpha", "beta", kChinese}));
  EXPECT_EQ(ListSelectionOf(controls[0].window), -1);
  EXPECT_EQ(FocusedWindowOf(standIn.window), controls[0].window);
  EXPECT_EQ(ActiveWindowOf(standIn.window), standIn.window);
}

TEST(E2eDriver, TabAndShiftTabMoveTheFocus) {
  RunningStandIn standIn;
  ASSERT_NE(standIn.window, nullptr);
  HWND list = ListOf(standIn.window);
  HWND box = FindChildByText(standIn.window, "Box");
  HWND exit = FindChildByText(standIn.window, "Exit");
  ASSERT_TRUE(WaitUntil([&] { return FocusedWindowOf(standIn.window) == list; }));
  PressKey(VK_TAB);
  EXPECT_TRUE(WaitUntil([&] { return FocusedWindowOf(standIn.window) == box; }));
  PressKey(VK_TAB);
  EXPECT_TRUE(WaitUntil([&] { return FocusedWindowOf(standIn.window) == exit; }));
  PressKey(VK_TAB, {VK_SHIFT});
  EXPECT_TRUE(WaitUntil([&] { return FocusedWindowOf(standIn.window) == box; }));
}

TEST(E2eDriver, SelectsListEntriesByMouseAndByKeys) {
  RunningStandIn standIn;
  ASSERT_NE(standIn.window, nullptr);
  HWND list = ListOf(standIn.window);
  ASSERT_TRUE(ClickListEntry(list, "beta"));
  EXPECT_TRUE(WaitUntil([&] { return ListSelectedTextOf(list) == std::string("beta"); }));
  EXPECT_TRUE(SelectListEntryByKeys(list, kChinese));
  EXPECT_EQ(ListSelectedTextOf(list), std::string(kChinese));
  EXPECT_FALSE(ClickListEntry(list, "missing"));
}

TEST(E2eDriver, ReadsAndAnswersAMessageBox) {
  RunningStandIn standIn;
  ASSERT_NE(standIn.window, nullptr);
  ASSERT_TRUE(PressButtonByCaption(standIn.window, "Box"));
  HWND box = WaitForMessageBox(standIn.app.id());
  ASSERT_NE(box, nullptr);
  const MessageBoxFacts facts = ReadMessageBox(box);
  EXPECT_EQ(facts.title, "\xB1\xEA\xCC\xE2");                                    // 标题
  EXPECT_EQ(facts.text, "\xB5\xDA\xD2\xBB\xD0\xD0\r\n\xB5\xDA\xB6\xFE\xD0\xD0");  // 第一行 第二行
  EXPECT_TRUE(facts.hasIcon);
  EXPECT_EQ(facts.buttons.size(), 1u);
  EXPECT_TRUE(PressOk(box));
  EXPECT_EQ(standIn.app.WaitForExit(), std::optional<DWORD>(40 + IDOK));
}

struct ExitCase {
  const char* action;
  std::function<bool(HWND window)> act;
  DWORD exitCode;
};

TEST(E2eDriver, EachWayOutGivesItsExitCode) {
  const ExitCase cases[] = {
      {"click on Exit", [](HWND w) { return PressButtonByCaption(w, "Exit"); }, 7},
      {"Space on the focused Exit",
       [](HWND w) {
         HWND exit = FindChildByText(w, "Exit");
         PressKey(VK_TAB);
         PressKey(VK_TAB);
         if (!WaitUntil([&] { return FocusedWindowOf(w) == exit; })) return false;
         PressKey(VK_SPACE);
         return true;
       },
       7},
      {"click on the close box", [](HWND w) { return ClickCloseBox(w); }, 3},
      {"system command Close", [](HWND w) { return RequestCloseBySystemCommand(w); }, 3},
  };
  for (const auto& exitCase : cases) {
    SCOPED_TRACE(exitCase.action);
    RunningStandIn standIn;
    ASSERT_NE(standIn.window, nullptr);
    EXPECT_TRUE(exitCase.act(standIn.window));
    EXPECT_EQ(standIn.app.WaitForExit(), std::optional<DWORD>(exitCase.exitCode));
  }
}

TEST(E2eDriver, EndsAProgramLeftRunning) {
  base::KernelHandle watched;
  {
    RunningStandIn standIn;
    ASSERT_NE(standIn.window, nullptr);
    watched.reset(OpenProcess(SYNCHRONIZE, FALSE, standIn.app.id()));
    ASSERT_TRUE(watched);
  }
  EXPECT_EQ(WaitForSingleObject(watched.get(), 0), WAIT_OBJECT_0);
}

TEST(E2eDriver, FolderFixtureRemovesWhatItMade) {
  std::string made;
  std::string file;
  {
    AppFolder folder(TempFolder(), "\xB2\xE2\xCA\xD4");  // 测试
    ASSERT_TRUE(folder.ok());
    made = folder.path();
    file = folder.AddSnippet("\xD6\xD0\xCE\xC4.txt", "abc", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(ReadFileBytes(file), "abc");
    EXPECT_EQ(GetFileAttributesA(file.c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
              static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  }
  EXPECT_FALSE(PathExists(file));
  EXPECT_FALSE(PathExists(made));

  AppFolder outer;
  ASSERT_TRUE(outer.ok());
  const std::string kept = outer.AddFile("kept.txt", "x");
  {
    AppFolder inExisting = AppFolder::InExisting(outer.path());
    inExisting.AddFile("sub\\made.txt", "y");
    inExisting.AddFile("made.txt", "y");
  }
  EXPECT_TRUE(PathExists(kept));
  EXPECT_FALSE(PathExists(outer.PathOf("made.txt")));
  EXPECT_FALSE(PathExists(outer.PathOf("sub")));
}

TEST(E2eDriver, ConvertsHostPaths) {
  EXPECT_EQ(WinePathFromHost("/work/a b/c.exe"), "Z:\\work\\a b\\c.exe");
  EXPECT_EQ(WinePathFromHost("C:\\x"), "C:\\x");
  EXPECT_EQ(JoinPath("C:\\", "a"), "C:\\a");
  EXPECT_EQ(JoinPath("C:\\d", "a"), "C:\\d\\a");
  // A GBK character whose trail byte is 0x5C is not a separator.
  EXPECT_EQ(JoinPath("C:\\\x81\x5C", "a"), "C:\\\x81\x5C\\a");  // 乗
}

}  // namespace
}  // namespace e2e
