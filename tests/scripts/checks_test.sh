#!/usr/bin/env bash
# The checks the test scripts share (tools/lib/checks.sh): what each one
# prints, and that a failed check lets the others run and then fails the
# script at its summary.
# Usage: checks_test.sh <source dir>
set -uo pipefail
lib=$1/tools/lib/checks.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Two trees alike but for their .exe, a third with one byte changed, a
# fourth with a file more; a console's CR LF lines; a golden file of sums.
mkdir -p "$work"/{same,alike/sub,changed/sub,more/sub}
for d in same alike changed more; do
  mkdir -p "$work/$d/sub"
  printf 'one\n' >"$work/$d/a.txt"
  printf 'two\n' >"$work/$d/sub/b.txt"
done
printf 'MZ1' >"$work/same/prog.exe"
printf 'MZ2' >"$work/alike/prog.exe"
printf 'twO\n' >"$work/changed/sub/b.txt"
printf 'three\n' >"$work/more/c.txt"
printf 'form.title=Lungomare Nord\r\nready\r\n' >"$work/probe.out"
(cd "$work/same" && sha256sum a.txt sub/b.txt) >"$work/sums"
: >"$work/no-sums"

failures=0
# expect NAME SNIPPET STATUS OUTPUT: the snippet, run by bash -e with the
# library sourced in the fixture folder, ends with STATUS and prints OUTPUT.
expect() {
  local name=$1 snippet=$2 want_status=$3 want_out=$4 out status=0
  out=$(cd "$work" && bash -c "set -euo pipefail; source '$lib'; $snippet" 2>&1) || status=$?
  if [ "$status" != "$want_status" ] || [ "$out" != "$want_out" ]; then
    printf 'FAILED %s\nexpected (exit %s):\n%s\nfound (exit %s):\n%s\n' \
      "$name" "$want_status" "$want_out" "$status" "$out"
    failures=$((failures + 1))
  fi
}

expect "a failed check lets the next run, then fails the script" \
  'check one 1 1; check two 2 3; check three x x; checks_summary t; echo not reached' 1 \
  "ok    one
FAIL  two
      expected: 2
      found:    3
ok    three
t: 2 passed, 1 failed"
expect "checks that all pass end the script with 0" \
  'ok first; check second "" ""; checks_summary t' 0 \
  "ok    first
ok    second
t: 2 passed, 0 failed"
expect "not_ok prints each detail on its own line" \
  'not_ok label "first detail" "second detail"' 0 \
  "FAIL  label
      first detail
      second detail"

expect "same files, the ignored name aside" 'same_files trees same alike "*.exe"' 0 \
  "ok    trees: 2 files byte-identical"
expect "same files, nothing ignored" 'same_files trees same alike' 0 \
  "FAIL  trees: ./prog.exe differs
      same/./prog.exe alike/./prog.exe differ: byte 3, line 1"
expect "a changed byte names its file" 'same_files trees same changed "*.exe"' 0 \
  "FAIL  trees: ./sub/b.txt differs
      same/./sub/b.txt changed/./sub/b.txt differ: byte 3, line 1"
expect "a file more" 'same_files trees same more "*.exe"' 0 \
  "FAIL  trees: files
      expected: ./a.txt ./sub/b.txt
      found:    ./a.txt ./c.txt ./sub/b.txt"

expect "whole lines of a CR LF file" 'expect_lines probe probe.out "form.title=Lungomare Nord" ready' 0 \
  "ok    probe"
expect "a line missing, or only part of one" 'expect_lines probe probe.out ready "form.title=Lungomare" gone' 0 \
  "FAIL  probe
      missing: form.title=Lungomare gone
      found: form.title=Lungomare Nord$(printf '\r') ready$(printf '\r') "

expect "the pinned sums" 'checks_golden_sums=$PWD/sums; check_pinned_sums pins same' 0 \
  "ok    pins"
expect "a file that is not the pinned one" 'checks_golden_sums=$PWD/sums; check_pinned_sums pins changed' 0 \
  "FAIL  pins
      expected: 
      found:    sub/b.txt "
expect "an empty golden file fails, never passes unread" \
  'checks_golden_sums=$PWD/no-sums; check_pinned_sums pins same' 0 \
  "FAIL  pins
      no pinned sums in $work/no-sums"
expect "the scripts read the golden file the unit tests read" \
  '[ "$checks_golden_sums" -ef "'"$1"'/tests/golden/scenario.sha256" ] && echo same' 0 "same"

exit $((failures > 0))
