// The preview library as the benchmarks see it (never shipped): its
// UpdateTobrilCode notes the performance counter first thing, so the
// preview bench can time the road from the button press to the library's
// entry. On request it also measures the snippet it was given, or keeps a
// copy of every snippet and never frees it: the leak the memory bench must
// be able to see.

#include <windows.h>

#include <cstring>

namespace {

LONGLONG g_lastEntry = 0;
unsigned g_calls = 0;
bool g_measureSnippet = false;
long long g_lastSnippetLength = -1;
bool g_leakSnippets = false;

}  // namespace

extern "C" {

void WINAPI UpdateTobrilCode(const char* title, unsigned flag, const char* snippet) {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  g_lastEntry = now.QuadPart;
  ++g_calls;
  (void)title;
  (void)flag;
  if (g_measureSnippet)
    g_lastSnippetLength = snippet ? static_cast<long long>(std::strlen(snippet)) : -1;
  if (g_leakSnippets && snippet) {
    std::size_t bytes = std::strlen(snippet) + 1;
    void* copy = HeapAlloc(GetProcessHeap(), 0, bytes);
    if (copy) std::memcpy(copy, snippet, bytes);
  }
}

// The performance counter at the last entry, and the number of calls so far.
LONGLONG BenchLastEntry() { return g_lastEntry; }
unsigned BenchCallCount() { return g_calls; }

// While on, each call measures its snippet (strlen; -1 for null).
void BenchMeasureSnippets(int on) { g_measureSnippet = on != 0; }
long long BenchLastSnippetLength() { return g_lastSnippetLength; }

// While on, each call copies its snippet to the heap and never frees it.
void BenchLeakSnippets(int on) { g_leakSnippets = on != 0; }

}  // extern "C"
