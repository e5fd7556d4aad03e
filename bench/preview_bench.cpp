// Preview latency and memory, in process: the program's real main window is
// loaded here as the program loads it, an entry is selected in its file list
// and its 预览 button pressed with BM_CLICK; the bench Browse.dll beside this
// executable notes when its UpdateTobrilCode is entered.
//
//   preview_bench <runs> <large snippet> <small snippet> <presses> <rounds>
//
// Latency: from just before BM_CLICK to the library's entry, for the large
// snippet, against one bare CreateFile + ReadFile (+ CloseHandle) of the same
// file into a freshly allocated buffer (the allocation itself not timed).
// Both are run once first so the file is in the cache, then <runs> pairs,
// the order swapped every pair.
//
// Memory: private bytes (PagefileUsage; Wine leaves PrivateUsage 0) and the
// busy bytes of the process heap after the first and after the last of
// <presses> presses on the small snippet, in <rounds> rounds; then one round
// in which the library keeps a copy of every snippet, the leak the figures
// must show.

#include <windows.h>
#include <ole2.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_stats.h"
#include "shell/fatal_error.h"
#include "shell/main_window.h"
#include "shell/program_directory.h"
#include "ui/skin/skin.h"
#include "ui/window.h"

namespace {

constexpr char kMainWindowTitle[] = "MorvessaV1.0";
constexpr char kPreviewCaption[] = "\xD4\xA4\xC0\xC0";  // 预览
constexpr char kSnippetFolder[] = "\\\xD4\xA4\xC0\xC0\xB4\xFA\xC2\xEB\\";  // \预览代码\ (GBK)

struct BenchLibrary {
  LONGLONG (*lastEntry)();
  unsigned (*callCount)();
  void (*measureSnippets)(int);
  long long (*lastSnippetLength)();
  void (*leakSnippets)(int);
};

template <class Function>
bool Find(HMODULE library, const char* name, Function& into) {
  into = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
  return into != nullptr;
}

bool BindBenchLibrary(BenchLibrary& bench) {
  HMODULE library = GetModuleHandleA("Browse.dll");
  return library && Find(library, "BenchLastEntry", bench.lastEntry) &&
         Find(library, "BenchCallCount", bench.callCount) &&
         Find(library, "BenchMeasureSnippets", bench.measureSnippets) &&
         Find(library, "BenchLastSnippetLength", bench.lastSnippetLength) &&
         Find(library, "BenchLeakSnippets", bench.leakSnippets);
}

BOOL CALLBACK FindOwnMainWindow(HWND window, LPARAM found) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char title[64] = {};
  GetWindowTextA(window, title, sizeof title);
  if (owner != GetCurrentProcessId() || lstrcmpA(title, kMainWindowTitle) != 0) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

void PumpPendingMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

class MainWindow {
 public:
  bool Find() {
    EnumWindows(FindOwnMainWindow, reinterpret_cast<LPARAM>(&window_));
    if (!window_) return false;
    list_ = FindWindowExA(window_, nullptr, "LISTBOX", nullptr);
    previewButton_ = FindWindowExA(window_, nullptr, "BUTTON", kPreviewCaption);
    return list_ && previewButton_;
  }

  bool Select(const char* name) {
    LRESULT index = SendMessageA(list_, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(name));
    if (index == LB_ERR) return false;
    SendMessageA(list_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    PumpPendingMessages();
    return true;
  }

  // Presses 预览; returns the counter just before the press.
  LONGLONG Press() {
    LONGLONG start = bench::Now();
    SendMessageA(previewButton_, BM_CLICK, 0, 0);
    return start;
  }

 private:
  HWND window_ = nullptr;
  HWND list_ = nullptr;
  HWND previewButton_ = nullptr;
};

// Milliseconds for one CreateFile + ReadFile + CloseHandle of `size` bytes;
// negative when the file could not be read whole.
double BareReadMilliseconds(const char* path, DWORD size) {
  void* buffer = HeapAlloc(GetProcessHeap(), 0, static_cast<SIZE_T>(size) + 8);
  if (!buffer) return -1;
  LONGLONG start = bench::Now();
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD read = 0;
  BOOL ok = file != INVALID_HANDLE_VALUE && ReadFile(file, buffer, size, &read, nullptr);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  double elapsed = bench::Milliseconds(bench::Now() - start);
  HeapFree(GetProcessHeap(), 0, buffer);
  return ok && read == size ? elapsed : -1;
}

// Milliseconds from the press to the library's entry; negative when the
// press did not reach the library exactly once.
double PressToEntryMilliseconds(MainWindow& window, const BenchLibrary& library) {
  unsigned callsBefore = library.callCount();
  LONGLONG start = window.Press();
  if (library.callCount() != callsBefore + 1) return -1;
  double elapsed = bench::Milliseconds(library.lastEntry() - start);
  PumpPendingMessages();
  return elapsed;
}

struct Memory {
  double privateMiB;
  double heapBusyMiB;
};

Memory MeasureMemory() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  HANDLE heap = GetProcessHeap();
  unsigned long long busy = 0;
  HeapLock(heap);
  PROCESS_HEAP_ENTRY entry = {};
  while (HeapWalk(heap, &entry))
    if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) busy += entry.cbData;
  HeapUnlock(heap);
  constexpr double kMiB = 1024.0 * 1024.0;
  return {static_cast<double>(counters.PagefileUsage) / kMiB, static_cast<double>(busy) / kMiB};
}

