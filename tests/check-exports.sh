#!/usr/bin/env bash
# check-exports.sh DLL EXPORTS [win32|win64|arm64]: checks the built DLL against
# the list of exports ("name symbol ordinal" a line) and against what a DLL
# that runs inside other people's processes may carry: every name with its
# ordinal and the ordinal base; at most 64 KiB; no thread-local data
# callbacks, constructors or pseudo-relocations, which no start-up code
# would run; no address the loader relocates (code pointers such as the
# script table's) and no import address in writable memory; the PDB beside
# the DLL, which its debug directory names by file name and which resolves
# an export to its name and source line; and the security rules below. The
# 64-bit and ARM64 DLLs must not export the extender's entry points.
#
# check-exports.sh --scan PE...: applies the security rules alone to each
# DLL or EXE, as a scanner of a shipped kit does; each reads its PDB from
# beside it.
set -euo pipefail
hex='function hex(s, n, i) { for (i = 1; i <= length(s); i++) n = n * 16 + index("0123456789abcdef", substr(tolower(s), i, 1)) - 1; return n }'

# Imports that scanners ban: copies, appends and formats without a bound,
# and the calls that swallow access violations and so hide memory faults.
banned=(
  'lstrcpy*' 'lstrcat*' 'StrCpy*' 'StrCat*' 'StrNCat*' 'wnsprintf*' 'wsprintf*' 'wvsprintf*' 'IsBad*Ptr'
  'strcpy' 'wcscpy' '_mbscpy' 'strcat' 'wcscat' '_mbscat' 'strncpy' 'wcsncpy' 'strncat' 'wcsncat'
  'sprintf' 'swprintf' 'vsprintf' 'vswprintf' '_stprintf' 'gets' '_getws' 'strtok' 'wcstok'
  '_makepath' '_wmakepath' '_splitpath' '_wsplitpath' 'scanf' 'wscanf' 'sscanf' 'swscanf'
)
# What a DLL inside other people's processes does not call, and what the
# C++ exception machinery and the C runtime's start-up bring along. The one
# exception is TerminateProcess, with which a smashed stack canary ends the
# process on systems without fast fail.
forbidden=(
  '*Thread' '*ThreadContext' '*ThreadPriority' '*ThreadAffinityMask' 'QueueUserAPC' 'Tls*' 'Sleep*'
  '_beginthread*' '_endthread*'
  '*Process' 'CreateProcess*' '*ProcessMemory' '*ProcessAffinityMask' 'DuplicateHandle' 'abort' 'exit' '_exit'
  'Virtual*'
  'LoadLibrary*' 'FreeLibrary*' 'GetProcAddress' 'GetModuleHandle*'
  'RaiseException' '*VectoredExceptionHandler' 'SetUnhandledExceptionFilter' 'IsDebuggerPresent'
)
allowed_functions=(TerminateProcess)

# The security rules, one a line: the scanner's rule number (- for none),
# the check, and what it asks of every shipped DLL and EXE. A check passes
# (0), fails (1) or does not apply to the architecture (2).
rules=(
  'BA2008 cfg             Control Flow Guard, with the table of call targets'
  'BA2009 aslr            address randomization, with base relocations'
  'BA2015 high_entropy    high-entropy addresses (x64, ARM64)'
  'BA2016 nx              no executable data'
  'BA2018 safe_seh        no SEH handlers, or only those of a SafeSEH table (x86)'
  'BA2019 shared_writable no shared writable section'
  'BA2021 writable_code   no section both writable and executable'
  'BA2025 cet             CET shadow stack compatible (x64)'
  'BA2012 cookie_found    the load configuration names a stack cookie holding the default the loader seeds'
  'BA2013 cookie_used     protected frames check that cookie'
  'BA2014 safe_buffers    no function marked safe buffers in the PDB'
  'BA2004 sha256          source files hashed with SHA-256 alone in the PDB, every one of the project'
  '- banned_imports       no banned import'
  '- allowed_imports      imports from KERNEL32, msvcrt and (32-bit DLL) USER32 only, none forbidden'
)

# What the checks read of one binary, set by inspect.
pe='' architecture='' objdump='' pointer='' writable='' dump='' readobj='' image_base='' sections='' section_flags=''
characteristics='' pdb_symbols='' pdb_files='' publics='' prefix=

