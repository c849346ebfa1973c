#!/usr/bin/env bash
# Lets a kernel without IA-32 emulation run i386 Linux programs, the 32-bit
# Wine loader among them: binfmt_misc hands them to qemu-i386 built from
# Debian's QEMU source with qemu-i386-wine.patch, which places mappings
# top-down below 4 GiB (Wine reserves the low 1 GiB and 0x7ffe0000),
# honours MAP_FIXED_NOREPLACE, gives each thread its own GDT, as the kernel
# keeps TLS entries per thread (else threads share one %gs base and crash),
# and puts the CPU exception's number in a signal frame's trapno.
# Does nothing where i386 programs run natively.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
probe=/usr/lib/wine/wine
dest=/usr/local/libexec/qemu-binfmt
bin=$dest/qemu-i386-wine
entry=/proc/sys/fs/binfmt_misc/qemu-i386

[ -x "$probe" ] || { echo "i386: $probe is missing" >&2; exit 1; }
sum=$(sha256sum "$here/qemu-i386-wine.patch" | cut -d' ' -f1)
ours() { [ "$(sed -n 's/^interpreter //p' "$entry" 2>/dev/null)" = "$dest/i386-binfmt-P" ] &&
         [ "$(readlink "$dest/i386-binfmt-P")" = qemu-i386-wine ] && [ "$(cat "$bin.sum" 2>/dev/null)" = "$sum" ]; }
if [ -e "$entry" ]; then
  # Ours and current: done. Another qemu-i386 entry: is the kernel native without it?
  if ours && "$probe" --version >/dev/null 2>&1; then exit 0; fi
  echo 0 > "$entry"
  if "$probe" --version >/dev/null 2>&1; then echo 1 > "$entry"; exit 0; fi
  # Not native: the entry as it was serves other users while this one builds.
  echo 1 > "$entry"
elif "$probe" --version >/dev/null 2>&1; then
  exit 0  # the kernel runs i386 programs natively
fi

echo "i386: this kernel cannot run i386 programs; setting up qemu-i386 through binfmt_misc"
if [ ! -e /proc/sys/fs/binfmt_misc/register ]; then
  mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc || {
    echo "i386: cannot mount binfmt_misc on /proc/sys/fs/binfmt_misc: 32-bit Windows tests cannot run" >&2; exit 1; }
fi

if [ ! -x "$bin" ] || [ "$(cat "$bin.sum" 2>/dev/null)" != "$sum" ]; then
  echo "i386: building qemu-i386 from Debian's QEMU source (about 10 minutes on 2 cores)"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq dpkg-dev meson ninja-build python3-venv \
    libglib2.0-dev libpcre2-dev zlib1g-dev pkgconf patch >/dev/null
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  (cd "$work" && apt-get source -qq qemu >/dev/null 2>&1 || apt-get source qemu)
  src=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'qemu-*' | head -1)
  patch -d "$src" -p1 < "$here/qemu-i386-wine.patch"
  mkdir "$src/b"
  (cd "$src/b" && ../configure --target-list=i386-linux-user --static --disable-system --disable-tools \
     --disable-docs --disable-werror --disable-capstone --disable-slirp --disable-fdt --disable-gnutls \
     --disable-nettle --disable-gcrypt --disable-libudev --disable-selinux >"$work/configure.log" 2>&1 \
   && ninja -j "$(nproc)" qemu-i386 >"$work/build.log" 2>&1) || {
    tail -30 "$work/configure.log" "$work/build.log" 2>/dev/null >&2; echo "i386: qemu-i386 build failed" >&2; exit 1; }
  mkdir -p "$dest"
  install -m755 "$src/b/qemu-i386" "$bin.new" && mv -f "$bin.new" "$bin"
  echo "$sum" > "$bin.sum"
fi
# The -binfmt-P name tells qemu that binfmt_misc keeps argv[0] (flag P).
ln -sfn qemu-i386-wine "$dest/i386-binfmt-P"
# Flag F opens the interpreter at registration: register again for a new binary.
[ ! -e "$entry" ] || echo -1 > "$entry"
echo ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$dest"'/i386-binfmt-P:POF' \
  > /proc/sys/fs/binfmt_misc/register
"$probe" --version >/dev/null 2>&1 || { echo "i386: $probe still does not run under qemu-i386" >&2; exit 1; }
echo "i386: i386 programs run under $bin"
