// The application shell as its user meets it: the program copied into a
// prepared folder, started from a chosen working directory, driven from this
// process with real input, and observed from outside.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iterator>

#include "tests/e2e/driver/e2e_driver.h"

namespace e2e {
namespace {

const std::string kChineseName = "\xD6\xD0\xCE\xC4.txt";  // 中文.txt
constexpr int kOuterWidth = 380;
constexpr int kOuterHeight = 250;

std::string MorvessaExe() { return WinePathFromHost(MORVESSA_EXE); }

bool RunningUnderWine() {
  return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

std::string Describe(const RECT& rect) {
  char text[80];
  std::snprintf(text, sizeof text, "(%ld,%ld)-(%ld,%ld)", static_cast<long>(rect.left),
                static_cast<long>(rect.top), static_cast<long>(rect.right), static_cast<long>(rect.bottom));
  return text;
}

RECT Rect(LONG left, LONG top, LONG width, LONG height) {
  return RECT{left, top, left + width, top + height};
}

// A window of this test process, destroyed when it goes out of scope.
struct OwnWindow {
  OwnWindow(const char* className, DWORD style, const RECT& rect)
      : window(CreateWindowExA(0, className, "e2e", style, rect.left, rect.top, rect.right - rect.left,
                               rect.bottom - rect.top, nullptr, nullptr, GetModuleHandleA(nullptr),
                               nullptr)) {}
  ~OwnWindow() {
    if (window) DestroyWindow(window);
  }
  HWND window;
};

// The names in the order a sorted list box of this system puts them.
std::vector<std::string> SortedLikeAListBox(const std::vector<std::string>& names) {
  OwnWindow list("LISTBOX", WS_POPUP | LBS_SORT | LBS_HASSTRINGS, Rect(0, 0, 100, 100));
  for (const auto& name : names) {
    SendMessageA(list.window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  }
  return ListItemsOf(list.window);
}

// The item height a list box of this system has with the default GUI font.
int DefaultGuiFontItemHeight() {
  OwnWindow list("LISTBOX", WS_POPUP | LBS_HASSTRINGS, Rect(0, 0, 100, 100));
  SendMessageA(list.window, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  return static_cast<int>(SendMessageA(list.window, LB_GETITEMHEIGHT, 0, 0));
}

// ---------------------------------------------------------------------------
// The window as it opens

TEST(ShellE2e, WindowOpensCentredAtItsOuterSizeWithAFixedDialogFrame) {
  Installation installation(MorvessaExe());
  ASSERT_TRUE(installation.ok());
  RunningMorvessa running(installation);
  ASSERT_TRUE(running.ready());

  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_EQ(Describe(ScreenRectOf(running.window)),
            Describe(Rect((screenWidth - kOuterWidth) / 2, (screenHeight - kOuterHeight) / 2,
                          kOuterWidth, kOuterHeight)));

  const DWORD style = StyleOf(running.window);
  const DWORD frame = WS_CAPTION | WS_SYSMENU | WS_DLGFRAME | WS_CLIPCHILDREN | WS_VISIBLE;
  EXPECT_EQ(style & frame, frame);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CHILD | WS_POPUP), 0u);
  // Created with extended style 0; the system itself adds the raised edge of
  // a framed window, so only that bit may show.
  EXPECT_EQ(ExStyleOf(running.window) & ~static_cast<DWORD>(WS_EX_WINDOWEDGE), 0u);
  // Its own taskbar button: not owned, not a tool window; no menu bar.
  EXPECT_EQ(GetWindow(running.window, GW_OWNER), nullptr);
  EXPECT_EQ(GetMenu(running.window), nullptr);
}

TEST(ShellE2e, CaptionHoldsACloseBoxOnly) {
  Installation installation(MorvessaExe());
  ASSERT_TRUE(installation.ok());
  RunningMorvessa running(installation);
  ASSERT_TRUE(running.ready());

  EXPECT_TRUE(CloseBoxPoint(running.window).has_value());
  // Everything the caption holds, asked point by point.
  const RECT window = ScreenRectOf(running.window);
  const RECT client = ClientScreenRectOf(running.window);
  std::vector<LRESULT> seen;
  for (LONG y = window.top; y < client.top; y += 2) {
    for (LONG x = window.left; x < window.right; x += 2) {
      DWORD_PTR hit = HTNOWHERE;
      SendMessageTimeoutW(running.window, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, 5000, &hit);
      seen.push_back(static_cast<LRESULT>(hit));
    }
  }
  EXPECT_EQ(std::count(seen.begin(), seen.end(), HTMINBUTTON), 0);
  EXPECT_EQ(std::count(seen.begin(), seen.end(), HTMAXBUTTON), 0);
  EXPECT_EQ(std::count(seen.begin(), seen.end(), HTSIZE), 0);
  EXPECT_EQ(std::count(seen.begin(), seen.end(), HTTOPRIGHT), 0);
  EXPECT_GT(std::count(seen.begin(), seen.end(), HTCLOSE), 0);
  EXPECT_GT(std::count(seen.begin(), seen.end(), HTCAPTION), 0);
}

TEST(ShellE2e, ControlsSitWhereTheWindowDefinesThem) {
  Installation installation(MorvessaExe());
  ASSERT_TRUE(installation.ok());
  // Enough entries that the list needs its scroll bar: a list box drops
  // WS_VSCROLL while everything fits.
  for (int i = 0; i < 20; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "snippet%02d.txt", i);
    installation.folder.AddSnippet(name);
  }
  RunningMorvessa running(installation);
  ASSERT_TRUE(running.ready());

  struct ExpectedControl {
    const char* what;
    std::string className;
    std::string text;
    RECT rect;
    DWORD requiredStyle;
    DWORD forbiddenStyle;
    DWORD exStyle;
  };
  const DWORD list = LBS_SORT | LBS_NOTIFY | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | WS_TABSTOP;
  const DWORD button = BS_MULTILINE | BS_CENTER | BS_VCENTER | WS_TABSTOP;
  const DWORD notAList = LBS_MULTIPLESEL | LBS_EXTENDEDSEL | LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE;
  const ExpectedControl expected[] = {
      // what               class      text             rect                   required forbidden exStyle
      {"file list",      "ListBox", "",              Rect(24, 40, 320, 120),  list,   notAList, WS_EX_CLIENTEDGE},
      {"preview button", "Button",  kPreviewCaption, Rect(50, 176, 112, 32),  button, 0,        0},
      {"exit button",    "Button",  kExitCaption,    Rect(200, 176, 122, 32), button, 0,        0},
  };
  // Children are kept in creation order: the file list first, then the buttons.
  const auto controls = ControlsOf(running.window);
  ASSERT_EQ(controls.size(), std::size(expected));
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const auto& want = expected[i];
    const auto& seen = controls[i];
    SCOPED_TRACE(want.what);
    EXPECT_EQ(seen.className, want.className);
    EXPECT_EQ(seen.text, want.text);
    EXPECT_EQ(seen.text.find('&'), std::string::npos) << "no mnemonic";
    EXPECT_EQ(Describe(seen.rect), Describe(want.rect));
    EXPECT_EQ(seen.style & (want.requiredStyle | WS_CHILD | WS_VISIBLE),
              want.requiredStyle | WS_CHILD | WS_VISIBLE);
    EXPECT_EQ(seen.style & want.forbiddenStyle, 0u);
    EXPECT_EQ(seen.exStyle & WS_EX_CLIENTEDGE, want.exStyle);
  }
  // Ordinary push buttons: neither is the default button.
  for (HWND buttonWindow : {running.preview, running.exit}) {
    EXPECT_EQ(StyleOf(buttonWindow) & BS_TYPEMASK, static_cast<DWORD>(BS_PUSHBUTTON));
  }
  // The entries are two pixels taller than a list box's with the default GUI font.
  DWORD_PTR itemHeight = 0;
  ASSERT_TRUE(SendMessageTimeoutW(running.list, LB_GETITEMHEIGHT, 0, 0, SMTO_ABORTIFHUNG, 5000, &itemHeight));
  EXPECT_EQ(static_cast<int>(itemHeight), DefaultGuiFontItemHeight() + 2);
}

TEST(ShellE2e, OpensWithTheListFocusedAndNothingSelected) {
  Installation installation(MorvessaExe());
  ASSERT_TRUE(installation.ok());
  installation.folder.AddSnippet("a.txt");
  installation.folder.AddSnippet("b.txt");
  RunningMorvessa running(installation);
  ASSERT_TRUE(running.ready());

  EXPECT_EQ(running.activeAtStart, running.window);
  EXPECT_EQ(running.focusAtStart, running.list) << "focus on " << DescribeWindow(running.focusAtStart);
  EXPECT_EQ(ListItemsOf(running.list).size(), 2u);
  EXPECT_EQ(ListSelectionOf(running.list), -1);
}

TEST(ShellE2e, BackgroundIsTheButtonFaceColour) {
  Installation installation(MorvessaExe());
  ASSERT_TRUE(installation.ok());
  RunningMorvessa running(installation);
  ASSERT_TRUE(running.ready());
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == running.window; }));

  // The strip of client area above the list holds no control.
  RECT strip = ClientScreenRectOf(running.window);
  strip.bottom = strip.top + 36;
  RedrawWindow(running.window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Pixels pixels;
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const bool allFace = WaitUntil([&] {
    pixels = CaptureScreen(strip);
    return !pixels.empty() &&
           std::all_of(pixels.colours.begin(), pixels.colours.end(), [&](COLORREF c) { return c == face; });
  });
  ASSERT_FALSE(pixels.empty()) << "the screen could not be read";
  EXPECT_TRUE(allFace);
}

