#pragma once
// The preview command: the selected snippet file handed to the preview
// library's export, with the title "预览结果" and the flag 1.

#include "base/text.h"

namespace preview {

// Reads `folder`\`name` whole and calls the preview export with its text
// (null when empty), on the calling thread. Loads the library on first use;
// a missing library or export, or an export that leaves the stack
// unbalanced, is a fatal error. Returns when the export returns.
void RunPreviewCommand(const char* folder, const char* name);

// The same for the fresh texts read from the file list; both are released
// as soon as the path is made.
void RunPreviewCommand(base::Text folder, base::Text name);

}  // namespace preview
