// The real program under load and at the path limits, driven from outside:
// ten thousand snippets, a thousand presses of 预览 against the recording
// stand-in of the preview library, program folders near and past MAX_PATH,
// and an executable whose own path is longer than MAX_PATH.
//
// Presses after the first are BM_CLICK sent to the button with a timeout:
// the button's own click handling runs (the same clicked event a mouse click
// raises), each press has finished when the send returns, and a thousand
// real clicks would cost minutes under Wine.

#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "base/win_handles.h"
#include "tests/doubles/browse_calls_log.h"
#include "tests/e2e/driver/e2e_driver.h"
#include "tests/robustness/long_paths.h"

namespace {

using doubles::BrowseEvent;
using robustness::ScratchFolder;

const std::string kPreviewCaption = "\xD4\xA4\xC0\xC0";              // 预览
const std::string kExitCaption = "\xCD\xCB\xB3\xF6";                 // 退出
const std::string kPreviewTitle = "\xD4\xA4\xC0\xC0\xBD\xE1\xB9\xFB";  // 预览结果
const std::string kSnippetFolder = "\xD4\xA4\xC0\xC0\xB4\xFA\xC2\xEB";  // 预览代码
constexpr DWORD kPressCapMs = 10000;

std::string MorvessaExe() { return e2e::WinePathFromHost(MORVESSA_EXE); }
std::string RecordingBrowseDll() { return e2e::WinePathFromHost(RECORDING_BROWSE_DLL); }

// The program, the recording Browse.dll and the snippet folder in `folder`
// (any length: made through the wide calls).
void Install(const std::string& folder) {
  ASSERT_TRUE(robustness::MakeFolders(folder + "\\" + kSnippetFolder)) << folder;
  ASSERT_TRUE(robustness::CopyInto(MorvessaExe(), folder + "\\Morvessa.exe"));
  ASSERT_TRUE(robustness::CopyInto(RecordingBrowseDll(), folder + "\\Browse.dll"));
}

void AddSnippet(const std::string& folder, const std::string& name, const std::string& bytes) {
  ASSERT_TRUE(robustness::WriteBytes(folder + "\\" + kSnippetFolder + "\\" + name, bytes)) << name;
}

// What the stand-in beside the program recorded; its log may sit past
// MAX_PATH, where the log reader's ANSI open can't go, so it is read from a
// short copy.
std::vector<BrowseEvent> CallsLoggedIn(const std::string& folder) {
  ScratchFolder copy;
  std::string log = folder + "\\" + doubles::kBrowseLogName;
  if (!robustness::CopyInto(log, copy / doubles::kBrowseLogName)) return {};
  return doubles::BrowseEventsOf(doubles::ReadBrowseLog(copy.path()), "call");
}

// BM_CLICK, sent: returns once the clicked event has run; false if the
// program didn't answer within the cap.
bool PressByMessage(HWND button) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kPressCapMs, &result) != 0;
}

// The exit button ends the process inside its clicked event, so the press is
// posted: a sent one would come back unanswered.
bool PressToEnd(HWND button) { return PostMessageW(button, BM_CLICK, 0, 0) != FALSE; }

bool SelectByMessage(HWND list, int index) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0, SMTO_ABORTIFHUNG,
                             kPressCapMs, &result) != 0 &&
         e2e::ListSelectionOf(list) == index;
}

// The list's entries with one message each (the driver's reader asks for
// each length first; ten thousand round trips to another process are what
// this test waits for most). File names hold at most 255 characters.
std::vector<std::string> ListEntriesOf(HWND list) {
  std::vector<std::string> entries;
  DWORD_PTR count = 0;
  if (!SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, kPressCapMs, &count) ||
      static_cast<LRESULT>(count) == LB_ERR) {
    return entries;
  }
  for (DWORD_PTR index = 0; index < count; ++index) {
    wchar_t text[MAX_PATH + 1] = {};
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, kPressCapMs, &length) ||
        static_cast<LRESULT>(length) == LB_ERR || length > MAX_PATH) {
      length = 0;
    }
    entries.push_back(e2e::GbkFromWide(std::wstring(text, length)));
  }
  return entries;
}

