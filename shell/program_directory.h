#pragma once
// The program directory: the folder of the executable without a trailing
// backslash ("C:" for a drive's root, the share path for a share, empty when
// the path has no backslash). Fixed once at start-up.

#include "base/text.h"

namespace shell {

// The directory part of an executable's full path.
base::Text ProgramDirectoryOf(const char* modulePath);

// Computes the program directory from the running executable and makes it the
// current directory (a bare drive "C:" becomes its root "C:\").
void FixProgramDirectory();

// Available after FixProgramDirectory; never null ("" when empty).
const char* ProgramDirectory();

}  // namespace shell
