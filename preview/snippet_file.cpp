#include "preview/snippet_file.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <utility>

#include "base/heap.h"
#include "base/win_handles.h"
#include "shell/fatal_error.h"

namespace preview {
namespace {

// Room asked for beside the file's bytes: a snippet block always holds the
// file's length plus this much (the NUL that ends the text fits in it).
constexpr std::size_t kSnippetBlockExtra = 8;

// The file's length as a signed 32-bit number: 0 when it can't be told or is
// 2 GiB or more, which are read as nothing, like an empty file.
DWORD ReadableLength(HANDLE file) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file, &size)) return 0;
  if (size.QuadPart <= 0 || size.QuadPart > INT32_MAX) return 0;
  return static_cast<DWORD>(size.QuadPart);
}

// One ReadFile of `length` bytes; a short read keeps what came. Returns the
// count read, or -1 on a read error.
long long ReadOnce(HANDLE file, char* into, DWORD length) {
  DWORD read = 0;
  if (!ReadFile(file, into, length, &read, nullptr)) return -1;
  return read;
}

// Ends the bytes at the first NUL (or after the last byte) and hands the
// block over as the text; null when that text is empty.
base::Text AsText(base::HeapPtr<char> block, DWORD bytesRead) {
  block.get()[bytesRead] = '\0';
  if (block.get()[0] == '\0') return base::Text();
  return base::Text::Adopt(block.release());
}

}  // namespace

base::Text ReadSnippetText(const char* path) {
  if (!path || !*path) return base::Text();
  base::FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ,
                                    nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return base::Text();
  const DWORD length = ReadableLength(file.get());
  if (length == 0) return base::Text();
  const std::size_t blockBytes =
      static_cast<std::size_t>(length) + kSnippetBlockExtra;

  // The bytes are read straight into the block that becomes the text, so a
  // large snippet is neither held twice nor copied.
  base::HeapPtr<char> block(static_cast<char*>(base::HeapAllocOrNull(blockBytes)));
  if (block) {
    long long read = ReadOnce(file.get(), block.get(), length);
    if (read < 0) return base::Text();
    return AsText(std::move(block), static_cast<DWORD>(read));
  }

  // Memory is short. Which failure the user sees must not depend on the
  // shortcut above, so take the plain road from here: a read buffer of the
  // file's length that can't be had means nothing read and no message; with
  // the buffer read, a snippet block that still can't be had is the fatal
  // out-of-memory error for its size (length + 8).
  base::HeapPtr<char> buffer(static_cast<char*>(base::HeapAllocOrNull(length)));
  if (!buffer) return base::Text();
  long long read = ReadOnce(file.get(), buffer.get(), length);
  if (read < 0) return base::Text();
  file.reset();
  block.reset(static_cast<char*>(base::HeapAllocOrDie(blockBytes)));
  std::memcpy(block.get(), buffer.get(), static_cast<std::size_t>(read));
  buffer.reset();
  return AsText(std::move(block), static_cast<DWORD>(read));
}

}  // namespace preview
