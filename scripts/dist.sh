#!/usr/bin/env bash
# Builds the Release programs and stages what a user gets:
#   dist/win32/Morvessa.exe   the product (32-bit)
#   dist/win64/Morvessa.exe   the same program for 64-bit Windows (what `make run` starts)
# each beside the sample snippets in 预览代码/, the user's guide README.html with
# its screenshots and the preview library Browse.dll; then dist/Morvessa-win32.zip and -win64.zip.
set -euo pipefail
cd "$(dirname "$0")/.."

samples="samples/预览代码"

for flavour in win32 win64; do
  cmake --preset "$flavour" >/dev/null
  cmake --build "build/$flavour"
done

mkdir -p dist
for flavour in win32 win64; do
  built="build/$flavour/bin"
  staged="dist/$flavour"
  [ -f "$built/Morvessa.exe" ] || { echo "dist: $built/Morvessa.exe was not built" >&2; exit 1; }
  # Start clean so nothing from an older build (a stale Browse.dll) ships.
  rm -rf "$staged" "dist/Morvessa-$flavour.zip"
  mkdir -p "$staged"
  cp "$built/Morvessa.exe" "$staged/"
  cp -r "$samples" "$staged/"
  # The user's guide (Chinese and English) and its screenshots.
  cp docs/user/README.html "$staged/"
  mkdir -p "$staged/screenshots"
  cp docs/screenshot.png "$staged/screenshots/main.png"
  cp docs/preview.png "$staged/screenshots/preview.png"
  # Without the preview library every first 预览 ends in the error box.
  [ -f "$built/Browse.dll" ] || { echo "dist: $built/Browse.dll was not built" >&2; exit 1; }
  cp "$built/Browse.dll" "$staged/"
done

# Python's zipfile marks the Chinese names as UTF-8 in the archive, which
# Explorer, 7-Zip and unzip all honour (Info-ZIP's zip leaves them raw).
python3 - <<'PY'
import os, zipfile
for flavour in ("win32", "win64"):
    archive = os.path.join("dist", "Morvessa-%s.zip" % flavour)
    with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED) as zip_file:
        for folder, subfolders, files in os.walk(os.path.join("dist", flavour)):
            subfolders.sort()
            for name in sorted(files):
                path = os.path.join(folder, name)
                zip_file.write(path, os.path.relpath(path, "dist"))
PY

for flavour in win32 win64; do
  echo "dist: dist/$flavour/ ($(cd "dist/$flavour" && find . -type f | sed 's|^\./||' | sort | tr '\n' ' '))"
  echo "dist: dist/Morvessa-$flavour.zip"
done
