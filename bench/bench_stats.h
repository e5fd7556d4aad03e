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

// The median of the ratios of the pairs: each pair ran back to back, so a
// slow spell of the machine weighs on both of its halves.
inline double MedianPairRatio(const std::vector<double>& baseline,
                              const std::vector<double>& program) {
  std::vector<double> ratios;
  for (std::size_t i = 0; i < baseline.size() && i < program.size(); ++i)
    if (baseline[i] > 0) ratios.push_back(program[i] / baseline[i]);
  return Median(ratios);
}

// One block a person reads and one line scripts/bench.sh collects:
//   RESULT <name> <baseline median> <program median> <ratio> <unit> <runs> <pair ratio>
inline void PrintFigure(const char* name, const std::vector<double>& baseline,
                        const std::vector<double>& program, const char* unit) {
  const int decimals = unit[0] == 'm' && unit[1] == 's' ? 1 : 3;
  std::printf("%s (%s):\n  baseline:", name, unit);
  for (double value : baseline) std::printf(" %.*f", decimals, value);
  std::printf("\n  program: ");
  for (double value : program) std::printf(" %.*f", decimals, value);
  double baselineMedian = Median(baseline);
  double programMedian = Median(program);
  double ratio = baselineMedian > 0 ? programMedian / baselineMedian : 0;
  double pairRatio = MedianPairRatio(baseline, program);
  std::printf("\n  medians %.3f vs %.3f %s: %.3fx (median of pair ratios %.3fx)\n",
              programMedian, baselineMedian, unit, ratio, pairRatio);
  std::printf("RESULT %s %.4f %.4f %.4f %s %u %.4f\n", name, baselineMedian, programMedian,
              ratio, unit, static_cast<unsigned>(program.size()), pairRatio);
  std::fflush(stdout);
}

}  // namespace bench
