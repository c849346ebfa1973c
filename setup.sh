#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12. Idempotent: when
# everything is present it only checks and returns.
set -euo pipefail

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

packages=(
  cmake make g++ clang clang-format libclang-rt-14-dev llvm lld clang-16 lld-16 llvm-16 unzip pkgconf git
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 googletest
  wine wine32:i386 wine64 xvfb xauth locales osslsigncode openssl
)
locales=(en_US.UTF-8 de_DE.UTF-8 hi_IN.UTF-8 fr_FR.UTF-8)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'ok installed'; }

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
  as_root apt-get update -qq
fi

missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi

generate=0
for l in "${locales[@]}"; do
  short=$(echo "${l%%.*}.utf8")
  if ! locale -a 2>/dev/null | grep -qx "$short"; then
    grep -q "^$l UTF-8" /etc/locale.gen 2>/dev/null || echo "$l UTF-8" | as_root tee -a /etc/locale.gen >/dev/null
    generate=1
  fi
done
[ "$generate" -eq 0 ] || as_root locale-gen >/dev/null

# A kernel without IA-32 emulation runs the 32-bit Wine loader under qemu-i386.
as_root bash "$(dirname "$0")/tools/i386-emulation/install.sh"