// ---------------------------------------------------------------------------
// The snippet list

TEST(ShellE2e, ListsEveryTextFileOfTheSnippetFolderAndNothingElse) {
  Installation installation(MorvessaExe());
  ASSERT_TRUE(installation.ok());
  AppFolder& folder = installation.folder;
  ASSERT_FALSE(folder.AddSnippet("plain.txt", "p").empty());
  ASSERT_FALSE(folder.AddSnippet("hidden.txt", "h", FILE_ATTRIBUTE_HIDDEN).empty());
  ASSERT_FALSE(folder.AddSnippet("system.txt", "s", FILE_ATTRIBUTE_SYSTEM).empty());
  ASSERT_FALSE(folder.AddSnippet("readonly.txt", "r", FILE_ATTRIBUTE_READONLY).empty());
  ASSERT_FALSE(folder.AddSnippet("archive.txt", "a", FILE_ATTRIBUTE_ARCHIVE).empty());
  ASSERT_FALSE(folder.AddSnippet("all.txt", "x",
                                 FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY)
                   .empty());
  ASSERT_FALSE(folder.AddSnippet(kChineseName, "c").empty());
  ASSERT_FALSE(folder.AddSnippet("UPPER.TXT", "u").empty());
  ASSERT_FALSE(folder.AddFolder(JoinPath(kSnippetFolderName, "dir.txt")).empty());
  ASSERT_FALSE(folder.AddSnippet("note.md", "n").empty());
  ASSERT_FALSE(folder.AddSnippet("x.txt.bak", "b").empty());
  // The attributes really are on the files.
  EXPECT_EQ(GetFileAttributesA(JoinPath(folder.SnippetFolder(), "all.txt").c_str()) &
                (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY),
            static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY));

  // The entries are what the system's own "*.txt" search gives, in the list
  // box's own order. Wine matches the long names only, so "x.txt.bak" is not
  // among them; Windows with 8.3 names agrees, as its short name ends ".BAK".
  const std::vector<std::string> textFiles = {"all.txt",      "archive.txt", "hidden.txt",
                                              "plain.txt",    "readonly.txt", "system.txt",
                                              kChineseName,   "UPPER.TXT"};
  auto platformMatches = FilesMatching(folder.SnippetFolder(), "*.txt");
  std::sort(platformMatches.begin(), platformMatches.end());
  auto sortedTextFiles = textFiles;
  std::sort(sortedTextFiles.begin(), sortedTextFiles.end());
  ASSERT_EQ(platformMatches, sortedTextFiles);

  RunningMorvessa running(installation);
  ASSERT_TRUE(running.ready());
  EXPECT_EQ(ListItemsOf(running.list), SortedLikeAListBox(textFiles));
  EXPECT_EQ(ListSelectionOf(running.list), -1);
}

