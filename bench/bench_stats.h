#pragma once
// Timing and the figures every benchmark prints: the median of alternating
// runs of the program's road and of its baseline, and their ratio.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace bench {

inline double Milliseconds(LONGLONG ticks) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

inline LONGLONG Now() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

inline double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  std::size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// One line a person reads and one line scripts/bench.sh collects:
//   RESULT <name> <baseline> <program> <ratio> <unit> <runs>
inline void PrintFigure(const char* name, const std::vector<double>& baseline,
                        const std::vector<double>& program, const char* unit) {
  std::printf("%s runs (%s):\n  baseline:", name, unit);
  for (double value : baseline) std::printf(" %.1f", value);
  std::printf("\n  program: ");
  for (double value : program) std::printf(" %.1f", value);
  double baselineMedian = Median(baseline);
  double programMedian = Median(program);
  double ratio = baselineMedian > 0 ? programMedian / baselineMedian : 0;
  std::printf("\n  median %.2f vs %.2f %s: %.3fx\n", programMedian, baselineMedian, unit, ratio);
  std::printf("RESULT %s %.3f %.3f %.4f %s %u\n", name, baselineMedian, programMedian, ratio,
              unit, static_cast<unsigned>(program.size()));
  std::fflush(stdout);
}

}  // namespace bench