int IndexOf(const std::vector<std::string>& items, const std::string& name) {
  auto it = std::find(items.begin(), items.end(), name);
  return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

// Private bytes as Wine tells them from outside (PagefileUsage; PrivateUsage
// stays 0 there).
SIZE_T PrivateBytesOf(HANDLE process) {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(process, &counters, sizeof counters)) return 0;
  return counters.PagefileUsage;
}

// The main window and its controls of a started program.
struct MainWindow {
  explicit MainWindow(HWND found) : window(found) {
    if (!window) return;
    list = e2e::FindChildByClass(window, "ListBox");
    preview = e2e::FindChildByText(window, kPreviewCaption);
    exit = e2e::FindChildByText(window, kExitCaption);
  }
  bool ready() const { return window && list && preview && exit; }

  HWND window = nullptr;
  HWND list = nullptr;
  HWND preview = nullptr;
  HWND exit = nullptr;
};

// ---------------------------------------------------------------------------
// Ten thousand snippets

TEST(RobustnessE2e, TenThousandSnippetsAreAllListedAndTheWindowAnswers) {
  ScratchFolder folder;
  Install(folder.path());
  std::vector<std::string> expected;
  for (int i = 0; i < 10000; ++i) {
    char number[16];
    std::snprintf(number, sizeof number, "%05d", i);
    // Plain names, GBK names and names holding 乗 (a 0x5C trail byte).
    static const char* const kStems[] = {"snippet-", "\xD4\xA4\xC0\xC0", "\x81\x5C"};
    expected.push_back(kStems[i % 3] + std::string(number) + ".txt");
    // Empty but for the last few (writing costs as much as creating here).
    AddSnippet(folder.path(), expected.back(), i < 9990 ? "" : "<p>" + std::string(number) + "</p>");
  }
  AddSnippet(folder.path(), "not-a-snippet.md", "x");

  e2e::AppProcess app = e2e::AppProcess::Start(folder / "Morvessa.exe", folder.path());
  MainWindow main(app.WaitForWindow());
  ASSERT_TRUE(main.ready());

  std::vector<std::string> listed = ListEntriesOf(main.list);
  EXPECT_EQ(listed.size(), expected.size());
  std::vector<std::string> listedSorted = listed;
  std::sort(listedSorted.begin(), listedSorted.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_TRUE(listedSorted == expected) << "names lost or added";
  EXPECT_TRUE(e2e::Responds(main.window));

  // The entry at the very end is as usable as the first.
  ASSERT_FALSE(listed.empty());
  const std::string& last = listed.back();
  ASSERT_TRUE(SelectByMessage(main.list, static_cast<int>(listed.size()) - 1));
  ASSERT_TRUE(PressByMessage(main.preview));
  std::vector<BrowseEvent> calls = CallsLoggedIn(folder.path());
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].Bytes("snippet"), "<p>" + last.substr(last.size() - 9, 5) + "</p>");

  ASSERT_TRUE(PressToEnd(main.exit));
  EXPECT_EQ(app.WaitForExit(), std::optional<DWORD>(0));
}

// ---------------------------------------------------------------------------
// A thousand presses