TEST(ShellE2e, NoSnippetsGiveAnEmptyListAndNoMessage) {
  struct Case {
    const char* what;
    std::function<void(AppFolder&)> prepare;
  };
  const Case cases[] = {
      {"no snippet folder", [](AppFolder&) {}},
      {"an empty snippet folder", [](AppFolder& f) { f.AddFolder(kSnippetFolderName); }},
      {"no text files in it", [](AppFolder& f) { f.AddSnippet("page.htm"); f.AddFolder(JoinPath(kSnippetFolderName, "sub.txt")); }},
      {"a file in the folder's place", [](AppFolder& f) { f.AddFile(kSnippetFolderName, "not a folder"); }},
  };
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.what);
    Installation installation(MorvessaExe());
    ASSERT_TRUE(installation.ok());
    // Text files beside the program must not be taken for snippets.
    installation.folder.AddFile("beside.txt");
    testCase.prepare(installation.folder);
    RunningMorvessa running(installation);
    ASSERT_TRUE(running.ready());
    EXPECT_TRUE(ListItemsOf(running.list).empty());
    // The list is filled before the window is shown, so a message about it
    // would be up by now.
    EXPECT_EQ(VisibleTopLevelWindowsOf(running.app.id()), std::vector<HWND>{running.window});
    EXPECT_TRUE(running.FocusBecomes(running.list));
    // The buttons still work.
    ASSERT_TRUE(ClickWindow(running.exit));
    EXPECT_EQ(running.app.WaitForExit(), std::optional<DWORD>(0));
  }
}

