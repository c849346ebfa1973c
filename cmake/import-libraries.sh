#!/usr/bin/env bash
# import-libraries.sh ARCHITECTURE EXPORTS OUTDIR: the import libraries
# of Brindlewick.dll, for win32, win64 or arm64, from the plain list of
# exports ("name symbol ordinal" a line):
#   libBrindlewick.dll.a  for MinGW
#   Brindlewick.lib       for MSVC-style linkers
# Both are the same short-import library, which GNU ld and lld-link take
# alike; GNU dlltool's members are objects that lld-link refuses under
# /safeseh on win32. On win32 it resolves a caller's decorated stdcall
# symbols (_FormatNowAR8J@8) to the export names (FormatNowAR8J, or the
# decorated _WILExtender2@40 of the two extender entry points).
set -euo pipefail
architecture=$1 exports=$2 out=$3
dll=Brindlewick.dll
case "$architecture" in
  win32) machine=i386 ;;
  win64) machine=i386:x86-64 ;;
  arm64) machine=arm64 ;;
  *) echo "import-libraries.sh: unknown architecture $architecture" >&2; exit 2 ;;
esac
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# llvm-dlltool reads "==" as an alias, not as the name to import: it gets
# the plain exports, and the decorated ones go in as short import members of
# their own, imported by exactly their name.
{
  echo "LIBRARY $dll"
  echo "EXPORTS"
  awk '$1 !~ /^_/ {print "    " $2 " @" $3}' "$exports"
} > "$work/plain.def"
llvm-dlltool -m "$machine" -k -d "$work/plain.def" -D "$dll" -l "$work/Brindlewick.lib"
le16() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))"; }
le32() { le16 $(($1 & 65535)); le16 $((($1 >> 16) & 65535)); }
# Each member is named after the DLL, as llvm-dlltool names its own: GNU ld
# orders import entries by member name, and an entry named otherwise would
# land after the list's terminator.
n=0
while read -r name symbol ordinal; do
  mkdir "$work/$((n += 1))"
  member="$work/$n/$dll"
  # Signatures 0 and 0xFFFF, version 0, i386, no time stamp, data size,
  # ordinal hint, type code with name type 1 (the name as it stands).
  { le16 0; le16 0xFFFF; le16 0; le16 0x14c; le32 0; le32 $(( ${#name} + ${#dll} + 2 )); le16 "$ordinal"; le16 4
    printf '%s\0%s\0' "$name" "$dll"; } > "$member"
  llvm-ar qs "$work/Brindlewick.lib" "$member"
done < <(awk '$1 ~ /^_/' "$exports")
cp "$work/Brindlewick.lib" "$out/libBrindlewick.dll.a"
mv "$work/Brindlewick.lib" "$out/Brindlewick.lib"
