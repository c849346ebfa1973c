#!/usr/bin/env bash
# check-layout.sh ROOT: each folder includes only what the layout lets it.
# The services depend on module/, core/ and include/ and on no other
# service; module/ on core/ and include/; a service's pure/ part on core/,
# include/'s codes and its own pure/ part, and never on Windows; nothing
# but extender/ itself depends on extender/. An include is named by its
# folder; a bare name is a file beside the includer, a public header, or one
# the build writes (generated).
set -euo pipefail
cd "$1"

# folder (a pure part as SERVICE/pure) and the folders it may include.
rules='
core             core include
module           module core include
datetime         datetime datetime/pure module core include
files            files files/pure module core include
text             text text/pure module core include
datetime/pure    datetime/pure core include
files/pure       files/pure core include
text/pure        text/pure core include
extender         extender module core include resources
tools            tools include resources generated
bench            bench tools module datetime/pure files/pure include
tests            tests tools datetime/pure files/pure text/pure include generated
fuzz             fuzz tests datetime/pure files/pure text/pure
examples         include
'
generated='code_table.hpp code_texts.rc'

mapfile -t sources < <(git ls-files --cached --others --exclude-standard '*.c' '*.cpp' '*.h' '*.hpp' '*.rc' |
  grep -v '^include/\|^resources/\|^kit/\|^cmake/')
# Every include as "file<TAB>name", then a line "file<TAB><windows>" where a
# file includes windows.h; read by one awk with the rules and the files.
includes=$(for f in "${sources[@]}"; do
  sed -n -e "s|^#include \"\\([^\"]*\\)\".*|$f\t\\1|p" -e "s|^#include <windows.h>.*|$f\t<windows>|p" "$f"
done)
awk -F'\t' -v rules="$rules" -v generated="$generated" -v tracked="$(git ls-files; ls include)" '
function folder(path) { if (path ~ /\/pure\//) { sub(/\/pure\/.*/, "/pure", path); return path } sub(/\/.*/, "", path); return path }
function dir(path) { sub(/\/[^\/]*$/, "", path); return path }
BEGIN {
  n = split(rules, lines, "\n")
  for (i = 1; i <= n; i++) { k = split(lines[i], w, " "); if (k) { allow[w[1]] = " "; for (j = 2; j <= k; j++) allow[w[1]] = allow[w[1]] w[j] " " } }
  n = split(tracked, t, "\n"); for (i = 1; i <= n; i++) exists[t[i]] = 1
  n = split(generated, g, " "); for (i = 1; i <= n; i++) made[g[i]] = 1
}
{
  file = $1; name = $2; own = folder(file); seen[file] = 1
  if (!(own in allow)) { if (!(own in told)) print file ": its folder " own " has no rule"; told[own] = 1; bad++; next }
  if (name == "<windows>") { if (own ~ /\/pure$/) { print file ": a pure part includes windows.h"; bad++ } next }
  if (name ~ /\//) target = folder(name)
  else if (exists[dir(file) "/" name]) target = folder(dir(file) "/" name)
  else if (name in exists) target = "include"
  else if (name == "BrindlewickCodes.h") target = "include"
  else if (name in made) target = "generated"
  else target = "unknown:" name
  if (index(allow[own], " " target " ") == 0) { print file " includes " name " (" target ")"; bad++ }
}
END {
  if (bad) exit 1
  printf "%d sources include only what their folders may\n", length(seen)
}' <<<"$includes"
