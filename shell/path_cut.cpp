#include "shell/path_cut.h"

namespace shell {

std::size_t LastBackslash(const char* path, LeadBytePredicate isLeadByte) {
  std::size_t last = npos;
  for (std::size_t i = 0; path[i] != '\0';) {
    unsigned char byte = static_cast<unsigned char>(path[i]);
    // A lead byte at the very end has no trail byte: it stands alone.
    if (isLeadByte(byte) && path[i + 1] != '\0') {
      i += 2;
      continue;
    }
    if (byte == '\\') last = i;
    ++i;
  }
  return last;
}

}  // namespace shell