TEST(ShellE2e, ListIsNotRefilledWhileTheWindowIsOpen) {
  Installation installation(MorvessaExe());
  ASSERT_TRUE(installation.ok());
  installation.folder.AddSnippet("first.txt");
  installation.folder.AddSnippet("second.txt");
  RunningMorvessa running(installation);
  ASSERT_TRUE(running.ready());
  const auto before = ListItemsOf(running.list);
  ASSERT_EQ(before, (std::vector<std::string>{"first.txt", "second.txt"}));

  ASSERT_TRUE(installation.folder.Rename(JoinPath(kSnippetFolderName, "first.txt"),
                                         JoinPath(kSnippetFolderName, "renamed.txt")));
  ASSERT_FALSE(installation.folder.AddSnippet("added.txt").empty());
  // What might prompt a refill: the window losing and regaining activation,
  // focus moving through the controls, a click into the list.
  OwnWindow other("STATIC", WS_POPUP | WS_VISIBLE | WS_CAPTION, Rect(10, 10, 200, 100));
  ASSERT_TRUE(BringToFront(other.window));
  ASSERT_TRUE(BringToFront(running.window));
  PressKey(VK_TAB);
  PressKey(VK_TAB);
  PressKey(VK_TAB);
  ASSERT_TRUE(running.FocusBecomes(running.list)) << running.WhereIsTheFocus();
  ASSERT_TRUE(ClickListEntry(running.list, "second.txt"));
  ASSERT_TRUE(WaitUntil([&] { return ListSelectedTextOf(running.list) == std::string("second.txt"); }));
  EXPECT_EQ(ListItemsOf(running.list), before);
}

// ---------------------------------------------------------------------------
// Program directory and working directory

struct StartCase {
  const char* what;
  std::string folderHint;  // beginning of the program folder's name (GBK)
  std::string exeName;     // (GBK)
  bool startElsewhere;
};

TEST(ShellE2e, WorkingDirectoryIsTheProgramDirectoryWhereverItStarts) {
  // 乗 is 81 5C in GBK: its trail byte is the backslash code.
  const std::string trailByteBackslash = "\x81\x5C";
  const StartCase cases[] = {
      {"started from its own folder", "morvessa-e2e", "Morvessa.exe", false},
      {"started from another folder", "morvessa-e2e", "Morvessa.exe", true},
      {"its file name holds a trail byte 0x5C", "morvessa-e2e", trailByteBackslash + ".exe", true},
      {"its folder name holds a trail byte 0x5C", trailByteBackslash, "Morvessa.exe", true},
      {"its folder and file names are Chinese", "\xB3\xCC\xD0\xF2", "\xB3\xCC\xD0\xF2.exe", true},  // 程序
  };
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.what);
    Installation installation(MorvessaExe(), AppFolder(TempFolder(), testCase.folderHint), testCase.exeName);
    ASSERT_TRUE(installation.ok());
    installation.folder.AddSnippet("mine.txt");
    // A decoy: the starting folder has a snippet folder of its own.
    AppFolder elsewhere;
    ASSERT_TRUE(elsewhere.ok());
    elsewhere.AddFile(JoinPath("start\\here", kSnippetFolderName) + "\\decoy.txt");
    elsewhere.AddFile(JoinPath("start\\here", "decoy.txt"));
    const std::string start =
        testCase.startElsewhere ? elsewhere.PathOf("start\\here") : installation.folder.path();

    RunningMorvessa running(installation.exe, start);
    ASSERT_TRUE(running.ready());
    EXPECT_EQ(running.app.CurrentDirectory(), installation.folder.path() + "\\");
    EXPECT_EQ(ListItemsOf(running.list), std::vector<std::string>{"mine.txt"});
  }
}

