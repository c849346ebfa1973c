#!/usr/bin/env bash
# runner.sh BWCALL: the runner as a user calls it, under Wine. A row is the
# exit status, a pattern the whole output (standard error included, in
# order) must match, and the arguments.
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bwcall=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failed=0
row() {
  local status=$1 pattern=$2 output got
  shift 2
  output=$("$here/cmake/wine-run" "$bwcall" "$@" 2>&1)
  got=$?
  if [ "$got" -ne "$status" ] || ! [[ $output =~ ^$pattern$ ]]; then
    printf 'FAILED: bwcall %s\nstatus %s, expected %s; output:\n%s\n' "$*" "$got" "$status" "$output"
    failed=1
  fi
}
nl=$'\n'

# Every call is checked before the first one runs; nothing is changed to fit.
row 2 'bwcall: call 2, FormatLongIntR8J: argument 1 \(value\), "12abc", is no 32-bit .*' FormatNowR8J x -- FormatLongIntR8J 12abc
row 2 'bwcall: call 1, FormatLongIntR8J: argument 1 \(value\), "3000000000", is no 32-bit .*' FormatLongIntR8J 3000000000
row 2 'bwcall: call 1, QuoteStringR8J: argument 1 \(text\) holds Ω \(U\+03A9\), which the ANSI code page cannot hold .*' \
  QuoteStringR8J 'Ω ŝ' 3
row 2 'bwcall: call 1, FormatLongIntR8J: argument 1 \(value\) takes no file handle.*' FormatLongIntR8J @append:h.log
row 2 'bwcall: aux.txt names a Windows device, not a file' --file aux.txt
row 0 "41009${nl}536870912" KeltExtenderVersionR8J -- CUSTOMER_FLAG
# Any text passes where UTF-8 is the code page, and a result's own line
# ends stay as the module delivered them.
row 0 'Ω ŝ € 日 ＡＢＣ' --utf8-acp QuoteStringR8J 'Ω ŝ € 日 ＡＢＣ' 3
[ "$("$here/cmake/wine-run" "$bwcall" QuoteStringR8J $'c\r\nd' 3 | od -An -c | tr -s ' ')" = ' c \r \n d \n' ] ||
  { echo "FAILED: a result's CR LF"; failed=1; }
# Failures: those with a status print what the host received; those with
# status 0 too, and each gives a reason on standard error, in order.
row 1 "status -1, code 0x2000000C BW_E_PATH_EMPTY, message \"\"${nl}bwcall: call 1, PathStringFixupR8J failed: the host received status -1${nl}536870924" \
  PathStringFixupR8J "" 1 -- KeltLastErrorR8J
row 1 "-1${nl}bwcall: call 1, LogMsgAltR8J failed: result -1, no handle" LogMsgAltR8J hello 0
row 1 "6${nl}bwcall: call 1, LogMsgAltR8J failed: result 6, .*\\(6\\)" LogMsgAltR8J hello 12345
row 1 "status -1, code 901, an unknown function, message \"\"${nl}bwcall: call 1, id:11 failed: .*${nl}901" id:11 -- KeltLastErrorR8J
row 1 "bwcall: call 1, LogMsgAltR8J: cannot open no/x.log for appending: .*\\(3\\)${nl}41009" \
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
ansi=$("$here/cmake/wine-run" "$bwcall" --ansi FormatYmdHMSR8J 2008:03:30:14:07:09 ^MMMM | od -An -c | tr -s ' ')
[ "$ansi" = " M 344 r z \r \n" ] || { echo "FAILED: the ANSI result is$ansi"; failed=1; }
[ "$failed" -eq 0 ] && echo "runner: every case as expected"
exit "$failed"
