#!/usr/bin/env bash
# runner.sh: the runner as a user calls it, ./bwcall from bash. A row is the
# exit status, a pattern the whole output (standard error included, in
# order) must match, and the arguments.
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bwcall=$here/bwcall
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failed=0
row() {
  local status=$1 pattern=$2 output got
  shift 2
  output=$("$bwcall" "$@" 2>&1)
  got=$?
  if [ "$got" -ne "$status" ] || ! [[ $output =~ ^$pattern$ ]]; then
    printf 'FAILED: bwcall %s\nstatus %s, expected %s; output:\n%s\n' "$*" "$got" "$status" "$output"
    failed=1
  fi
}
nl=$'\n'
fail() { echo "FAILED: $*"; failed=1; }

# A fresh tree's first call builds the runner's folder and says so on
# standard error, which no case expects: build it first.
"$bwcall" --list >/dev/null 2>&1 || fail "bwcall --list does not run"

# Every call is checked before the first one runs; nothing is changed to fit.
row 2 'bwcall: call 2, FormatLongIntR8J: argument 1 \(value\), "12abc", is no 32-bit .*' FormatNowR8J x -- FormatLongIntR8J 12abc
row 2 'bwcall: call 1, FormatLongIntR8J: argument 1 \(value\), "3000000000", is no 32-bit .*' FormatLongIntR8J 3000000000
row 2 'bwcall: call 1, QuoteStringR8J: argument 1 \(text\) holds Ω \(U\+03A9\), which the ANSI code page cannot hold .*' \
  QuoteStringR8J 'Ω ŝ' 3
row 2 'bwcall: call 1, FormatLongIntR8J: argument 1 \(value\) takes no file handle.*' FormatLongIntR8J @append:h.log
for device in aux.txt aux: com1: COM1.txt: nul: CON '\\.\x.txt'; do
  row 2 "bwcall: .*${device//\\/\\\\} names a Windows device, not a file" --file "$device"
  row 2 "bwcall: call 1, LogMsgAltR8J: .*${device//\\/\\\\} names a Windows device.*" LogMsgAltR8J m "@append:$device"
done
# Options first; from the function's name on every word is an argument.
row 0 "0${nl}0" LogMsgAltR8J '--- backup start ---' @append:o.log -- LogMsgAltR8J -h @append:o.log
row 2 'bwcall: unknown option --x .*' --x KeltLastErrorR8J
row 2 'bwcall: call 1: no function -h .*' -- -h
row 2 'bwcall: --file given twice .*' --file a --file b
row 0 '[0-9]+' id:-1
row 2 'bwcall: these calls need a command line of about 34[0-9]{3} UTF-16 units.*' QuoteStringR8J "$(printf '😀%.0s' {1..17000})" 3
[ "$(sh "$bwcall" KeltExtenderVersionR8J)" = 41009 ] || fail "sh bwcall"
# Standard output carries the results alone; a lost result fails the run.
[ "$("$bwcall" FormatYmdHMSR8J 2008-05:30 ^YYYY 2>/dev/null; echo "$?")" = $'\n1' ] || fail "a failure's standard output"
"$bwcall" FormatLongIntR8J 5 >/dev/full 2>/dev/null && fail "a result written to /dev/full"
printf 'KeltLastErrorR8J\nQuoteStringR8J "a\0b" 1\n' >zero.calls
row 2 'bwcall: zero.calls:2: holds a NUL byte.*' --file zero.calls
printf 'QuoteStringR8J "é x" 1\n' | iconv -t UTF-16 >utf16.calls
row 0 '"é x"' --file utf16.calls
# Any locale: a text passes exactly or is refused.
LC_ALL=C row 0 '"café x"' QuoteStringR8J 'café x' 1
LC_ALL=C row 2 '.*argument 1 \(text\) holds Ω .*' QuoteStringR8J 'Ω x' 1
LC_ALL=C row 0 'Ω x' --utf8-acp QuoteStringR8J 'Ω x' 3
LC_ALL=C row 0 0 LogMsgAltR8J m @append:café.log
[ -f café.log ] || fail "@append:café.log under LC_ALL=C"
[ "$(env -i PATH="$PATH" HOME="$HOME" "$bwcall" --utf8-acp QuoteStringR8J 'Ω x' 3)" = 'Ω x' ] || fail "env -i"
row 2 'bwcall: word 3 of the command line is not UTF-8 text.*' --utf8-acp QuoteStringR8J $'\xe9' 3
LC_ALL= LANG=de_DE.UTF-8 LC_CTYPE=C row 0 März FormatYmdHMSR8J 2008:03:30:14:07:09 ^MMMM
mkdir 'dătă Ω' && cd 'dătă Ω' || exit 1
LC_ALL=C row 1 "${nl}bwcall: call 1, MakeFQFNR8J: the current folder .*dătă Ω holds ă .*" MakeFQFNR8J a.txt ''
LC_ALL=C row 0 '.:\\.*\\dătă Ω\\a.txt' --utf8-acp MakeFQFNR8J a.txt ''
cd "$work" || exit 1
# Two runners appending to one log lose no entry.
for i in {1..1000}; do echo "LogMsgAltR8J entry @append:shared.log"; done >many.calls
"$bwcall" --file many.calls >/dev/null & first=$!
"$bwcall" --file many.calls >/dev/null || fail "the second of two runners on one log"
wait "$first" || fail "the first of two runners on one log"
[ "$(grep -c entry shared.log)" -eq 2000 ] || fail "two runners left $(grep -c entry shared.log) of 2000 entries"
row 0 "41009${nl}536870912" KeltExtenderVersionR8J -- CUSTOMER_FLAG
# Any text passes where UTF-8 is the code page, and a result's own line
# ends stay as the module delivered them.
row 0 'Ω ŝ € 日 ＡＢＣ' --utf8-acp QuoteStringR8J 'Ω ŝ € 日 ＡＢＣ' 3
[ "$("$bwcall" QuoteStringR8J $'c\r\nd' 3 | od -An -c | tr -s ' ')" = ' c \r \n d \n' ] || fail "a result's CR LF"
# Failures: those with a status print what the host received; those with
# status 0 too, and each gives a reason on standard error, in order.
row 1 "${nl}bwcall: call 1, PathStringFixupR8J failed: the host received status -1, code 0x2000000C BW_E_PATH_EMPTY, message \"\"${nl}536870924" \
  PathStringFixupR8J "" 1 -- KeltLastErrorR8J
