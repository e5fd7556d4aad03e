#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine. Idempotent:
# when everything is present it only checks and returns at once.
set -euo pipefail

declare -A package_for=(
  [i686-w64-mingw32-g++]=g++-mingw-w64-i686
  [x86_64-w64-mingw32-g++]=g++-mingw-w64-x86-64
  [/usr/lib/wine/wine64]=wine64
  [xvfb-run]=xvfb
  [xauth]=xauth
  [qemu-i386]=qemu-user
  [xdotool]=xdotool
  [cmake]=cmake
  [ninja]=ninja-build
  [zip]=zip
  [xwd]=x11-apps
  [iconv]=libc-bin
  [python3]=python3
  [objdump]=binutils
  [locale-gen]=locales
  [clang++]=clang
)
missing=()
for tool in "${!package_for[@]}"; do
  command -v "$tool" >/dev/null 2>&1 || [ -x "$tool" ] || missing+=("${package_for[$tool]}")
done
# Checked by file, since they bring no command of their own.
[ -e /usr/share/fonts/truetype/wqy/wqy-microhei.ttc ] || missing+=(fonts-wqy-microhei)
[ -e /usr/lib/gcc/x86_64-linux-gnu/12/32/libstdc++.a ] || missing+=(g++-multilib)
[ -d /usr/src/googletest/googletest ] || missing+=(googletest)
# The sanitizers' and libFuzzer's runtimes for the native64-sanitize build.
compgen -G '/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a' >/dev/null ||
  missing+=(libclang-rt-dev)
dpkg -s imagemagick >/dev/null 2>&1 || missing+=(imagemagick)

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine takes its ANSI code page (936) from the locale.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
  echo "setup: generating zh_CN.UTF-8"
  sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi
