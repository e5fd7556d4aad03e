#!/usr/bin/env bash
# Runs the benchmarks (bench/), prints their table and writes it into
# README.md's "Benchmarks" section (the last one). Never part of `make test`.
#
#   MORVESSA_BENCH_RUNS   alternating runs per timed figure (default 15, at least 5)
#
# Start-up and preview run the x86-64 build under Wine (32-bit programs can't
# run here); the size is the i686 product's. Everything runs in build/bench-run
# with a Wine prefix of its own, so a test run ending its Wine server can't
# cut a benchmark short.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${MORVESSA_BENCH_RUNS:-15}
[ "$runs" -ge 5 ] || { echo "bench: MORVESSA_BENCH_RUNS must be at least 5" >&2; exit 2; }

cmake --preset win32 >/dev/null
cmake --build build/win32 --target Morvessa
cmake --preset win64-test >/dev/null \
  -DMORVESSA_WIN32_DIR="$PWD/build/win32" -DMORVESSA_NATIVE32_DIR="$PWD/build/native32"
cmake --build build/win64-test --target Morvessa startup_baseline startup_bench bench_browse \
  preview_bench

built=build/win64-test/bin
run=$PWD/build/bench-run
rm -rf "$run"
mkdir -p "$run"
python3 bench/make_snippets.py "$run"
for files in 10 10000; do
  cp "$built/Morvessa.exe" "$built/bench/startup_baseline.exe" "$run/startup-$files/"
done
cp "$built/bench/startup_bench.exe" "$run/"
cp "$built/bench/preview_bench.exe" "$built/bench/Browse.dll" "$run/preview/"

export MORVESSA_WINEPREFIX=$PWD/build/bench-wineprefix
bash scripts/wine-prefix.sh
source scripts/wine-env.sh
windows_run="Z:${run//\//\\}"
log=$run/results.txt
echo "bench: $runs runs per timed figure; raw figures in $log"
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" bash -c '
  set -e
  cd "$1"
  "$WINELOADER" startup_bench.exe "$2\\startup-10" "$3" startup_10_files
  "$WINELOADER" startup_bench.exe "$2\\startup-10000" "$3" startup_10000_files
  cd preview
  "$WINELOADER" preview_bench.exe "$3" large-64MiB.txt small-1MiB.txt 200 5
' bench "$run" "$windows_run" "$runs" 2>&1 | grep -v '^X connection' | tee "$log"
/usr/lib/wine/wineserver -k 2>/dev/null || true

python3 bench/report.py --results "$log" \
  --product build/win32/bin/Morvessa.exe --product-x64 "$built/Morvessa.exe" \
  --machine "cpp machine, $(nproc) cores, x86-64 build under $(/usr/lib/wine/wine64 --version | sed "s/^wine-\([0-9.]*\).*/Wine \1/")" \
  --readme README.md
