#pragma once
// The two ways out of the process: the orderly end and the fatal error report.

#include <cstddef>

namespace shell {

// Shows the error box ("错误") and ends the process with -1. Never returns.
[[noreturn]] void FatalError(int code, const char* message);

// The fatal error for a heap allocation of `bytes` that failed.
[[noreturn]] void FatalOutOfMemory(std::size_t bytes);

// Runs the orderly end (events off, windows and libraries released, OLE
// released) and ends the process with `exitCode`. Never returns.
[[noreturn]] void End(unsigned exitCode);

}  // namespace shell
