#!/usr/bin/env bash
# Builds every flavour and runs all tests in one CTest session under one Xvfb
# and one Wine prefix.
set -euo pipefail
cd "$(dirname "$0")/.."

# 32-bit x86 code that cannot run here as Windows code runs as Linux code under qemu.
cmake --preset native32 >/dev/null
cmake --build build/native32
# The pieces free of Windows headers, natively under ASan and UBSan, with fuzzers.
cmake --preset native64-sanitize >/dev/null
cmake --build build/native64-sanitize
# The product itself: built and inspected (it cannot execute on this machine).
cmake --preset win32 >/dev/null
cmake --build build/win32
cmake --preset win64-test >/dev/null \
  -DMORVESSA_WIN32_DIR="$PWD/build/win32" -DMORVESSA_NATIVE32_DIR="$PWD/build/native32" \
  -DMORVESSA_SANITIZE_DIR="$PWD/build/native64-sanitize"
cmake --build build/win64-test

bash scripts/wine-prefix.sh
source scripts/wine-env.sh
status=0
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
  ctest --test-dir build/win64-test --output-on-failure --timeout 300 "$@" || status=$?
/usr/lib/wine/wineserver -k 2>/dev/null || true
exit $status
