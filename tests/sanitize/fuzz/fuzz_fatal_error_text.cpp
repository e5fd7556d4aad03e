// libFuzzer: the fatal error text for any code, message and buffer size.
// Input: 8 bytes of code (little-endian), 2 bytes of capacity, then the
// message up to its first NUL; a short input leaves the rest zero or empty.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/sanitize/pure_piece_checks.h"

namespace {

// Room for the longest message the fuzzer may send, and a little more.
constexpr std::size_t kCapacityRange = 1200;

std::uint64_t TakeLittleEndian(const std::uint8_t*& data, std::size_t& size, int bytes) {
  std::uint64_t value = 0;
  for (int i = 0; i < bytes && size > 0; ++i, ++data, --size)
    value |= static_cast<std::uint64_t>(*data) << (8 * i);
  return value;
}

void Require(const std::string& problem) {
  if (problem.empty()) return;
  std::fprintf(stderr, "%s\n", problem.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const long long code = static_cast<long long>(TakeLittleEndian(data, size, 8));
  const std::size_t capacity = TakeLittleEndian(data, size, 2) % kCapacityRange;
  pure_checks::ExactCString message(std::string_view(reinterpret_cast<const char*>(data), size));
  Require(pure_checks::CheckFatalErrorText(code, message.get(), capacity));
  Require(pure_checks::CheckFatalErrorText(code, nullptr, capacity));
  Require(pure_checks::CheckDecimal(code, capacity % 24));
  return 0;
}
