#pragma once
// Where a path's last backslash is, aware of double-byte characters: in code
// page 936 a trail byte may be 0x5C, and such a byte is part of a character,
// not a separator. Free of Windows headers so it can be fuzzed natively.

#include <cstddef>

namespace shell {

using LeadBytePredicate = bool (*)(unsigned char byte);

// The index of the last backslash of `path`, or `npos` when there is none.
std::size_t LastBackslash(const char* path, LeadBytePredicate isLeadByte);

constexpr std::size_t npos = static_cast<std::size_t>(-1);

}  // namespace shell
