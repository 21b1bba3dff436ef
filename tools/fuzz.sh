#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, ASan, UBSan) and runs each for
# the given number of seconds (default 60), one after the other.
#   tools/fuzz.sh [seconds] [target...]
# The corpus grows in build/fuzz/corpus/<target>, seeded from
# fuzz/corpus/<target>; crashing inputs land in build/fuzz/artifacts/. The
# script fails when any target finds a crash, a hang, a leak or undefined
# behaviour. FUZZ_FLAGS adds libFuzzer flags (e.g. -len_control=0 to try
# long inputs at once).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
targets=("$@")
((${#targets[@]})) || targets=(fuzz_line_reader fuzz_train_reader fuzz_compile fuzz_fmt fuzz_decoders fuzz_lsp)

tools/deps.sh clang libclang-rt-14-dev
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2 --target "${targets[@]}"

mkdir -p build/fuzz/artifacts
status=0
for t in "${targets[@]}"; do
  max_len=65536
  case "$t" in fuzz_compile | fuzz_fmt) max_len=131072 ;; esac
  # The description keywords mean nothing to the decoders of binary files.
  dict=(-dict=fuzz/descriptions.dict)
  [ "$t" = fuzz_decoders ] && dict=()
  [ "$t" = fuzz_lsp ] && dict=(-dict=fuzz/lsp.dict)
  corpus="build/fuzz/corpus/$t"
  mkdir -p "$corpus"
  log="build/fuzz/$t.log"
  echo "== $t: ${seconds}s (log: $log)"
  if ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=0" UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
     "build/fuzz/fuzz/$t" "$corpus" "fuzz/corpus/$t" \
       "${dict[@]}" -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 \
       -max_total_time="$seconds" -print_final_stats=1 \
       -artifact_prefix="build/fuzz/artifacts/$t-" ${FUZZ_FLAGS:-} >"$log" 2>&1; then
    grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$log" | sed "s/^/   /"
  else
    status=1
    echo "   FAILED: see $log; the input is in build/fuzz/artifacts/"
    grep -E 'ERROR|runtime error|invariant broken|Test unit written' "$log" | head -5 | sed "s/^/   /"
  fi
done
exit "$status"
