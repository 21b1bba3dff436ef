# shellcheck shell=bash
# The checks the test scripts share; sourced, never run. Each check prints
# "ok    <label>" or "FAIL  <label>" followed by indented details, and counts
# itself; checks_summary, the script's last command, prints the counts and
# fails when any check failed, so that a script goes on past a failed check
# to report the others and still ends with a failure.
#
#   source tools/lib/checks.sh
#   check "deb: section" games "$(dpkg-deb -f "$deb" Section)"
#   checks_summary release

checks_passed=0
checks_failed=0
# The scenario's pinned sums, one "<sum>  <file name>" line per compiled
# file; the unit tests read the same file.
checks_golden_sums="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/tests/golden/scenario.sha256"

ok() {  # ok LABEL
  echo "ok    $1"
  checks_passed=$((checks_passed + 1))
}

not_ok() {  # not_ok LABEL [DETAIL...]
  echo "FAIL  $1"
  shift
  local line
  for line in "$@"; do echo "      $line"; done
  checks_failed=$((checks_failed + 1))
}

check() {  # check LABEL EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then ok "$1"; else not_ok "$1" "expected: $2" "found:    $3"; fi
}

# The same files (by relative path, those whose name matches IGNORED aside)
# with the same bytes in two directory trees.
same_files() {  # same_files LABEL EXPECTED_DIR ACTUAL_DIR [IGNORED]
  local label=$1 expected=$2 actual=$3 ignored=${4:-}
  local want got
  want=$(cd "$expected" && find . -type f ${ignored:+! -name "$ignored"} | sort)
  got=$(cd "$actual" && find . -type f ${ignored:+! -name "$ignored"} | sort)
  if [ "$want" != "$got" ]; then
    not_ok "$label: files" "expected: $(echo $want)" "found:    $(echo $got)"
    return
  fi
  local f
  for f in $want; do
    if ! cmp -s "$expected/$f" "$actual/$f"; then
      not_ok "$label: $f differs" "$(cmp "$expected/$f" "$actual/$f" 2>&1 | head -1)"
      return
    fi
  done
  ok "$label: $(echo "$want" | wc -l) files byte-identical"
}

# Every LINE is a whole line of FILE; line ends CR LF (a Windows console
# program's) count as LF.
expect_lines() {  # expect_lines LABEL FILE LINE...
  local label=$1 file=$2
  shift 2
  local missing=() line
  for line in "$@"; do tr -d '\r' <"$file" | grep -qxF -- "$line" || missing+=("$line"); done
  if ((${#missing[@]})); then
    not_ok "$label" "missing: ${missing[*]}" "found: $(tr '\n' ' ' <"$file")"
  else
    ok "$label"
  fi
}

# The compiled files in DIR have the pinned sums; a golden file that is
# missing or empty fails the check rather than passing it unread.
check_pinned_sums() {  # check_pinned_sums LABEL DIR
  local label=$1 dir=$2 sum name wrong=""
  if [ ! -s "$checks_golden_sums" ]; then
    not_ok "$label" "no pinned sums in $checks_golden_sums"
    return
  fi
  while read -r sum name; do
    [ -f "$dir/$name" ] && [ "$(sha256sum <"$dir/$name" | cut -d' ' -f1)" = "$sum" ] || wrong+="$name "
  done <"$checks_golden_sums"
  check "$label" "" "$wrong"
}

checks_summary() {  # checks_summary NAME
  echo "$1: $checks_passed passed, $checks_failed failed"
  [ "$checks_failed" = 0 ]
}
