#pragma once
// Every text and byte block of the program lives on the process heap and is
// owned by exactly one HeapPtr, so it is released right after its last use.

#include <cstddef>
#include <memory>

namespace base {

// Allocates from the process heap; a failure is fatal ("分配 %d 字节内存失败!").
void* HeapAllocOrDie(std::size_t bytes);

// Allocates from the process heap; a failure is an ordinary outcome (null).
void* HeapAllocOrNull(std::size_t bytes) noexcept;

void HeapRelease(void* block) noexcept;

struct HeapDeleter {
  void operator()(void* block) const noexcept { HeapRelease(block); }
};

template <class T>
using HeapPtr = std::unique_ptr<T, HeapDeleter>;

// Tests make chosen allocations fail: the filter sees every request's size and
// returns true to refuse it. Pass nullptr to stop failing.
using AllocationFailureFilter = bool (*)(std::size_t bytes);
void SetAllocationFailureFilterForTesting(AllocationFailureFilter filter) noexcept;

}  // namespace base