row 1 "-1${nl}bwcall: call 1, LogMsgAltR8J failed: result -1, no handle" LogMsgAltR8J hello 0
row 1 "6${nl}bwcall: call 1, LogMsgAltR8J failed: result 6, .*\\(6\\)" LogMsgAltR8J hello 12345
row 1 "${nl}bwcall: call 1, id:11 failed: .* code 901, an unknown function, .*${nl}901" id:11 -- KeltLastErrorR8J
row 1 "${nl}bwcall: call 1, LogMsgAltR8J: cannot open no/x.log for appending: .*\\(3\\)${nl}41009" \
  LogMsgAltR8J m @append:no/x.log -- KeltExtenderVersionR8J
# One handle per file, whatever the spelling; a name the ANSI code page
# cannot hold.
row 0 "0${nl}0" LogMsgAltR8J "first${nl}second" @append:日本.log -- LogMsgAltR8J third @APPEND:./日本.LOG 1
stamp='[0-9]{4}/[0-9]{2}/[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}'
[[ $(<日本.log) =~ ^$stamp\ first$'\r\n'\ {20}second$'\r\n'$stamp\ UTC\ third$'\r'$ ]] ||
  { echo "FAILED: 日本.log holds"; cat -A 日本.log; failed=1; }
# Calls from standard input, a byte-order mark first, quoted as a call file
# quotes them.
row 0 "> QuoteStringR8J \"say \"\"hi\"\" twice\" 2${nl}\"say \"hi\" twice\"${nl}> FormatYmdHMSR8J 2008:03:30:14:07:09 \\^MMMM${nl}März" \
  --echo --file - <<<$'\xEF\xBB\xBFQuoteStringR8J "say ""hi"" twice" 2\r\nFormatYmdHMSR8J 2008:03:30:14:07:09 ^MMMM'
row 0 'FormatYmdHMSR8J\(ymdhms, template\), id 22.*' --help formatymdhmsr8j
# With --ansi the result is the ANSI text the host receives, with CR LF.
ansi=$("$bwcall" --ansi FormatYmdHMSR8J 2008:03:30:14:07:09 ^MMMM | od -An -c | tr -s ' ')
[ "$ansi" = " M 344 r z \r \n" ] || { echo "FAILED: the ANSI result is$ansi"; failed=1; }
# Three calls at once on a fresh copy, and again after a change to a DLL
# source and a runner source: one build at a time, and each call gets a
# checked DLL.
mkdir -p clone/build && ln -s "$here/build/wineprefix" clone/build/wineprefix
tar -C "$here" --exclude=./build --exclude=./.git --exclude=./fuzz/corpus-work -cf - . | tar -C clone -xf -
for round in fresh changed; do
  [ "$round" = fresh ] || echo '// changed' | tee -a clone/text/quote.cpp clone/tools/calls.cpp >/dev/null
  for i in 1 2 3; do clone/bwcall KeltExtenderVersionR8J >"out.$i" 2>"err.$i" & pids[i]=$!; done
  for i in 1 2 3; do
    wait "${pids[i]}" && [ "$(<"out.$i")" = 41009 ] || fail "call $i of three at once ($round): $(<"err.$i")"
  done
done
"$here/tests/check-exports.sh" clone/build/win32/Brindlewick.dll clone/build/win32/exports.txt win32 >/dev/null &&
  cmp -s clone/build/win32/Brindlewick.dll "$(ls -1dt clone/build/runner/*/ | head -1)/Brindlewick.dll" ||
  fail "the DLL of the copy's last build"
[ "$failed" -eq 0 ] && echo "runner: every case as expected"
exit "$failed"
