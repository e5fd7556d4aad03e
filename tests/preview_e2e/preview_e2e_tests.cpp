// The preview command as its user meets it: the program copied into a folder
// with a recording stand-in of Browse.dll beside it (or on PATH, or none),
// snippet files in its snippet folder, an entry selected with the mouse or
// the keys and "预览" pressed with a click or Space. What reached the library
// is read from the log the stand-in writes beside itself.

#include <gtest/gtest.h>
#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/win_handles.h"
#include "tests/doubles/browse_calls_log.h"
#include "tests/e2e/driver/e2e_driver.h"

namespace e2e {
namespace {

using doubles::BrowseEvent;
using doubles::BrowseEventsOf;
using doubles::ReadBrowseLog;

const std::string kPreviewTitle = "\xD4\xA4\xC0\xC0\xBD\xE1\xB9\xFB";  // 预览结果
const std::string kErrorTitle = "\xB4\xED\xCE\xF3";                    // 错误
const std::string kExportMissingText =
    "\xD4\xCB\xD0\xD0\xCA\xB1\xB3\xF6\xB4\xED!\r\n\r\n"  // 运行时出错!
    "\xB4\xED\xCE\xF3\xD0\xC5\xCF\xA2\xA3\xBA"              // 错误信息：
    "\xCE\xDE\xB7\xA8\xD5\xD2\xB5\xBD\xD6\xB8\xB6\xA8" "DLL\xBF\xE2\xCE\xC4\xBC\xFE"
    "\xA1\xB0" "Browse.dll\xA1\xB1\xD6\xD0\xB5\xC4\xCA\xE4\xB3\xF6\xC3\xFC\xC1\xEE"
    "\xA1\xB0" "UpdateTobrilCode\xA1\xB1\r\n";  // 无法找到指定DLL库文件“Browse.dll”中的输出命令“UpdateTobrilCode”
const std::string kLibraryName = "Browse.dll";
// A page in GBK, with each kind of line end and 乗 (81 5C), whose trail byte
// is the backslash code: all of it must arrive untouched.
const std::string kGbkPage =
    "<p>\xD6\xD0\xCE\xC4\xD4\xA4\xC0\xC0\xA3\xBA\xA1\xB0\xD2\xFD\xBA\xC5\xA1\xB1</p>\r\n"  // <p>中文预览：“引号”</p>
    "\x81\x5C\n\r<b>end</b>";
constexpr ULONGLONG kTwoGiB = 0x80000000ull;
constexpr ULONGLONG kFourGiB = 0x100000000ull;
// Snippets in the megabytes: the log holds them hex-encoded, so allow time.
constexpr DWORD kCallCapMs = 20000;

std::string ProgramExe() { return WinePathFromHost(MORVESSA_EXE); }
std::string RecordingLibrary() { return ReadFileBytes(WinePathFromHost(RECORDING_BROWSE_DLL)); }
std::string NoExportLibrary() { return ReadFileBytes(WinePathFromHost(NO_EXPORT_BROWSE_DLL)); }

// Bytes 01..FF over and over: no NUL anywhere.
std::string BytesWithoutNul(std::size_t count) {
  std::string bytes(count, '\0');
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<char>(1 + (i * 7) % 255);
  return bytes;
}

// Equal byte strings, or where they part: a failure must not print megabytes.
::testing::AssertionResult SameBytes(const std::string& seen, const std::string& expected) {
  if (seen == expected) return ::testing::AssertionSuccess();
  const auto parted = std::mismatch(seen.begin(), seen.end(), expected.begin(), expected.end());
  const std::size_t at = static_cast<std::size_t>(parted.first - seen.begin());
  auto hexAround = [at](const std::string& bytes) {
    std::string hex;
    char two[4];
    for (std::size_t i = at; i < bytes.size() && i < at + 16; ++i) {
      wsprintfA(two, "%02X ", static_cast<unsigned char>(bytes[i]));
      hex += two;
    }
    return hex.empty() ? std::string("(end)") : hex;
  };
  return ::testing::AssertionFailure()
         << "seen " << seen.size() << " bytes, expected " << expected.size() << "; they part at byte "
         << at << ": seen " << hexAround(seen) << "expected " << hexAround(expected);
}

// The Windows folders, for a PATH that holds no copy of the library.
std::string SystemFoldersOnly() {
  char system[MAX_PATH] = {};
  char windows[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  GetWindowsDirectoryA(windows, MAX_PATH);
  return std::string(system) + ";" + windows;
}

// PATH of this process, which the program started from it inherits, set for
// one case and put back afterwards.
class ScopedPath {
 public:
  explicit ScopedPath(const std::string& value) {
    std::vector<char> old(32768);
    const DWORD length = GetEnvironmentVariableA("PATH", old.data(), static_cast<DWORD>(old.size()));
    had_ = length > 0 && length < old.size();
    if (had_) old_.assign(old.data(), length);
    SetEnvironmentVariableA("PATH", value.c_str());
  }
  ScopedPath(const ScopedPath&) = delete;
  ScopedPath& operator=(const ScopedPath&) = delete;
  ~ScopedPath() { SetEnvironmentVariableA("PATH", had_ ? old_.c_str() : nullptr); }

 private:
  bool had_ = false;
  std::string old_;
};

// Extends a snippet to `size` bytes without writing them: a sparse file,
// whose first bytes are whatever the snippet already holds.
bool MakeSparse(const std::string& path, ULONGLONG size) {
  base::FileHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD returned = 0;
  // Windows would otherwise reserve the space; Linux file systems leave
  // holes either way.
  DeviceIoControl(file.get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(size);
  if (!SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) || !SetEndOfFile(file.get())) return false;
  LARGE_INTEGER now = {};
  return GetFileSizeEx(file.get(), &now) && static_cast<ULONGLONG>(now.QuadPart) == size;
}

// ---------------------------------------------------------------------------
// The program running, as its user works it

// The thread that owns the main window: the program's GUI thread.
std::string GuiThreadOf(const RunningMorvessa& running) {
  return std::to_string(GetWindowThreadProcessId(running.window, nullptr));
}

// Tab (the way round is list, 预览, 退出) until `control` has the keyboard.
bool TabTo(const RunningMorvessa& running, HWND control) {
  for (int step = 0; step < 3 && running.focus() != control; ++step) {
    const HWND before = running.focus();
    PressKey(VK_TAB);
    WaitUntil([&] { return running.focus() != before; }, 2000);
  }
  return running.focus() == control;
}

// Clicks the list's scroll arrows until entry `name` shows.
bool ScrollIntoView(HWND list, const std::string& name) {
  const auto items = ListItemsOf(list);
  const auto found = std::find(items.begin(), items.end(), name);
  if (found == items.end()) return false;
  const int index = static_cast<int>(found - items.begin());
  const RECT client = ClientScreenRectOf(list);
  const LONG arrowX = client.right + GetSystemMetrics(SM_CXVSCROLL) / 2;
  const LONG arrowHalfHeight = GetSystemMetrics(SM_CYVSCROLL) / 2;
  for (std::size_t click = 0; click <= items.size(); ++click) {
    if (ListEntryPoint(list, name)) return true;
    const int top = ListTopIndexOf(list);
    const POINT arrow = index < top ? POINT{arrowX, client.top + arrowHalfHeight}
                                    : POINT{arrowX, client.bottom - 1 - arrowHalfHeight};
    if (!ClickAt(arrow)) return false;
    WaitUntil([&] { return ListTopIndexOf(list) != top; }, 2000);
  }
  return ListEntryPoint(list, name).has_value();
}

enum class Select { Nothing, Mouse, Keys };
enum class Press { Click, Space };

::testing::AssertionResult SelectEntry(const RunningMorvessa& running, Select how, const std::string& name) {
  switch (how) {
    case Select::Nothing:
      if (ListSelectionOf(running.list) == -1) return ::testing::AssertionSuccess();
      return ::testing::AssertionFailure() << "an entry is selected already";
    case Select::Mouse:
      if (!ScrollIntoView(running.list, name)) {
        return ::testing::AssertionFailure() << name << " is not in view";
      }
      if (const auto entry = ListEntryPoint(running.list, name);
          !entry || !ClickAt(*entry)) {
        return ::testing::AssertionFailure() << "could not click on " << name;
      }
      break;
    case Select::Keys:
      if (!TabTo(running, running.list)) return ::testing::AssertionFailure() << "the list got no focus";
      if (!SelectListEntryByKeys(running.list, name))
        return ::testing::AssertionFailure() << "could not reach " << name << " with the keys";
      break;
  }
  if (WaitUntil([&] { return ListSelectedTextOf(running.list) == std::optional<std::string>(name); }))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << name << " did not become the selection";
}

::testing::AssertionResult PressPreview(const RunningMorvessa& running, Press how) {
  if (how == Press::Click) {
    if (ClickWindow(running.preview)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "could not click on the preview button";
  }
  if (!TabTo(running, running.preview)) {
    return ::testing::AssertionFailure() << "the preview button got no focus";
  }
  PressKey(VK_SPACE);
  return ::testing::AssertionSuccess();
}

// Windows of the process besides its main window that a user would meet: any
// dialog (a message box, shown yet or not) and anything visible.
std::vector<std::string> OtherWindowsOf(const RunningMorvessa& running) {
  std::vector<std::string> others;
  for (HWND window : TopLevelWindowsOf(running.app.id())) {
    if (window == running.window) continue;
    if (IsWindowVisible(window) || ClassNameOf(window) == "#32770") others.push_back(DescribeWindow(window));
  }
  return others;
}

std::vector<BrowseEvent> CallsIn(const std::string& folder) {
  return BrowseEventsOf(ReadBrowseLog(folder), "call");
}

// Waits for the press to show as call number `callsBefore + 1` in the log
// of the copy in `libraryFolder`, and for the press to be over (the main
// window answering again, so the line is whole). Nothing if no call came.
std::optional<BrowseEvent> WaitForCall(const RunningMorvessa& running, const std::string& libraryFolder,
                                       std::size_t callsBefore) {
  if (!WaitUntil([&] { return CallsIn(libraryFolder).size() > callsBefore || !running.app.running(); },
                 kCallCapMs, 50)) {
    return std::nullopt;
  }
  if (!WaitUntil([&] { return Responds(running.window); })) return std::nullopt;
  const auto calls = CallsIn(libraryFolder);
  if (calls.size() <= callsBefore) return std::nullopt;
  return calls[callsBefore];
}

// What every call must look like, whatever the snippet: the title and flag,
// made from this process's GUI thread with OLE on, in the program directory,
// into the copy of the library in `libraryFolder`.
void ExpectCallCircumstances(const BrowseEvent& call, const RunningMorvessa& running,
                             const std::string& programFolder, const std::string& libraryFolder) {
  EXPECT_EQ(call.Field("pid"), std::to_string(running.app.id()));
  EXPECT_EQ(call.Bytes("module"), JoinPath(libraryFolder, kLibraryName));
  EXPECT_EQ(call.Bytes("title"), kPreviewTitle);
  EXPECT_EQ(call.Field("flag"), "1");
  EXPECT_EQ(call.Field("thread"), GuiThreadOf(running)) << "not the main window's thread";
  EXPECT_EQ(call.Field("window-thread"), GuiThreadOf(running));
  EXPECT_EQ(call.Field("ole"), "yes");
  EXPECT_EQ(call.Bytes("cwd"), programFolder);
}

void ExpectSnippet(const BrowseEvent& call, const std::optional<std::string>& expected) {
  if (!expected) {
    EXPECT_TRUE(call.IsNull("snippet")) << "expected a null snippet, got " << call.Bytes("snippet").size()
                                        << " bytes";
  } else if (call.IsNull("snippet")) {
    ADD_FAILURE() << "expected " << expected->size() << " bytes, got a null snippet";
  } else {
    EXPECT_TRUE(SameBytes(call.Bytes("snippet"), *expected));
  }
}

// Where the input stands, for failure messages.
std::string InputState(const RunningMorvessa& running) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(running.window, nullptr), &info);
  POINT pointer = {};
  GetCursorPos(&pointer);
  return running.WhereIsTheFocus() + ", capture: " + DescribeWindow(info.hwndCapture) + ", pointer at " +
         std::to_string(pointer.x) + "," + std::to_string(pointer.y) + " over " +
         DescribeWindow(WindowFromPoint(pointer)) + ", main window " +
         (IsWindowVisible(running.window) ? "visible" : "hidden") +
         (Responds(running.window) ? ", answering" : ", not answering") + ", process " +
         (running.app.running() ? "running" : "ended");
}

Ending WaitForEnd(const RunningMorvessa& running) {
  return WaitForEndWatchingWindows(running.app, running.window);
}

std::vector<std::string> EventKinds(const std::vector<BrowseEvent>& events) {
  std::vector<std::string> kinds;
  for (const BrowseEvent& e : events) kinds.push_back(e.event);
  return kinds;
}

// ---------------------------------------------------------------------------
// What reaches the library

TEST(PreviewE2e, EachSnippetFileReachesTheLibraryAsItsBytesUpToTheFirstNul) {
  struct Case {
    const char* what;
    std::string name;
    std::string bytes;
    std::optional<std::string> expected;  // nothing: a null snippet
    Select select;
    Press press;
    ULONGLONG sparseSize = 0;     // extended to this size without writing
    bool heldForWriting = false;  // this process keeps it open for writing during the press
  };
  const std::string fewMegabytes = BytesWithoutNul(3 * 1024 * 1024 + 7);
  const std::vector<Case> cases = {
      // First, while the list is as the program opened it.
      {"nothing selected", "", "", std::nullopt, Select::Nothing, Press::Click},
      {"stops at the first NUL", "ab-nul-cd.txt", std::string("ab\0cd", 5), "ab",
       Select::Mouse, Press::Click},
      {"UTF-16 bytes, unconverted", "utf16.txt", std::string("\xFF\xFE" "a\0", 4), "\xFF\xFE" "a",
       Select::Keys, Press::Space},
      {"GBK text verbatim", "\xD6\xD0\xCE\xC4.txt", kGbkPage, kGbkPage,  // 中文.txt
       Select::Mouse, Press::Space},
      {"a few MiB without NUL verbatim", "big.txt", fewMegabytes, fewMegabytes,
       Select::Keys, Press::Click},
      {"an empty file", "empty.txt", "", std::nullopt, Select::Mouse, Press::Click},
      {"a file starting with NUL", "nul-first.txt", std::string("\0<p>x</p>", 9), std::nullopt,
       Select::Keys, Press::Space},
      {"a file another process holds open for writing", "held.txt", "<p>held</p>", std::nullopt,
       Select::Mouse, Press::Click, 0, true},
      {"a sparse file of 2 GiB", "sparse-2g.txt", "abc", std::nullopt, Select::Keys, Press::Click, kTwoGiB},
      // The length's low 32 bits say 3: the whole length counts.
      {"a sparse file of 4 GiB and 3 bytes", "sparse-4g.txt", "abc", std::nullopt, Select::Mouse,
       Press::Space, kFourGiB + 3},
  };

  Installation installation(ProgramExe());
  ASSERT_TRUE(installation.ok());
  AppFolder& folder = installation.folder;
  ASSERT_FALSE(folder.AddFile(kLibraryName, RecordingLibrary()).empty());
  for (const Case& c : cases) {
    if (c.name.empty()) continue;
    const std::string path = folder.AddSnippet(c.name, c.bytes);
    ASSERT_EQ(ReadFileBytes(path).size(), c.bytes.size()) << c.name;
    if (c.sparseSize) {
      ASSERT_TRUE(MakeSparse(path, c.sparseSize)) << c.name;
    }
  }
  // Started from elsewhere: the calls must still find the program's folder current.
  AppFolder elsewhere;
  ASSERT_TRUE(elsewhere.ok());

  RunningMorvessa running(installation.exe, elsewhere.path());
  ASSERT_TRUE(running.ready());
  EXPECT_TRUE(ReadBrowseLog(folder.path()).empty()) << "the library was loaded before any preview";

  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(running.app.running());
    ASSERT_TRUE(SelectEntry(running, c.select, c.name));

    base::FileHandle writer;
    if (c.heldForWriting) {
      // A writer's handle: a reader that lets writers in could still open the
      // file; the program, which shares reading only, can't.
      writer.reset(CreateFileA(folder.PathOf(std::string(kSnippetFolderName) + "\\" + c.name).c_str(),
                               GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
      ASSERT_TRUE(writer) << "could not open it for writing";
    }
    ASSERT_TRUE(PressPreview(running, c.press));
    const auto call = WaitForCall(running, folder.path(), i);
    writer.reset();
    ASSERT_TRUE(call) << "no call; other windows: " << ::testing::PrintToString(OtherWindowsOf(running));

    ExpectCallCircumstances(*call, running, folder.path(), folder.path());
    ExpectSnippet(*call, c.expected);
    EXPECT_EQ(OtherWindowsOf(running), std::vector<std::string>{});
    EXPECT_EQ(CallsIn(folder.path()).size(), i + 1) << "one press, one call";
  }

  // One load for all the presses, and nothing unloaded while the program runs.
  const auto events = ReadBrowseLog(folder.path());
  EXPECT_EQ(BrowseEventsOf(events, "load").size(), 1u);
  EXPECT_EQ(BrowseEventsOf(events, "unload").size(), 0u);
  ASSERT_TRUE(ClickWindow(running.exit));
  EXPECT_EQ(WaitForEnd(running).exitCode, std::optional<DWORD>(0)) << InputState(running);
}

// ---------------------------------------------------------------------------
// Load once, unload at the end

TEST(PreviewE2e, TwoPressesMakeTwoEqualCallsOnOneLoadAndEachWayOutUnloadsTheLibrary) {
  struct Case {
    const char* what;
    std::function<bool(const RunningMorvessa&)> leave;
  };
  const Case cases[] = {
      {"退出 clicked", [](const RunningMorvessa& r) { return ClickWindow(r.exit); }},
      {"close box clicked",
       [](const RunningMorvessa& r) {
         const auto closeBox = CloseBoxPoint(r.window);
         return closeBox && ClickAt(*closeBox);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Installation installation(ProgramExe());
    ASSERT_TRUE(installation.ok());
    AppFolder& folder = installation.folder;
    ASSERT_FALSE(folder.AddFile(kLibraryName, RecordingLibrary()).empty());
    folder.AddSnippet("page.txt", kGbkPage);

    RunningMorvessa running(installation);
    ASSERT_TRUE(running.ready());
    ASSERT_TRUE(SelectEntry(running, Select::Mouse, "page.txt"));
    ASSERT_TRUE(PressPreview(running, Press::Click));
    const auto first = WaitForCall(running, folder.path(), 0);
    ASSERT_TRUE(first) << ::testing::PrintToString(OtherWindowsOf(running));
    ASSERT_TRUE(PressPreview(running, Press::Space));
    const auto second = WaitForCall(running, folder.path(), 1);
    ASSERT_TRUE(second) << ::testing::PrintToString(OtherWindowsOf(running));

    for (const auto& call : {*first, *second}) {
      ExpectCallCircumstances(call, running, folder.path(), folder.path());
      ExpectSnippet(call, kGbkPage);
    }
    EXPECT_EQ(EventKinds(ReadBrowseLog(folder.path())), (std::vector<std::string>{"load", "call", "call"}));

    ASSERT_TRUE(c.leave(running));
    const Ending ending = WaitForEnd(running);
    EXPECT_EQ(ending.exitCode, std::optional<DWORD>(0)) << InputState(running);
    EXPECT_EQ(ending.otherWindows, std::vector<std::string>{});
    const auto events = ReadBrowseLog(folder.path());
    ASSERT_EQ(EventKinds(events), (std::vector<std::string>{"load", "call", "call", "unload"}));
    EXPECT_EQ(events.back().Field("by"), "freelibrary");
    EXPECT_EQ(events.back().Field("pid"), std::to_string(running.app.id()));
  }
}

// ---------------------------------------------------------------------------
// Which copy of the library

TEST(PreviewE2e, TheCopyBesideTheProgramWinsOverPathAndWithoutItPathIsSearched) {
  struct Case {
    const char* what;
    bool copyBesideProgram;
  };
  const Case cases[] = {
      {"a copy beside the program and one on PATH", true},
      {"only a copy on PATH", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Installation installation(ProgramExe());
    ASSERT_TRUE(installation.ok());
    AppFolder& folder = installation.folder;
    if (c.copyBesideProgram) {
      ASSERT_FALSE(folder.AddFile(kLibraryName, RecordingLibrary()).empty());
    }
    folder.AddSnippet("a.txt", "<p>a</p>");
    AppFolder onPath(TempFolder(), "morvessa-on-path");
    ASSERT_TRUE(onPath.ok());
    ASSERT_FALSE(onPath.AddFile(kLibraryName, RecordingLibrary()).empty());
    const ScopedPath path(onPath.path() + ";" + SystemFoldersOnly());

    RunningMorvessa running(installation);
    ASSERT_TRUE(running.ready());
    ASSERT_TRUE(SelectEntry(running, Select::Keys, "a.txt"));
    ASSERT_TRUE(PressPreview(running, Press::Click));

    const std::string used = c.copyBesideProgram ? folder.path() : onPath.path();
    const std::string unused = c.copyBesideProgram ? onPath.path() : folder.path();
    const auto call = WaitForCall(running, used, 0);
    ASSERT_TRUE(call) << ::testing::PrintToString(OtherWindowsOf(running));
    ExpectCallCircumstances(*call, running, folder.path(), used);
    ExpectSnippet(*call, std::string("<p>a</p>"));
    EXPECT_EQ(EventKinds(ReadBrowseLog(used)), (std::vector<std::string>{"load", "call"}));
    EXPECT_TRUE(ReadBrowseLog(unused).empty()) << "the other copy was loaded too";
    EXPECT_EQ(OtherWindowsOf(running), std::vector<std::string>{});

    ASSERT_TRUE(ClickWindow(running.exit));
    EXPECT_EQ(WaitForEnd(running).exitCode, std::optional<DWORD>(0)) << InputState(running);
  }
}

// ---------------------------------------------------------------------------
// No usable library

TEST(PreviewE2e, WithoutTheLibraryOrItsExportOneErrorBoxThenExitCodeMinusOne) {
  struct Case {
    const char* what;
    bool noExportCopyBesideProgram;
  };
  const Case cases[] = {
      {"no library beside the program nor on PATH", false},
      {"a library without the export beside the program", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Installation installation(ProgramExe());
    ASSERT_TRUE(installation.ok());
    AppFolder& folder = installation.folder;
    if (c.noExportCopyBesideProgram) {
      ASSERT_FALSE(folder.AddFile(kLibraryName, NoExportLibrary()).empty());
    }
    folder.AddSnippet("a.txt", "<p>a</p>");
    const ScopedPath path(SystemFoldersOnly());

    RunningMorvessa running(installation);
    ASSERT_TRUE(running.ready());
    ASSERT_TRUE(SelectEntry(running, Select::Mouse, "a.txt"));
    ASSERT_TRUE(PressPreview(running, Press::Space));

    const HWND box = WaitForMessageBox(running.app.id());
    ASSERT_NE(box, nullptr) << "no message box; exited: " << !running.app.running();
    EXPECT_EQ(OtherWindowsOf(running).size(), 1u) << ::testing::PrintToString(OtherWindowsOf(running));
    const MessageBoxFacts facts = ReadMessageBox(box);
    EXPECT_EQ(facts.title, kErrorTitle);
    EXPECT_EQ(facts.text, kExportMissingText);
    EXPECT_EQ(facts.buttons.size(), 1u);
    const HWND ok = GetDlgItem(box, IDOK);
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(IsWindowVisible(ok));

    // The copy that loaded was let go before the box came up.
    const auto events = ReadBrowseLog(folder.path());
    if (c.noExportCopyBesideProgram) {
      ASSERT_EQ(EventKinds(events), (std::vector<std::string>{"load", "unload"}));
      EXPECT_EQ(events.back().Field("by"), "freelibrary");
    } else {
      EXPECT_TRUE(events.empty());
    }

    const std::string boxSeen = DescribeWindow(box);
    // The box comes up in front; no detour over its caption is needed.
    ASSERT_TRUE(GetForegroundWindow() == box || BringToFront(box));
    ASSERT_TRUE(ClickWindow(ok));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }))
        << "OK did not close the box; " << InputState(running);
    const Ending ending = WaitForEnd(running);
    EXPECT_EQ(ending.exitCode, std::optional<DWORD>(0xFFFFFFFFu));
    // The box just answered may linger a moment; no second one comes.
    for (const std::string& seen : ending.otherWindows) EXPECT_EQ(seen, boxSeen);
    EXPECT_EQ(ReadBrowseLog(folder.path()).size(), events.size()) << "the library was tried again";
  }
}


}  // namespace
}  // namespace e2e