TEST(RobustnessE2e, AThousandPreviewsLoseNothingGrowNothingAndTheWindowAnswers) {
  ScratchFolder folder;
  Install(folder.path());
  // 8 KiB without a NUL, GBK-looking bytes included: a snippet leaked per
  // press would add some 8 MB over the presses compared.
  std::string snippet;
  for (int i = 0; snippet.size() < 8192; ++i) snippet += static_cast<char>(1 + i % 255);
  AddSnippet(folder.path(), "soak.txt", snippet);

  e2e::MovePointerTo(POINT{GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2});
  e2e::AppProcess app = e2e::AppProcess::Start(folder / "Morvessa.exe", folder.path());
  MainWindow main(app.WaitForWindow());
  ASSERT_TRUE(main.ready());

  // The first press as a user makes it, with the mouse.
  ASSERT_TRUE(e2e::BringToFront(main.window));
  ASSERT_TRUE(e2e::ClickListEntry(main.list, "soak.txt"));
  ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::ListSelectionOf(main.list) == 0; }));
  ASSERT_TRUE(e2e::ClickWindow(main.preview));
  ASSERT_TRUE(e2e::WaitUntil([&] { return CallsLoggedIn(folder.path()).size() == 1; }));

  constexpr int kPresses = 1000;
  SIZE_T afterTenPresses = 0;
  int unanswered = 0;
  for (int press = 2; press <= kPresses; ++press) {
    if (!PressByMessage(main.preview)) ++unanswered;
    if (press == 10) afterTenPresses = PrivateBytesOf(app.handle());
    if (press % 250 == 0) {
      EXPECT_TRUE(e2e::Responds(main.window)) << "after press " << press;
    }
  }
  SIZE_T afterAllPresses = PrivateBytesOf(app.handle());

  EXPECT_EQ(unanswered, 0);
  EXPECT_TRUE(e2e::Responds(main.window));

  // Nothing lost: one call per press, each with the whole snippet.
  std::vector<BrowseEvent> calls = CallsLoggedIn(folder.path());
  ASSERT_EQ(calls.size(), static_cast<std::size_t>(kPresses));
  int differing = 0;
  for (const BrowseEvent& call : calls) {
    if (call.Bytes("snippet") != snippet || call.Bytes("title") != kPreviewTitle ||
        call.Field("flag") != "1") {
      ++differing;
    }
  }
  EXPECT_EQ(differing, 0) << "calls whose title, flag or snippet differ";

  // Nothing grows: private bytes after press 1000 against after press 10.
  ASSERT_GT(afterTenPresses, 0u) << "no memory counters for the program";
  const SIZE_T kNoise = 1 << 20;
  EXPECT_LE(afterAllPresses, afterTenPresses + kNoise)
      << "private bytes grew from " << afterTenPresses << " to " << afterAllPresses;

  ASSERT_TRUE(PressToEnd(main.exit));
  EXPECT_EQ(app.WaitForExit(), std::optional<DWORD>(0));
}

// ---------------------------------------------------------------------------
// Program folders near and past the path limit

