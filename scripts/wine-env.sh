# Sourced: the environment every Wine command of the project runs in.
MORVESSA_ROOT=${MORVESSA_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEARCH=win64
export WINEPREFIX=${MORVESSA_WINEPREFIX:-$MORVESSA_ROOT/build/wineprefix}
export WINELOADER=/usr/lib/wine/wine64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# Code page 936 comes from the locale, and with it GBK file names.
export LC_ALL=zh_CN.UTF-8
# The drive-root fixture: M: maps onto this folder inside the prefix.
export MORVESSA_DRIVE_M=$WINEPREFIX/drive_m
