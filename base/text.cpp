#include "base/text.h"

#include <cstring>

namespace base {

Text Text::Copy(const char* s) {
  if (!s || !*s) return Text();
  return CopyBytes(s, std::strlen(s));
}

Text Text::CopyBytes(const char* s, std::size_t length) {
  char* block = static_cast<char*>(HeapAllocOrDie(length + 1));
  if (length) std::memcpy(block, s, length);
  block[length] = '\0';
  return Adopt(block);
}

Text Text::Adopt(char* heapBlock) noexcept {
  Text text;
  text.bytes_.reset(heapBlock);
  return text;
}

std::size_t Text::length() const noexcept {
  return bytes_ ? std::strlen(bytes_.get()) : 0;
}

Text Join(std::initializer_list<const char*> parts) {
  std::size_t total = 0;
  for (const char* part : parts) total += part ? std::strlen(part) : 0;
  char* block = static_cast<char*>(HeapAllocOrDie(total + 1));
  char* end = block;
  for (const char* part : parts) {
    if (!part) continue;
    std::size_t n = std::strlen(part);
    std::memcpy(end, part, n);
    end += n;
  }
  *end = '\0';
  return Text::Adopt(block);
}

}  // namespace base
