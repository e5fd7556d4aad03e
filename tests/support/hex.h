#pragma once
// Bytes as upper-case hex digits, two a byte: how the tests' helper programs
// hand bytes back through a text file, and how a failed comparison shows
// code page 936 bytes readably. Free of Windows headers, so the native
// sanitizer build shares it.

#include <string>
#include <string_view>

namespace testing_support {

inline std::string Hex(std::string_view bytes, std::string_view separator = {}) {
  static const char digits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(bytes.size() * (2 + separator.size()));
  for (unsigned char byte : bytes) {
    hex += digits[byte >> 4];
    hex += digits[byte & 15];
    hex += separator;
  }
  return hex;
}

}  // namespace testing_support
