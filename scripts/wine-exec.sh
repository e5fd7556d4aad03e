#!/usr/bin/env bash
# Runs a Windows program under the project's Wine (CTest's emulator).
source "$(dirname "$0")/wine-env.sh"
exec "$WINELOADER" "$@"
