#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian 12 machine, as root.
# Safe to run again: it only installs what is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev libstb-dev
  g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
  wine wine64 fonts-wine fonts-ipafont-gothic
  xvfb x11-utils xdotool imagemagick locales
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: these packages are missing and installing them needs root: ${missing[*]}" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  # Wine comes from the i386 world as well; the 32-bit side is optional for a 64-bit program.
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Wine reports code page 932 only under a Japanese locale, and 65001 (UTF-8) under one whose
# Windows code page is Unicode only, such as Hindi. Wine names the host's files in the
# locale's character set, so both must exist for names beyond ASCII.
for wanted in ja_JP hi_IN; do
  if ! locale -a 2>/dev/null | grep -qi "^$wanted\.utf-\?8$"; then
    if [ "$(id -u)" -eq 0 ]; then
      sed -i "s/^# *\($wanted\.UTF-8 UTF-8\)/\1/" /etc/locale.gen
      grep -q "^$wanted\.UTF-8 UTF-8" /etc/locale.gen || echo "$wanted.UTF-8 UTF-8" >>/etc/locale.gen
      locale-gen >/dev/null
    else
      echo "setup: the $wanted.UTF-8 locale is missing and generating it needs root" >&2
      exit 1
    fi
  fi
done

# The MinGW compilers come in two thread models; the posix one has std::thread and friends.
if command -v update-alternatives >/dev/null && [ -e /usr/bin/x86_64-w64-mingw32-g++-posix ]; then
  update-alternatives --set x86_64-w64-mingw32-g++ /usr/bin/x86_64-w64-mingw32-g++-posix >/dev/null 2>&1 || true
  update-alternatives --set x86_64-w64-mingw32-gcc /usr/bin/x86_64-w64-mingw32-gcc-posix >/dev/null 2>&1 || true
fi
