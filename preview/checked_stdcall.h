#pragma once
// The call of a foreign export through the Win32 standard calling convention,
// with the check that the callee removed exactly the arguments it was given.

#include <cstdint>

namespace preview {

// Calls `function` as `void __stdcall function(arg1, arg2, arg3)` and reports
// whether the stack pointer after the call equals the one noted before it.
// On 32-bit x86 a callee declared with another argument count or convention
// leaves the stack pointer elsewhere; the pointer is put back either way, so
// such a callee can't corrupt the caller's frame. 64-bit code has one calling
// convention, so there the call is always balanced.
bool CallStdcall3Checked(void* function, const void* arg1,
                         std::uint32_t arg2, const void* arg3);

}  // namespace preview
