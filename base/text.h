#pragma once
// Text: a NUL-terminated byte string in the ANSI code page (GBK for the
// program's own literals), owned on the process heap. The empty text is a
// null pointer, except the result of Join, which is always a fresh block.

#include <cstddef>
#include <initializer_list>

#include "base/heap.h"

namespace base {

class Text {
 public:
  Text() = default;

  // A fresh heap copy of `s`; the empty text (null) when `s` is null or "".
  static Text Copy(const char* s);
  // A fresh heap copy of the first `length` bytes of `s`, NUL-terminated.
  static Text CopyBytes(const char* s, std::size_t length);
  // Takes ownership of a NUL-terminated block from HeapAllocOrDie/OrNull.
  static Text Adopt(char* heapBlock) noexcept;

  // Null for the empty text; suitable wherever the empty text is passed as null.
  const char* get() const noexcept { return bytes_.get(); }
  // Never null: "" for the empty text.
  const char* c_str() const noexcept { return bytes_ ? bytes_.get() : ""; }
  bool empty() const noexcept { return !bytes_ || bytes_.get()[0] == '\0'; }
  std::size_t length() const noexcept;

 private:
  HeapPtr<char> bytes_;
};

// Joins the parts into a newly allocated text, never null; a null part counts
// as empty. The parts are not consumed.
Text Join(std::initializer_list<const char*> parts);

}  // namespace base