// One round of `presses` presses; the memory after its first and last press.
bool PressRound(MainWindow& window, const BenchLibrary& library, int presses, Memory& afterFirst,
                Memory& afterLast) {
  for (int press = 1; press <= presses; ++press) {
    if (PressToEntryMilliseconds(window, library) < 0) return false;
    if (press == 1) afterFirst = MeasureMemory();
  }
  afterLast = MeasureMemory();
  return true;
}

int Fail(const char* what) {
  std::printf("preview_bench: %s\n", what);
  std::fflush(stdout);
  return 1;
}

int Run(int runs, const char* largeName, const char* smallName, int presses, int rounds) {
  MainWindow window;
  if (!window.Find()) return Fail("main window or its controls not found");
  std::string largePath = std::string(shell::ProgramDirectory()) + kSnippetFolder + largeName;
  WIN32_FILE_ATTRIBUTE_DATA facts;
  if (!GetFileAttributesExA(largePath.c_str(), GetFileExInfoStandard, &facts))
    return Fail("large snippet missing");
  DWORD largeSize = facts.nFileSizeLow;

  // Warm-up: the file into the cache, the library loaded and checked.
  if (!window.Select(largeName)) return Fail("large snippet not listed");
  if (BareReadMilliseconds(largePath.c_str(), largeSize) < 0) return Fail("bare read failed");
  window.Press();
  BenchLibrary library;
  if (!BindBenchLibrary(library)) return Fail("the bench Browse.dll was not loaded");
  library.measureSnippets(1);
  if (PressToEntryMilliseconds(window, library) < 0 ||
      library.lastSnippetLength() != static_cast<long long>(largeSize))
    return Fail("the library did not get the whole large snippet");
  library.measureSnippets(0);

  std::vector<double> bare, press;
  for (int run = 0; run < runs; ++run) {
    double first = run % 2 == 0 ? BareReadMilliseconds(largePath.c_str(), largeSize)
                                : PressToEntryMilliseconds(window, library);
    double second = run % 2 == 0 ? PressToEntryMilliseconds(window, library)
                                 : BareReadMilliseconds(largePath.c_str(), largeSize);
    if (first < 0 || second < 0) return Fail("a latency run failed");
    bare.push_back(run % 2 == 0 ? first : second);
    press.push_back(run % 2 == 0 ? second : first);
  }
  char latencyName[64];
  std::snprintf(latencyName, sizeof latencyName, "preview_latency_%luMiB",
                static_cast<unsigned long>(largeSize >> 20));
  bench::PrintFigure(latencyName, bare, press, "ms");

  if (!window.Select(smallName)) return Fail("small snippet not listed");
  std::vector<double> privateFirst, privateLast, heapFirst, heapLast;
  for (int round = 0; round < rounds; ++round) {
    Memory first, last;
    if (!PressRound(window, library, presses, first, last)) return Fail("a press failed");
    privateFirst.push_back(first.privateMiB);
    privateLast.push_back(last.privateMiB);
    heapFirst.push_back(first.heapBusyMiB);
    heapLast.push_back(last.heapBusyMiB);
  }
  bench::PrintFigure("memory_private_MiB", privateFirst, privateLast, "MiB");
  bench::PrintFigure("memory_heap_MiB", heapFirst, heapLast, "MiB");

  library.leakSnippets(1);
  Memory first, last;
  if (!PressRound(window, library, presses, first, last)) return Fail("a press failed");
  library.leakSnippets(0);
  bench::PrintFigure("memory_private_MiB_with_leak", {first.privateMiB}, {last.privateMiB}, "MiB");
  bench::PrintFigure("memory_heap_MiB_with_leak", {first.heapBusyMiB}, {last.heapBusyMiB}, "MiB");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 6) {
    std::printf(
        "usage: preview_bench <runs> <large snippet> <small snippet> <presses> <rounds>\n");
    return 2;
  }
  // Started as the program starts, up to its message loop.
  OleInitialize(nullptr);
  shell::FixProgramDirectory();
  ui::skin::Initialize();
  if (!ui::LoadWindowDefinitions() || !shell::LoadMainWindow())
    return Fail("the main window could not be loaded");
  PumpPendingMessages();
  int status = Run(std::atoi(argv[1]), argv[2], argv[3], std::atoi(argv[4]), std::atoi(argv[5]));
  std::fflush(stdout);
  shell::End(static_cast<unsigned>(status));
}
