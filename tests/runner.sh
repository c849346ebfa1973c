#!/usr/bin/env bash
# runner.sh BWCALL: the runner as a user calls it, under Wine. A row is the
# exit status, a pattern the whole output (--utf8, standard error included)
# must match, and the arguments.
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
  output=$("$here/cmake/wine-run" "$bwcall" --utf8 "$@" 2>&1)
  got=$?
  if [ "$got" -ne "$status" ] || ! [[ $output =~ ^$pattern$ ]]; then
    printf 'FAILED: bwcall %s\nstatus %s, expected %s; output:\n%s\n' "$*" "$got" "$status" "$output"
    failed=1
  fi
}
nl=$'\n'

# Every call is checked before the first one runs.
row 2 'bwcall: call 2: argument 1 of formatlongintr8j, "12abc", is not a 32-bit .*' FormatNowR8J x -- FormatLongIntR8J 12abc
row 2 'bwcall: formatnowr8j\(text, \[integer\]\) takes 1 or 2 arguments, not 3' formatnowr8j x 1 2
row 2 'bwcall: no function ExtractFromSystemDateR8J; did you mean extractrfromsystemdater8j\?' ExtractFromSystemDateR8J 0 1
row 0 '536870912' CUSTOMER_FLAG
# Errors with their recorded code, its name and the message; the state of
# the module carries from call to call.
row 1 "status -1, code 0x2000000C BW_E_PATH_EMPTY, message \"\"${nl}536870924" PathStringFixupR8J "" 1 -- KeltLastErrorR8J
row 1 "status -1, code 0x20000006 BW_E_YMDHMS_LAYOUT, message \"(006:[^\"]+)\"${nl}\\1" \
  FormatYmdHMSR8J 2008-05-30 ^YYYY -- KeltLastErrorStrR8J
# One handle per file, whatever the spelling; a file that cannot be opened.
row 0 "([0-9.]+)${nl}\\1" FormatLongIntR8J @append:h.log -- FormatLongIntR8J @APPEND:./H.LOG
row 1 'bwcall: cannot open no/x.log for appending \(error 3\)' LogMsgAltR8J m @append:no/x.log
row 0 "0${nl}0" LogMsgAltR8J "first${nl}second" @append:run.log -- LogMsgAltR8J third @append:run.log 1
stamp='[0-9]{4}/[0-9]{2}/[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}'
[[ $(<run.log) =~ ^$stamp\ first$'\r\n'\ {20}second$'\r\n'$stamp\ UTC\ third$'\r'$ ]] ||
  { echo "FAILED: run.log holds"; cat -A run.log; failed=1; }
# Calls from standard input, quoted as a call file quotes them.
row 0 "> QuoteStringR8J \"say \"\"hi\"\" twice\" 2${nl}\"say \"hi\" twice\"${nl}> FormatYmdHMSR8J 2008:03:30:14:07:09 \\^MMMM${nl}März" \
  --echo --file - <<<$'QuoteStringR8J "say ""hi"" twice" 2\r\nFormatYmdHMSR8J 2008:03:30:14:07:09 ^MMMM'
# Without --utf8 the result is the ANSI text the host receives.
ansi=$("$here/cmake/wine-run" "$bwcall" FormatYmdHMSR8J 2008:03:30:14:07:09 ^MMMM | od -An -c | tr -s ' ')
[ "$ansi" = " M 344 r z \r \n" ] || { echo "FAILED: the ANSI result is$ansi"; failed=1; }
exit "$failed"