// The snippet folder is the program folder + "\预览代码" (9 bytes); its search
// path adds "\*.txt" and the NUL, so 244 bytes is the longest program folder
// whose snippets are listed. A listed snippet whose own path is longer than
// MAX_PATH (a long name) can't be read by the program's ANSI open: the
// preview gets the null snippet, as for any unreadable file.
TEST(RobustnessE2e, ProgramFoldersNearThePathLimit) {
  struct Row {
    const char* name;
    std::size_t folderLength;
    std::vector<std::string> snippets;  // created with "<p>" + name + "</p>"
    std::vector<std::string> listed;    // sorted
    std::vector<std::string> unreadable;
  };
  const std::string longName = std::string(116, 'n') + ".txt";
  const Row rows[] = {
      {"longest folder that is searched", 244, {"a.txt"}, {"a.txt"}, {}},
      {"one byte longer: nothing listed", 245, {"a.txt"}, {}, {}},
      {"a listed snippet past MAX_PATH", 150, {"a.txt", longName}, {"a.txt", longName}, {longName}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    // The folder's name holds 乗 (a 0x5C trail byte) and GBK, so the cut of
    // the program directory is tried on the way.
    ScratchFolder scratch;
    std::string folder = robustness::PathOfLength(scratch.path(), "\x81\x5C\xD4\xA4\xC0\xC0-",
                                                  row.folderLength);
    ASSERT_EQ(folder.size(), row.folderLength);
    Install(folder);
    for (const std::string& name : row.snippets) AddSnippet(folder, name, "<p>" + name + "</p>");

    e2e::AppProcess app = e2e::AppProcess::Start(folder + "\\Morvessa.exe", scratch.path());
    MainWindow main(app.WaitForWindow());
    ASSERT_TRUE(main.ready());
    std::vector<std::string> listed = e2e::ListItemsOf(main.list);
    EXPECT_EQ(listed, row.listed);

    // Every listed snippet previewed once; with none, one press with nothing
    // selected.
    std::vector<std::string> expectedSnippets;
    for (const std::string& name : listed) {
      ASSERT_TRUE(SelectByMessage(main.list, IndexOf(listed, name)));
      ASSERT_TRUE(PressByMessage(main.preview));
      bool unreadable = std::count(row.unreadable.begin(), row.unreadable.end(), name) > 0;
      expectedSnippets.push_back(unreadable ? "null" : "<p>" + name + "</p>");
    }
    if (listed.empty()) {
      ASSERT_TRUE(PressByMessage(main.preview));
      expectedSnippets.push_back("null");
    }
    std::vector<std::string> seen;
    for (const BrowseEvent& call : CallsLoggedIn(folder))
      seen.push_back(call.IsNull("snippet") ? "null" : call.Bytes("snippet"));
    EXPECT_EQ(seen, expectedSnippets);

    EXPECT_TRUE(e2e::Responds(main.window));
    ASSERT_TRUE(PressToEnd(main.exit));
    EXPECT_EQ(app.WaitForExit(), std::optional<DWORD>(0));
  }
}

// ---------------------------------------------------------------------------
// An executable whose own path is longer than MAX_PATH

// A folder some 330 bytes long with GBK names, for the executable.
std::string DeepFolderUnder(const std::string& parent) {
  return robustness::PathOfLength(parent, "\xC9\xEE\x81\x5C" "-", 330);  // 深乗-
}

// A process started through the Wine loader is not our child: it is found by
// its image path and watched through a handle opened afterwards.
class ForeignProcess {
 public:
  ~ForeignProcess() {
    if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT)
      TerminateProcess(process_.get(), 0xDEAD);
  }
  // The visible "MorvessaV1.0" window of the process whose image is `exe`.
  HWND WaitForMainWindow(const std::string& exe) {
    HWND found = nullptr;
    e2e::WaitUntil(
        [&] {
          for (HWND window = GetTopWindow(nullptr); window && !found;
               window = GetWindow(window, GW_HWNDNEXT)) {
            DWORD processId = 0;
            GetWindowThreadProcessId(window, &processId);
            if (!IsWindowVisible(window) || e2e::TextOf(window) != e2e::kMainWindowTitle)
              continue;
            if (lstrcmpiA(robustness::ImagePathOf(processId).c_str(), exe.c_str()) != 0) continue;
            found = window;
            process_.reset(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION |
                                           PROCESS_TERMINATE,
                                       FALSE, processId));
          }
          return found != nullptr;
        },
        e2e::kStartCapMs, 100);
    return found;
  }
  std::optional<DWORD> WaitForExit() {
    DWORD code = 0;
    if (!process_ || WaitForSingleObject(process_.get(), e2e::kExitCapMs) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process_.get(), &code)) {
      return std::nullopt;
    }
    return code;
  }

 private:
  base::KernelHandle process_;
};

std::string Unhex(const std::string& hex) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return bytes;
}