# inspect PE: reads the headers, sections, load configuration and PDB.
inspect() {
  pe=$1
  case $(llvm-readobj-16 --file-headers "$pe" | awk '/^Format:/ {print $2}') in
    COFF-x86-64) architecture=win64 ;;
    COFF-ARM64) architecture=arm64 ;;
    *) architecture=win32 ;;
  esac
  # The mingw-w64 objdump reads both x86 architectures, Debian's multiarch
  # one ARM64 too.
  objdump=$([ "$architecture" = arm64 ] && echo objdump || echo x86_64-w64-mingw32-objdump)
  pointer=$([ "$architecture" = win32 ] && echo 4 || echo 8)
  prefix=$([ "$architecture" = win32 ] && echo _ || true)
  dump=$($objdump -p "$pe")
  readobj=$(llvm-readobj-16 --coff-load-config --coff-debug-directory "$pe")
  image_base=$((16#$(awk '/^ImageBase/ {print $2}' <<<"$dump")))
  characteristics=$((16#$(awk '/^DllCharacteristics/ {print $2}' <<<"$dump")))
  sections=$($objdump -h "$pe" | awk '$1 ~ /^[0-9]+$/ {print $3, $4, $6}')
  # Each section's name and characteristics.
  section_flags=$(llvm-readobj-16 --sections "$pe" | awk '/^    Name:/ {name = $2} /^    Characteristics \[/ {print name, $3}' |
    tr -d '()')
  # Writable sections as RVA ranges.
  writable=$($objdump -h "$pe" | awk -v base="$image_base" "$hex"'$1 ~ /^[0-9]+$/ {size = $3; vma = $4; next}
    size != "" && /ALLOC/ && !/READONLY/ {print hex(vma) - base, hex(size)} {size = ""}')
  local pdb=${pe%.*}.pdb
  pdb_symbols=$(llvm-pdbutil-16 dump --symbols "$pdb" 2>/dev/null || true)
  pdb_files=$(llvm-pdbutil-16 dump --files "$pdb" 2>/dev/null || true)
  publics=$(llvm-pdbutil-16 dump --publics "$pdb" 2>/dev/null || true)
}

word_at() { # virtual address -> the pointer-sized word there in the file
  local size vma offset
  while read -r size vma offset; do
    if (($1 >= 16#$vma && $1 < 16#$vma + 16#$size)); then
      od -An -t u$pointer -j $((16#$offset + $1 - 16#$vma)) -N $pointer "$pe" | tr -d ' '
      return
    fi
  done <<<"$sections"
  echo 0
}
address_of() { # public symbol of the PDB -> its virtual address, or 0
  local place section offset
  place=$(awk -v name="\`$1\`" '$NF == name {getline; sub(/.*addr = /, ""); print; exit}' <<<"$publics")
  [ -n "$place" ] || { echo 0; return; }
  section=$((10#${place%:*})) offset=$((10#${place#*:}))
  echo $((16#$(awk -v n="$section" 'NR == n {print $2}' <<<"$sections") + offset))
}
has_characteristic() { ((characteristics & $1)); }
sections_with() { # characteristic bit... -> the sections that have them all
  awk -v bits="$*" "$hex"'{n = split(bits, b, " "); all = 1; for (i = 1; i <= n; i++) if (int(hex(substr($2, 3)) / b[i]) % 2 == 0) all = 0
    if (all) print $1}' <<<"$section_flags"
}
in_writable() { # RVA... -> those inside a writable section
  awk -v ranges="$writable" 'BEGIN {n = split(ranges, r, /[ \n]/)}
    {for (i = 1; i < n; i += 2) if ($1 >= r[i] && $1 < r[i] + r[i + 1]) print $1}'
}
load_config() { # field -> its value, 0 without a load configuration
  awk -v field="$1:" '$1 == field {value = $2; exit} END {print value == "" ? 0 : value}' <<<"$readobj"
}
# objdump 2.40 reads ARM64's import lookup entries as 32-bit ones and lists
# only the first function of each DLL: llvm-readobj lists ARM64's imports.
imported_functions() {
  if [ "$architecture" = arm64 ]; then
    llvm-readobj-16 --coff-imports "$pe" | awk '/^  Symbol:/ {print $2}'
  else
    awk '/^The Import Tables/ {on=1} /^The Export Tables/ {on=0} on && /^\t[0-9a-f]+\t +[0-9]+ +[^ ]+$/ {print $3}' <<<"$dump"
  fi
}
imported_dlls() {
  if [ "$architecture" = arm64 ]; then
    llvm-readobj-16 --coff-imports "$pe" | awk '/^  Name:/ {print $2}' | sort -u
  else
    awk '/DLL Name:/ {print $3}' <<<"$dump" | sort -u
  fi
}
matching() { # pattern... -> the imported functions that match one of them
  local function pattern
  for function in $(imported_functions); do
    for pattern in "$@"; do
      # shellcheck disable=SC2053
      [[ $function == $pattern ]] && { echo "$function"; break; }
    done
  done
}

check_cfg() { has_characteristic 0x4000 && grep -q 'GuardCFFunctionTable: 0x[0-9A-F]*[1-9A-F]' <<<"$readobj"; }
check_aslr() { has_characteristic 0x40 && (($(awk '/Base Relocation Directory/ {print "0x" $4; exit}' <<<"$dump") > 0)); }
check_high_entropy() { [ "$architecture" != win32 ] || return 2; has_characteristic 0x20; }
check_nx() { has_characteristic 0x100; }
check_safe_seh() {
  [ "$architecture" = win32 ] || return 2
  has_characteristic 0x400 || (($(load_config SEHandlerCount) > 0))
}
check_shared_writable() { [ -z "$(sections_with $((0x10000000)) $((0x80000000)))" ]; }
check_writable_code() { [ -z "$(sections_with $((0x20000000)) $((0x80000000)))" ]; }
check_cet() { [ "$architecture" = win64 ] || return 2; grep -q IMAGE_DLL_CHARACTERISTICS_EX_CET_COMPAT <<<"$readobj"; }
check_cookie_found() {
  local cookie default
  cookie=$(load_config SecurityCookie)
  [ -n "$cookie" ] && ((cookie != 0)) || return 1
  default=$([ "$architecture" = win32 ] && echo $((0xBB40E64E)) || echo $((0x00002B992DDFA232)))
  [ "$(word_at $((cookie)))" = "$default" ] && [ -n "$(in_writable <<<$((cookie - image_base)))" ]
}
check_cookie_used() {
  (($(address_of "${prefix}__stack_chk_guard") == $(load_config SecurityCookie))) &&
    grep -q 'flags = secure checks' <<<"$pdb_symbols"
}
check_safe_buffers() { [ -n "$pdb_symbols" ] && ! grep -q 'safe buffers' <<<"$pdb_symbols"; }
check_sha256() {
  ! grep -qE '^- \((MD5|SHA-1|SHA1)' <<<"$pdb_files" && grep -qF '(SHA-256' <<<"$pdb_files" &&
    ! grep -E '^- \(' <<<"$pdb_files" | grep -v '^- (SHA-256' | grep -qF 'C:\build\'
}
check_banned_imports() { [ -z "$(matching "${banned[@]}")" ]; }
check_allowed_imports() {
  local allowed=' KERNEL32.dll msvcrt.dll ' name function
  [ "$architecture" = win32 ] && [[ $pe == *.dll ]] && allowed+='USER32.dll '
  for name in $(imported_dlls); do
    [[ $allowed == *" $name "* ]] || return 1
  done
  for function in $(matching "${forbidden[@]}"); do
    [[ " ${allowed_functions[*]} " == *" $function "* ]] || return 1
  done
}

# scan PE: the rules' verdicts, a line each; 1 when one failed.
scan() {
  local id check title status failed=0
  inspect "$1"
  while read -r id check title; do
    status=0
    "check_$check" || status=$?
    case $status in
      0) echo "$(basename "$pe"): ok   $id $title" ;;
      2) echo "$(basename "$pe"): n/a  $id $title" ;;
      *) echo "$(basename "$pe"): FAIL $id $title"; failed=1 ;;
    esac
  done < <(printf '%s\n' "${rules[@]}")
  return $failed
}

if [ "$1" = --scan ]; then
  shift
  fail=0
  for binary in "$@"; do scan "$binary" || fail=1; done
  exit "$fail"
fi

dll=$1 exports_list=$2 expected_architecture=${3:-win32}
fail=0
scan "$dll" || fail=1
largest_size=65536
most_tls_callbacks=0

[ "$architecture" = "$expected_architecture" ] || { echo "not a $expected_architecture DLL"; fail=1; }
grep -qE '^Name[[:space:]]+[0-9a-f]+ Brindlewick\.dll$' <<<"$dump" || { echo "export directory does not name Brindlewick.dll"; fail=1; }

lowest=$(awk '{print $3}' "$exports_list" | sort -n | head -1)
base=$(awk '/^Ordinal Base/ {print $3}' <<<"$dump")
[ "$base" = "$lowest" ] || { echo "ordinal base $base, expected $lowest"; fail=1; }

# Exported names with their ordinals, as the export address table lists them.
# The table ends at the first line that is not an entry (objdump may warn right after it).
exported=$(awk '/\[Ordinal\/Name Pointer\] Table/ {on=1; next} on && !/^\t\[/ {on=0} on {gsub(/[][]/, " "); print $1 + '"$base"', $2}' <<<"$dump" | sort)
expected=$(awk '{print $3, $1}' "$exports_list" | sort)
if [ "$architecture" != win32 ] && grep -q WILExtender <<<"$exported$expected"; then
  echo "the $architecture DLL exports the extender's entry points, whose records are 32-bit"
  fail=1
fi
if [ "$exported" != "$expected" ]; then
  echo "exports differ from the list:"
  diff <(echo "$expected") <(echo "$exported") || true
  fail=1
fi

size=$(stat -c %s "$dll")
[ "$size" -le "$largest_size" ] || { echo "the DLL has $size bytes, more than $largest_size"; fail=1; }

# TLS callbacks: the directory's AddressOfCallBacks (its fourth pointer)
# points to a list of addresses that ends with 0.
tls_callbacks=0
tls_directory=$((16#$(awk '/Thread Storage Directory/ {print $3}' <<<"$dump")))
if ((tls_directory != 0)); then
  list=$(word_at $((image_base + tls_directory + 3 * pointer)))
  while ((list != 0)) && (($(word_at "$list") != 0)); do
    tls_callbacks=$((tls_callbacks + 1))
    list=$((list + pointer))
  done
fi
[ "$tls_callbacks" -le "$most_tls_callbacks" ] || { echo "$tls_callbacks TLS callbacks, at most $most_tls_callbacks"; fail=1; }

# The oldest Windows that loads the DLL: XP, XP x64 for the 64-bit one, and
# Windows 10, the first ARM64 Windows.
case "$architecture" in
  win32) oldest=5.1 ;;
  win64) oldest=5.2 ;;
  arm64) oldest=10.0 ;;
esac
for field in OSystem Subsystem; do
  version=$(awk "/^Major${field}Version/ {major = \$2} /^Minor${field}Version/ {print major \".\" \$2}" <<<"$dump")
  [ "$version" = "$oldest" ] || { echo "the headers ask for Windows $version ($field), not $oldest"; fail=1; }
done

# No base relocation and no import address may lie in a writable section.
relocated=$(awk "$hex"'/^\treloc / && $6 != "ABSOLUTE" {gsub(/[][]/, "", $5); print hex($5)}' <<<"$dump" | in_writable)
[ -z "$relocated" ] || { echo "addresses the loader relocates lie in writable sections: $(wc -w <<<"$relocated")"; fail=1; }
iat=$(awk "$hex"'/Import Address Table Directory/ {print hex($3)}' <<<"$dump" | in_writable)
[ -z "$iat" ] || { echo "the import address table is writable"; fail=1; }

# The PDB: named by file name alone, and with names and lines. Its public
# symbols also place the lists that a C runtime's start-up would walk.
pdb=${dll%.dll}.pdb
grep -q "pdb $(basename "$pdb"))\$" <<<"$dump" || { echo "the debug directory does not name $(basename "$pdb")"; fail=1; }
[ -n "$publics" ] || { echo "no PDB $pdb"; fail=1; }
constructors=$(address_of "${prefix}__CTOR_LIST__")
((constructors == 0)) || (($(word_at $((constructors + pointer))) == 0)) || { echo "constructors to run"; fail=1; }
(($(address_of "${prefix}__RUNTIME_PSEUDO_RELOC_LIST__") == $(address_of "${prefix}__RUNTIME_PSEUDO_RELOC_LIST_END__"))) ||
  { echo "pseudo-relocations to apply"; fail=1; }
export=$([ "$architecture" = win32 ] && echo _FormatNowAR8J@8 || echo FormatNowAR8J)
symbolized=$(llvm-symbolizer-16 --obj="$dll" "$(address_of "$export")" 2>&1 | head -2 | tr '\n' ' ')
[[ $symbolized =~ ^FormatNowAR8J\ .*format\.cpp:[1-9] ]] || { echo "the PDB resolves FormatNowAR8J to: $symbolized"; fail=1; }

functions=$(imported_functions)
imports=$(imported_dlls | tr '\n' ' ')
[ "$fail" -eq 0 ] && echo "exports and imports as defined: $(wc -l <<<"$expected") exports; imports" \
  "$(wc -w <<<"$functions") functions from $imports; $size bytes; $tls_callbacks TLS callbacks;" \
  "mitigations and the PDB in place"
exit "$fail"
