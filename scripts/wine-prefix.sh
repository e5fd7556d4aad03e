#!/usr/bin/env bash
# Creates the project's Wine prefix once (about 10 s); later calls return at once.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
if [ ! -f "$WINEPREFIX/.morvessa-ready" ]; then
  echo "wine: creating prefix $WINEPREFIX"
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  "$WINELOADER" wineboot -i >/dev/null 2>&1 || true
  # No window manager runs under Xvfb: Wine draws frame, caption and close box itself.
  "$WINELOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
  /usr/lib/wine/wineserver -w || true
  touch "$WINEPREFIX/.morvessa-ready"
fi
mkdir -p "$MORVESSA_DRIVE_M"
ln -sfn "$MORVESSA_DRIVE_M" "$WINEPREFIX/dosdevices/m:"
# Caption buttons are drawn with Marlett; without it Wine shows letters ("r"
# for the close box). Wine ships the font but does not install it here.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
[ -f "$fonts/marlett.ttf" ] || cp /usr/share/wine/fonts/marlett.ttf "$fonts/" 2>/dev/null || true
