// The library's one export, as the host program calls it: standard call,
// three 32-bit arguments, on the host's GUI thread with OLE initialised.

#include <windows.h>

#include <cstring>

#include "browse/preview.h"

extern "C" void __stdcall UpdateTobrilCode(const char* title, int flag, const char* snippet) {
  // The host always passes 1; no other value has a meaning.
  (void)flag;
  browse::PreviewRequest request;
  request.title = title;
  // The snippet lives only during this call; the preview ends before it returns.
  request.snippet = snippet;
  request.snippetLength = snippet ? std::strlen(snippet) : 0;
  browse::ShowPreview(request);
}