TEST(ShellE2e, ProgramInADriveRootWorksInThatRoot) {
  // M: is a drive of the test prefix mapped onto a folder of its own.
  if (GetDriveTypeA("M:\\") == DRIVE_NO_ROOT_DIR) {
    if (RunningUnderWine()) FAIL() << "drive M: is not mapped; run scripts/wine-prefix.sh";
    GTEST_SKIP() << "needs a drive M: set aside for tests";
  }
  // Leftovers of an interrupted run would show in the list.
  RemoveTree(JoinPath("M:\\", kSnippetFolderName));
  RemoveTree("M:\\some");
  Installation installation(MorvessaExe(), AppFolder::InExisting("M:\\"));
  ASSERT_TRUE(installation.ok());
  installation.folder.AddSnippet("in-snippets.txt");
  installation.folder.AddFile("in-root.txt");
  // The starting folder is on the same drive and has its own snippet folder.
  installation.folder.AddFile(JoinPath("some\\sub", kSnippetFolderName) + "\\decoy.txt");
  installation.folder.AddFile("some\\sub\\decoy.txt");

  RunningMorvessa running(installation.exe, "M:\\some\\sub");
  ASSERT_TRUE(running.ready());
  // "M:" alone would mean the drive's remembered directory, M:\some\sub.
  EXPECT_EQ(running.app.CurrentDirectory(), std::string("M:\\"));
  EXPECT_EQ(ListItemsOf(running.list), std::vector<std::string>{"in-snippets.txt"});
}

// ---------------------------------------------------------------------------
// Keyboard

TEST(ShellE2e, TabAndShiftTabCycleThroughTheControls) {
  Installation installation(MorvessaExe());
  ASSERT_TRUE(installation.ok());
  installation.folder.AddSnippet("a.txt");
  RunningMorvessa running(installation);
  ASSERT_TRUE(running.ready());
  ASSERT_TRUE(running.FocusBecomes(running.list)) << running.WhereIsTheFocus();

  struct Step {
    bool shift;
    HWND expected;
  };
  const Step steps[] = {
      {false, running.preview}, {false, running.exit}, {false, running.list},  // and round again
      {false, running.preview}, {true, running.list},  {true, running.exit},
      {true, running.preview},  {true, running.list},
  };
  int stepNumber = 0;
  for (const auto& step : steps) {
    SCOPED_TRACE(::testing::Message() << "step " << ++stepNumber << (step.shift ? " Shift+Tab" : " Tab"));
    if (step.shift) {
      PressKey(VK_TAB, {VK_SHIFT});
    } else {
      PressKey(VK_TAB);
    }
    EXPECT_TRUE(running.FocusBecomes(step.expected))
        << running.WhereIsTheFocus();
  }
  EXPECT_EQ(ListSelectionOf(running.list), -1) << "moving the focus selects nothing";
}

