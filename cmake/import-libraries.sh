#!/usr/bin/env bash
# import-libraries.sh ARCHITECTURE DEF OUTDIR: the import libraries of
# Brindlewick.dll from its export definition, for win32 or win64:
#   libBrindlewick.dll.a  for MinGW (GNU dlltool)
#   Brindlewick.lib       short-import library for MSVC-style linkers
# On win32 both resolve a caller's decorated stdcall symbols
# (_FormatNowAR8J@8) to the export names (FormatNowAR8J, or the decorated
# _WILExtender2@40 of the two extender entry points). On win64 every name is
# plain, "Export @ordinal".
set -euo pipefail
architecture=$1 def=$2 out=$3
dll=Brindlewick.dll
case "$architecture" in
  win32) dlltool=i686-w64-mingw32-dlltool machine=i386 ;;
  win64) dlltool=x86_64-w64-mingw32-dlltool machine=i386:x86-64 ;;
  *) echo "import-libraries.sh: unknown architecture $architecture" >&2; exit 2 ;;
esac
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Lines of the .def: "Export = Symbol@N @ordinal", or "Export @ordinal".
plain=() decorated=()
while read -r export rest; do
  ordinal=${rest##*@}
  case "$export" in
    _*@*) decorated+=("$export $ordinal") ;;
    *) symbol=$export; [[ $rest == =* ]] && symbol=$(awk '{print $2}' <<<"$rest"); plain+=("$symbol $ordinal") ;;
  esac
done < <(grep -E '^[[:space:]]+[^[:space:]]+ (= [^[:space:]]+ )?@[0-9]+' "$def")

{
  echo "LIBRARY $dll"
  echo "EXPORTS"
  for p in "${plain[@]}"; do set -- $p; echo "    $1 @$2"; done
} > "$work/plain.def"
{
  cat "$work/plain.def"
  for d in "${decorated[@]}"; do set -- $d; echo "    ${1#_} @$2 == $1"; done
} > "$work/mingw.def"

# dlltool names the members after the library's path: given from the output
# folder, the library is the same wherever it is built.
(cd "$out" && "$dlltool" -k -d "$work/mingw.def" -D "$dll" -l libBrindlewick.dll.a)

# llvm-dlltool gives the descriptors and the plain names (undecorated on
# import); the decorated names go in as short import members of their own,
# imported by exactly their name.
llvm-dlltool -m "$machine" -k -d "$work/plain.def" -D "$dll" -l "$work/Brindlewick.lib"
le16() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))"; }
le32() { le16 $(($1 & 65535)); le16 $((($1 >> 16) & 65535)); }
n=0
for d in "${decorated[@]}"; do
  set -- $d
  member="$work/import$((n += 1)).obj"
  # Signatures 0 and 0xFFFF, version 0, i386, no time stamp, data size,
  # ordinal hint, type code with name type 1 (the name as it stands).
  { le16 0; le16 0xFFFF; le16 0; le16 0x14c; le32 0; le32 $(( ${#1} + ${#dll} + 2 )); le16 "$2"; le16 4
    printf '%s\0%s\0' "$1" "$dll"; } > "$member"
  llvm-ar rcs "$work/Brindlewick.lib" "$member"
done
mv "$work/Brindlewick.lib" "$out/Brindlewick.lib"
