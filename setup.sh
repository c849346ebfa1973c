#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12. Idempotent: when
# everything is present it only checks and returns.
set -euo pipefail

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

packages=(
  cmake make g++ clang clang-format libclang-rt-14-dev llvm lld clang-16 lld-16 llvm-16 unzip pkgconf git
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 googletest
  wine wine32:i386 wine64 xvfb xauth locales osslsigncode openssl
  qemu-user-static binutils-multiarch
)
locales=(en_US.UTF-8 de_DE.UTF-8 hi_IN.UTF-8 fr_FR.UTF-8)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'ok installed'; }

# i386 for the 32-bit Wine; arm64 so that apt names the arm64 Wine's
# packages, which cmake/arm64-setup.sh downloads and unpacks; the sources of
# the ARM64 runtimes it builds.
update=0
for architecture in i386 arm64; do
  if ! dpkg --print-foreign-architectures | grep -qx "$architecture"; then
    as_root dpkg --add-architecture "$architecture"
    update=1
  fi
done
if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
  sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
    as_root tee /etc/apt/sources.list.d/debian-src.sources >/dev/null
  update=1
fi
[ "$update" -eq 0 ] || as_root apt-get update -qq

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

# The ARM64 test programs run under the arm64 Wine in qemu, which starts its
# processes through binfmt_misc; a machine that does not allow it fails the
# ARM64 runs with a message that says so (cmake/wine-run-arm64).
binfmt=/proc/sys/fs/binfmt_misc
[ -e $binfmt/register ] || as_root mount -t binfmt_misc binfmt_misc $binfmt 2>/dev/null || true
if [ ! -e $binfmt/qemu-aarch64 ] && [ -e $binfmt/register ]; then
  as_root tee $binfmt/register </usr/lib/binfmt.d/qemu-aarch64.conf >/dev/null 2>&1 || true
fi
[ -e $binfmt/qemu-aarch64 ] || echo "setup: binfmt_misc cannot run aarch64 programs here: the ARM64 tests will fail" >&2
as_root "$(dirname "$0")/cmake/arm64-setup.sh"

# A kernel without IA-32 emulation runs the 32-bit Wine loader under qemu-i386.
as_root bash "$(dirname "$0")/cmake/i386-setup.sh"