TEST(ShellE2e, EnterEscF1AndDoubleClicksChangeNothing) {
  enum class On { List, Preview, Exit };
  struct Case {
    const char* what;
    On focus;
    std::function<void(const RunningMorvessa&)> act;
  };
  const auto key = [](WORD virtualKey) { return [virtualKey](const RunningMorvessa&) { PressKey(virtualKey); }; };
  const Case cases[] = {
      {"Enter on the list", On::List, key(VK_RETURN)},
      {"Enter on the preview button", On::Preview, key(VK_RETURN)},
      {"Enter on the exit button", On::Exit, key(VK_RETURN)},
      {"Esc on the list", On::List, key(VK_ESCAPE)},
      {"Esc on the preview button", On::Preview, key(VK_ESCAPE)},
      {"Esc on the exit button", On::Exit, key(VK_ESCAPE)},
      {"F1 on the list", On::List, key(VK_F1)},
      {"F1 on the exit button", On::Exit, key(VK_F1)},
      {"double click on an entry", On::List,
       [](const RunningMorvessa& r) { DoubleClickListEntry(r.list, "b.txt"); }},
  };
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.what);
    Installation installation(MorvessaExe());
    ASSERT_TRUE(installation.ok());
    installation.folder.AddSnippet("a.txt", "<p>a</p>");
    installation.folder.AddSnippet("b.txt", "<p>b</p>");
    RunningMorvessa running(installation);
    ASSERT_TRUE(running.ready());
    // A selection that must survive the key.
    ASSERT_TRUE(ClickListEntry(running.list, "b.txt"));
    ASSERT_TRUE(WaitUntil([&] { return ListSelectionOf(running.list) == 1; })) << running.WhereIsTheFocus();
    const HWND order[] = {running.list, running.preview, running.exit};
    const int from = static_cast<int>(testCase.focus);
    for (int i = 0; i < from; ++i) PressKey(VK_TAB);
    ASSERT_TRUE(running.FocusBecomes(order[from])) << running.WhereIsTheFocus();

    testCase.act(running);
    // Input is handled in order: once the Tab after it has moved the focus
    // one step on, the key before it has had its effect.
    PressKey(VK_TAB);
    EXPECT_TRUE(running.FocusBecomes(order[(from + 1) % 3]))
        << running.WhereIsTheFocus();
    EXPECT_TRUE(running.app.running());
    EXPECT_TRUE(IsWindowVisible(running.window));
    EXPECT_EQ(ListSelectionOf(running.list), 1);
    EXPECT_EQ(VisibleTopLevelWindowsOf(running.app.id()), std::vector<HWND>{running.window});
  }
}

TEST(ShellE2e, FocusReturnsToTheLastFocusedControlOnActivation) {
  Installation installation(MorvessaExe());
  ASSERT_TRUE(installation.ok());
  RunningMorvessa running(installation);
  ASSERT_TRUE(running.ready());
  PressKey(VK_TAB);
  PressKey(VK_TAB);
  ASSERT_TRUE(running.FocusBecomes(running.exit)) << running.WhereIsTheFocus();

  OwnWindow other("STATIC", WS_POPUP | WS_VISIBLE | WS_CAPTION, Rect(10, 10, 200, 100));
  ASSERT_TRUE(BringToFront(other.window));
  EXPECT_TRUE(WaitUntil([&] { return ActiveWindowOf(running.window) == nullptr; }));
  ASSERT_TRUE(BringToFront(running.window));
  EXPECT_TRUE(running.FocusBecomes(running.exit))
      << running.WhereIsTheFocus();
}

// ---------------------------------------------------------------------------
// Ending

TEST(ShellE2e, EachWayOutEndsOnceWithExitCodeZero) {
  struct Case {
    const char* what;
    std::function<bool(const RunningMorvessa&)> act;
  };
  const Case cases[] = {
      {"click on the exit button", [](const RunningMorvessa& r) { return ClickWindow(r.exit); }},
      {"Space on the focused exit button",
       [](const RunningMorvessa& r) {
         PressKey(VK_TAB);
         PressKey(VK_TAB);
         if (!r.FocusBecomes(r.exit)) return false;
         PressKey(VK_SPACE);
         return true;
       }},
      {"click on the close box", [](const RunningMorvessa& r) { return ClickCloseBox(r.window); }},
  };
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.what);
    Installation installation(MorvessaExe());
    ASSERT_TRUE(installation.ok());
    installation.folder.AddSnippet("a.txt");
    RunningMorvessa running(installation);
    ASSERT_TRUE(running.ready());
    ASSERT_TRUE(running.FocusBecomes(running.list)) << running.WhereIsTheFocus();

    ASSERT_TRUE(testCase.act(running));
    const Ending ending = WaitForEndWatchingWindows(running.app, running.window);
    EXPECT_EQ(ending.exitCode, std::optional<DWORD>(0));
    EXPECT_TRUE(ending.otherWindows.empty()) << "showed " << ending.otherWindows.front();
  }
}

