#!/usr/bin/env bash
# ordinal-base.sh DLL: makes the DLL's lowest ordinal with a function the
# export directory's ordinal base, in place. lld numbers the export address
# table from 1, so a DLL whose ordinals begin at 2 would carry an empty
# ordinal 1. The entries move down over the empty ones at the front, the
# name ordinal table (indices from the base) follows, and the count and base
# change; every exported name keeps its ordinal. tests/check-exports.sh
# checks the ordinals against the .def file.
set -euo pipefail
dll=$1

u() { # u BYTES OFFSET: the little-endian unsigned number there
  od -An -t u"$1" -j "$2" -N "$1" "$dll" | tr -d ' '
}
put() { # put BYTES OFFSET VALUE
  local bytes=$1 offset=$2 value=$3 hex='' i
  for ((i = 0; i < bytes; i++)); do hex+=$(printf '\\x%02x' $(((value >> (8 * i)) & 255))); done
  printf "$hex" | dd of="$dll" bs=1 seek="$offset" conv=notrunc status=none
}

pe=$(u 4 60)
sections=$(u 2 $((pe + 6)))
optional=$((pe + 24))
section_table=$((optional + $(u 2 $((pe + 20)))))
case $(u 2 "$optional") in
  267) directories=$((optional + 96)) ;;  # PE32
  523) directories=$((optional + 112)) ;; # PE32+
  *) echo "$dll: not a PE image" >&2; exit 1 ;;
esac
offset_of() { # RVA -> file offset, through the section table
  local i header address size
  for ((i = 0; i < sections; i++)); do
    header=$((section_table + 40 * i))
    address=$(u 4 $((header + 12))) size=$(u 4 $((header + 8)))
    if (($1 >= address && $1 < address + size)); then
      echo $(($1 - address + $(u 4 $((header + 20)))))
      return
    fi
  done
  echo "$dll: address $1 lies in no section" >&2
  exit 1
}

directory=$(offset_of "$(u 4 "$directories")")
base=$(u 4 $((directory + 16)))
functions=$(u 4 $((directory + 20)))
names=$(u 4 $((directory + 24)))
table=$(offset_of "$(u 4 $((directory + 28)))")
name_ordinals=$(offset_of "$(u 4 $((directory + 36)))")

empty=0
while ((empty < functions)) && (($(u 4 $((table + 4 * empty))) == 0)); do empty=$((empty + 1)); done
((empty > 0 && empty < functions)) || exit 0

for ((i = empty; i < functions; i++)); do put 4 $((table + 4 * (i - empty))) "$(u 4 $((table + 4 * i)))"; done
for ((i = functions - empty; i < functions; i++)); do put 4 $((table + 4 * i)) 0; done
for ((i = 0; i < names; i++)); do
  ordinal=$(u 2 $((name_ordinals + 2 * i)))
  put 2 $((name_ordinals + 2 * i)) $((ordinal - empty))
done
put 4 $((directory + 16)) $((base + empty))
put 4 $((directory + 20)) $((functions - empty))
