// libFuzzer: any bytes as a file list's pattern text.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "tests/sanitize/pure_piece_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string problem = pure_checks::CheckSplitFilePatterns(
      std::string_view(reinterpret_cast<const char*>(data), size));
  if (!problem.empty()) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    std::abort();
  }
  return 0;
}