// ---------------------------------------------------------------------------
// The skin

TEST(ShellE2e, ButtonsWearTheBlueSkinAndTheListDoesNot) {
  Installation installation(MorvessaExe());
  ASSERT_TRUE(installation.ok());
  installation.folder.AddSnippet("a.txt");
  RunningMorvessa running(installation);
  ASSERT_TRUE(running.ready());

  // The skin marks each control it restyles with its scheme number.
  EXPECT_EQ(PropertyOf(running.preview, "MorvessaSkin"), std::optional<std::uintptr_t>(1));
  EXPECT_EQ(PropertyOf(running.exit, "MorvessaSkin"), std::optional<std::uintptr_t>(1));
  EXPECT_EQ(PropertyOf(running.list, "MorvessaSkin"), std::nullopt);
  EXPECT_EQ(PropertyOf(running.window, "MorvessaSkin"), std::nullopt);

  // And it shows: the buttons are mostly blue, the list's inside mostly white.
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == running.window; }));
  const Pixels preview = CaptureWindow(running.preview);
  ASSERT_FALSE(preview.empty()) << "the screen could not be read";
  EXPECT_GT(BlueishShare(preview), 0.5);
  EXPECT_GT(BlueishShare(CaptureWindow(running.exit)), 0.5);
  const Pixels listInside = CaptureScreen(ClientScreenRectOf(running.list));
  EXPECT_LT(BlueishShare(listInside), 0.05);
  const auto white = std::count(listInside.colours.begin(), listInside.colours.end(), RGB(255, 255, 255));
  EXPECT_GT(static_cast<double>(white) / static_cast<double>(listInside.colours.size()), 0.8);
}

TEST(ShellE2e, MessageBoxesOfTheProgramWearTheSkinToo) {
  // A preview without the preview library beside the program or on the
  // search path ends in the fatal error box: a message box of the GUI thread,
  // created after the skin was switched on.
  Installation installation(MorvessaExe());
  ASSERT_TRUE(installation.ok());
  installation.folder.AddSnippet("a.txt", "<p>a</p>");
  RunningMorvessa running(installation);
  ASSERT_TRUE(running.ready());
  ASSERT_TRUE(ClickListEntry(running.list, "a.txt"));
  ASSERT_TRUE(WaitUntil([&] { return ListSelectionOf(running.list) == 0; }));
  ASSERT_TRUE(ClickWindow(running.preview));

  HWND box = WaitForMessageBox(running.app.id());
  ASSERT_NE(box, nullptr);
  const MessageBoxFacts facts = ReadMessageBox(box);
  EXPECT_EQ(facts.title, "\xB4\xED\xCE\xF3");  // 错误
  EXPECT_EQ(facts.text,
            "\xD4\xCB\xD0\xD0\xCA\xB1\xB3\xF6\xB4\xED!\r\n\r\n"  // 运行时出错!
            "\xB4\xED\xCE\xF3\xD0\xC5\xCF\xA2\xA3\xBA"              // 错误信息：
            "\xCE\xDE\xB7\xA8\xD5\xD2\xB5\xBD\xD6\xB8\xB6\xA8" "DLL\xBF\xE2\xCE\xC4\xBC\xFE"
            "\xA1\xB0" "Browse.dll\xA1\xB1\xD6\xD0\xB5\xC4\xCA\xE4\xB3\xF6\xC3\xFC\xC1\xEE"
            "\xA1\xB0" "UpdateTobrilCode\xA1\xB1\r\n");  // 无法找到指定DLL库文件“Browse.dll”中的输出命令“UpdateTobrilCode”
  EXPECT_TRUE(facts.hasIcon);
  EXPECT_EQ(facts.buttons.size(), 1u);
  HWND ok = GetDlgItem(box, IDOK);
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(PropertyOf(ok, "MorvessaSkin"), std::optional<std::uintptr_t>(1));
  // The box has no owner, so the main window stays usable underneath.
  EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
  EXPECT_TRUE(IsWindowEnabled(running.window));

  EXPECT_TRUE(PressOk(box));
  EXPECT_EQ(running.app.WaitForExit(), std::optional<DWORD>(0xFFFFFFFFu));
}

}  // namespace
}  // namespace e2e
