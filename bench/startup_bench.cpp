// Start-up time: from just before CreateProcess to the moment the program's
// main window is visible, for Morvessa.exe and for the bare baseline program
// sitting in the same folder (so both list the same snippet folder).
//
//   startup_bench <folder> <runs> <name>
//
// One run of each first to warm the caches (not counted), then <runs> pairs,
// the order swapped every pair. Each started process is ended as soon as its
// window shows: what comes after is not start-up.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_stats.h"

namespace {

struct Program {
  std::string path;
  const char* title;
};

struct VisibleSearch {
  DWORD processId;
  const char* title;
  bool visible;
};

BOOL CALLBACK CheckWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<VisibleSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
  char title[64] = {};
  GetWindowTextA(window, title, sizeof title);
  if (lstrcmpA(title, search->title) != 0) return TRUE;
  search->visible = true;
  return FALSE;
}

// Milliseconds from process creation to the visible main window; negative
// when the program could not be started or showed nothing within a minute.
double TimeToVisibleWindow(const Program& program, const std::string& folder) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::string commandLine = "\"" + program.path + "\"";
  LONGLONG start = bench::Now();
  if (!CreateProcessA(program.path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                      nullptr, folder.c_str(), &startup, &process)) {
    std::printf("cannot start %s (error %lu)\n", program.path.c_str(), GetLastError());
    return -1;
  }
  double elapsed = -1;
  VisibleSearch search{process.dwProcessId, program.title, false};
  // Polled every millisecond: a tighter loop would take a core from the
  // program being measured on a two-core machine.
  while (bench::Milliseconds(bench::Now() - start) < 60000) {
    EnumWindows(CheckWindow, reinterpret_cast<LPARAM>(&search));
    if (search.visible) {
      elapsed = bench::Milliseconds(bench::Now() - start);
      break;
    }
    if (WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0) break;
  }
  TerminateProcess(process.hProcess, 0);
  WaitForSingleObject(process.hProcess, 30000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  // Let the ended process's windows and server state go before the next start.
  Sleep(200);
  if (elapsed < 0) std::printf("%s showed no window\n", program.path.c_str());
  return elapsed;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::printf("usage: startup_bench <folder> <runs> <name>\n");
    return 2;
  }
  std::string folder = argv[1];
  int runs = std::atoi(argv[2]);
  const char* name = argv[3];
  Program product{folder + "\\Morvessa.exe", "MorvessaV1.0"};
  Program baseline{folder + "\\startup_baseline.exe", "StartupBaseline"};

  if (TimeToVisibleWindow(baseline, folder) < 0 || TimeToVisibleWindow(product, folder) < 0)
    return 1;
  std::vector<double> baselineTimes, productTimes;
  for (int run = 0; run < runs; ++run) {
    bool baselineFirst = run % 2 == 0;
    double first = TimeToVisibleWindow(baselineFirst ? baseline : product, folder);
    double second = TimeToVisibleWindow(baselineFirst ? product : baseline, folder);
    if (first < 0 || second < 0) return 1;
    baselineTimes.push_back(baselineFirst ? first : second);
    productTimes.push_back(baselineFirst ? second : first);
  }
  bench::PrintFigure(name, baselineTimes, productTimes, "ms");
  return 0;
}
