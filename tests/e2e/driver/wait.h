#pragma once
// Every wait of the driver is bounded: a condition is polled until it holds or
// its cap runs out, so a program that misbehaves fails a test instead of
// hanging the run.

#include <windows.h>

namespace e2e {

// Caps used throughout; generous because Wine starts processes slowly.
constexpr DWORD kStartCapMs = 30000;
constexpr DWORD kReactionCapMs = 5000;
constexpr DWORD kExitCapMs = 10000;

template <class Condition>
bool WaitUntil(Condition condition, DWORD capMs = kReactionCapMs, DWORD stepMs = 20) {
  const ULONGLONG deadline = GetTickCount64() + capMs;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= deadline) return false;
    Sleep(stepMs);
  }
}

}  // namespace e2e
