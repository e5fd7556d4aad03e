// libFuzzer: any bytes as the executable's path, cut at its last backslash
// under code page 936's lead bytes and under a harsher set.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "tests/sanitize/pure_piece_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view path(reinterpret_cast<const char*>(data), size);
  for (shell::LeadBytePredicate isLead :
       {pure_checks::IsGbkLeadByte, pure_checks::EveryHighByteIsLead}) {
    std::string problem = pure_checks::CheckLastBackslash(path, isLead);
    if (!problem.empty()) {
      std::fprintf(stderr, "%s\n", problem.c_str());
      std::abort();
    }
  }
  return 0;
}
