#include "base/heap.h"

#include <windows.h>

#include "shell/fatal_error.h"

namespace base {
namespace {

AllocationFailureFilter g_failureFilter = nullptr;

}  // namespace

void SetAllocationFailureFilterForTesting(AllocationFailureFilter filter) noexcept {
  g_failureFilter = filter;
}

void* HeapAllocOrNull(std::size_t bytes) noexcept {
  if (g_failureFilter && g_failureFilter(bytes)) return nullptr;
  // A zero-byte request still yields a distinct block, as callers expect a
  // non-null result for an empty joined text.
  return HeapAlloc(GetProcessHeap(), 0, bytes ? bytes : 1);
}

void* HeapAllocOrDie(std::size_t bytes) {
  void* block = HeapAllocOrNull(bytes);
  if (!block) shell::FatalOutOfMemory(bytes);
  return block;
}

void HeapRelease(void* block) noexcept {
  if (block) HeapFree(GetProcessHeap(), 0, block);
}

}  // namespace base
