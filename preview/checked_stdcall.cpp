#include "preview/checked_stdcall.h"

// The check needs the stack pointer itself, which no C++ construct exposes, so
// the 32-bit x86 call is written in assembly: once for GCC and Clang (mingw
// i686 and 32-bit Linux, where the tests run under qemu-i386) and once for
// MSVC's inline assembler.

namespace preview {

#if defined(__i386__) && (defined(__GNUC__) || defined(__clang__))

namespace {

// int CallAndCompare(function, arg1, arg2, arg3), cdecl: 1 when balanced.
// The noted stack pointer is kept in ebx and the frame in ebp, both of which
// any standard callee preserves. The noted pointer is aligned for the call
// and has 36 bytes of slack above it, so a callee that takes more arguments
// than it was given reads and writes our scratch, not our saved registers.
// Afterwards esp is rebuilt from ebp, whatever the callee left in it.
__attribute__((naked, noinline, cdecl)) int CallAndCompare(void*, const void*,
                                                           std::uint32_t,
                                                           const void*) {
  __asm__(
      "pushl %ebp\n\t"
      "movl  %esp, %ebp\n\t"
      "pushl %ebx\n\t"
      "andl  $-16, %esp\n\t"
      "subl  $36, %esp\n\t"
      "movl  %esp, %ebx\n\t"
      "pushl 20(%ebp)\n\t"
      "pushl 16(%ebp)\n\t"
      "pushl 12(%ebp)\n\t"
      "call  *8(%ebp)\n\t"
      "xorl  %eax, %eax\n\t"
      "cmpl  %ebx, %esp\n\t"
      "sete  %al\n\t"
      "leal  -4(%ebp), %esp\n\t"
      "popl  %ebx\n\t"
      "popl  %ebp\n\t"
      "ret\n\t");
}

}  // namespace

bool CallStdcall3Checked(void* function, const void* arg1, std::uint32_t arg2,
                         const void* arg3) {
  return CallAndCompare(function, arg1, arg2, arg3) != 0;
}

#elif defined(_MSC_VER) && defined(_M_IX86)

bool CallStdcall3Checked(void* function, const void* arg1, std::uint32_t arg2,
                         const void* arg3) {
  int balanced = 0;
  // The compiler saves ebx for us and addresses the locals through ebp, which
  // any standard callee preserves.
  __asm {
    mov  ebx, esp
    push arg3
    push arg2
    push arg1
    call function
    xor  eax, eax
    cmp  esp, ebx
    sete al
    mov  esp, ebx
    mov  balanced, eax
  }
  return balanced != 0;
}

#elif defined(__x86_64__) || defined(_M_X64) || defined(_M_ARM64) || \
    defined(__aarch64__)

bool CallStdcall3Checked(void* function, const void* arg1, std::uint32_t arg2,
                         const void* arg3) {
  // One calling convention: the caller owns the stack, nothing to check.
  using Export = void (*)(const void*, std::uint32_t, const void*);
  reinterpret_cast<Export>(function)(arg1, arg2, arg3);
  return true;
}

#else
#error "CallStdcall3Checked: unknown processor"
#endif

}  // namespace preview
