#pragma once
// A snippet file read whole, its bytes up to the first NUL taken as text.

#include "base/text.h"

namespace preview {

// The bytes of the file at `path` up to its first NUL byte, unconverted; the
// empty (null) text when the file can't be opened or read, is empty, is 2 GiB
// or larger, begins with NUL, or no buffer for it can be had. Only memory
// for the snippet itself (the file's length plus 8 bytes) that can't be had
// is the fatal out-of-memory error.
base::Text ReadSnippetText(const char* path);

}  // namespace preview