// Windows itself can't start such a program (CreateProcess and ShellExecute
// refuse the path), but Wine started from Linux with the file's Linux path
// can, and then GetModuleFileNameA reports more than MAX_PATH bytes.
TEST(RobustnessE2e, AnExecutablePathLongerThanMaxPathIsTheProgramDirectoryWhole) {
  if (!robustness::RunningUnderWine())
    GTEST_SKIP() << "only Wine, started from Linux, runs a program from such a path";
  ScratchFolder scratch;
  std::string deep = DeepFolderUnder(scratch.path());
  ASSERT_TRUE(robustness::MakeFolders(deep));
  std::string host = deep + "\\robustness_host.exe";
  ASSERT_TRUE(robustness::CopyInto(e2e::WinePathFromHost(ROBUSTNESS_HOST_EXE), host));
  std::optional<std::string> unixHost = robustness::UnixPathOf(host);
  ASSERT_TRUE(unixHost);

  std::string result = scratch / "host-result.txt";
  ASSERT_TRUE(robustness::StartThroughWineLoader(*unixHost, "\"" + result + "\"", scratch.path()));
  std::vector<std::string> lines;
  ASSERT_TRUE(e2e::WaitUntil(
      [&] {
        std::optional<std::string> text = robustness::ReadBytes(result);
        if (!text || std::count(text->begin(), text->end(), '\n') < 3) return false;
        lines.clear();
        for (std::size_t start = 0, end; (end = text->find('\n', start)) != std::string::npos;
             start = end + 1)
          lines.push_back(Unhex(text->substr(start, end - start)));
        return true;
      },
      e2e::kStartCapMs, 100))
      << "the host reported nothing";

  ASSERT_EQ(lines.size(), 3u);
  EXPECT_GT(lines[2].size(), static_cast<std::size_t>(MAX_PATH)) << "the path is not long";
  EXPECT_EQ(lstrcmpiA(lines[2].c_str(), host.c_str()), 0) << lines[2];
  // The whole folder, not a cut path's.
  EXPECT_EQ(lstrcmpiA(lines[0].c_str(), deep.c_str()), 0) << lines[0];
  // No ANSI call makes such a folder the working directory: it stays where
  // the program was started.
  EXPECT_EQ(lstrcmpiA(lines[1].c_str(), scratch.path().c_str()), 0) << lines[1];
}

// The program itself from there: it opens, its snippet folder is past the
// search limit so nothing is listed, and 预览 still reaches the Browse.dll
// beside it (the ANSI load of the long path fails; the system's search for
// the bare name starts in the program's folder) with the null snippet.
TEST(RobustnessE2e, TheProgramStartedFromAPathLongerThanMaxPathOpensListsNothingAndPreviews) {
  if (!robustness::RunningUnderWine())
    GTEST_SKIP() << "only Wine, started from Linux, runs a program from such a path";
  ScratchFolder scratch;
  std::string deep = DeepFolderUnder(scratch.path());
  Install(deep);
  AddSnippet(deep, "a.txt", "<p>a</p>");
  std::string exe = deep + "\\Morvessa.exe";
  std::optional<std::string> unixExe = robustness::UnixPathOf(exe);
  ASSERT_TRUE(unixExe);

  ASSERT_TRUE(robustness::StartThroughWineLoader(*unixExe, "", scratch.path()));
  ForeignProcess app;
  MainWindow main(app.WaitForMainWindow(exe));
  ASSERT_TRUE(main.ready()) << "no main window of " << exe;

  EXPECT_EQ(e2e::ListItemsOf(main.list), std::vector<std::string>{});
  ASSERT_TRUE(PressByMessage(main.preview));
  std::vector<BrowseEvent> calls = CallsLoggedIn(deep);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_TRUE(calls[0].IsNull("snippet"));
  EXPECT_EQ(calls[0].Bytes("title"), kPreviewTitle);
  EXPECT_EQ(lstrcmpiA(calls[0].Bytes("module").c_str(), (deep + "\\Browse.dll").c_str()), 0)
      << calls[0].Bytes("module");

  EXPECT_TRUE(e2e::Responds(main.window));
  ASSERT_TRUE(PressToEnd(main.exit));
  EXPECT_EQ(app.WaitForExit(), std::optional<DWORD>(0));
}

}  // namespace
