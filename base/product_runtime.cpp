// The few C++ runtime entry points the shipped program needs, written here so
// the executable does not drag in the library's exception machinery.
//
// The program uses no exceptions, yet the standard library's versions of
// these functions throw (operator new throws bad_alloc, a container that
// would outgrow the address space throws length_error), and throwing pulls in
// the unwinder, the exception classes, std::string and, through the default
// terminate handler, a symbol demangler and printf: three quarters of the
// executable. Here every one of those roads ends the process through the
// program's own fatal error instead, which is what an exception would have
// come to anyway with nothing to catch it.
//
// Linked into Morvessa.exe only: the tests keep the full runtime.

#include <cstddef>
#include <cstdint>
#include <new>

#include "base/heap.h"
#include "shell/fatal_error.h"

// Heap memory for C++ objects comes from the process heap like every other
// block, and a failure is the program's out-of-memory error.
void* operator new(std::size_t bytes) { return base::HeapAllocOrDie(bytes); }
void* operator new[](std::size_t bytes) { return base::HeapAllocOrDie(bytes); }
void operator delete(void* block) noexcept { base::HeapRelease(block); }
void operator delete[](void* block) noexcept { base::HeapRelease(block); }
void operator delete(void* block, std::size_t) noexcept { base::HeapRelease(block); }
void operator delete[](void* block, std::size_t) noexcept { base::HeapRelease(block); }

#if defined(__MINGW32__) && defined(__GNUC__) && !defined(__clang__)

#include <bits/functexcept.h>

namespace {

// A request the size type can't even express: reported as the largest count.
[[noreturn]] void RequestTooLarge() { shell::FatalOutOfMemory(SIZE_MAX); }

// Every other library error is a program fault with no more to say.
[[noreturn]] void LibraryFault() { shell::FatalError(0, nullptr); }

}  // namespace

namespace std {

// The standard allocator and the containers call these where they would
// throw; with exceptions off the library's own versions still throw.
void __throw_bad_alloc() { RequestTooLarge(); }
void __throw_bad_array_new_length() { RequestTooLarge(); }
void __throw_length_error(const char*) { RequestTooLarge(); }
void __throw_logic_error(const char*) { LibraryFault(); }
void __throw_out_of_range(const char*) { LibraryFault(); }
void __throw_out_of_range_fmt(const char*, ...) { LibraryFault(); }
void __throw_invalid_argument(const char*) { LibraryFault(); }
void __throw_bad_function_call() { LibraryFault(); }

}  // namespace std

namespace __gnu_cxx {

// The default terminate handler prints the exception's demangled type name
// to a console the program doesn't have.
void __verbose_terminate_handler() { LibraryFault(); }

}  // namespace __gnu_cxx

#endif
