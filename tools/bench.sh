#!/usr/bin/env bash
# Builds the benchmarks (preset bench: Release, -O2), runs them and prints
# each cost as a ratio to its floor (the same bytes written with one plain
# fopen/fwrite/fclose per file, measured in the same run), the cost per
# metre at 250,000, 500,000 and 1,000,000 m, the peak memory of the
# program compiling the 1,000,000 m line, the editor server's latency
# from a didChange to its diagnostics, and its memory after 5,000 edits.
#   tools/bench.sh [extra benchmark flags, e.g. --benchmark_filter=Line]
# Environment: BENCH_REPETITIONS (default 5), BENCH_MIN_TIME (seconds per
# repetition, default 0.2), BENCH_JSON (keep the raw results there).
#
# The repetitions of all benchmarks are interleaved at random, so a burst
# of load elsewhere on the machine spreads over compiles and floors alike;
# ratios are taken between medians.
#
# The targets are judged on elapsed (wall) time: how long the player waits,
# against how long writing the same bytes takes on the same disk. CPU time
# (user and system time of the benchmark thread) is printed beside it. It
# leaves out the time the system spends waiting for the disk, so the floor
# is smaller there and the ratios larger: they show the compiler's own work
# (the plan profile's arithmetic, the description round trip, the safe
# replacement of every file) against the system's copying of the bytes.
set -euo pipefail
cd "$(dirname "$0")/.."
repetitions="${BENCH_REPETITIONS:-5}"
min_time="${BENCH_MIN_TIME:-0.2}"

tools/deps.sh libbenchmark-dev time
cmake --preset bench >/dev/null
cmake --build --preset bench -j2 --target sb_bench sb-write-descriptions sb_lsp_bench
cmake --preset release >/dev/null
cmake --build --preset release -j2 --target scenario-builder

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
json="${BENCH_JSON:-$work/bench.json}"

echo "== benchmarks: $repetitions repetitions of at least ${min_time}s each, interleaved"
build/bench/bench/sb_bench \
  --benchmark_repetitions="$repetitions" \
  --benchmark_min_time="$min_time" \
  --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true \
  --benchmark_out="$json" --benchmark_out_format=json \
  "$@" >/dev/null

python3 - "$json" <<'EOF'
import json, sys

runs = json.load(open(sys.argv[1]))["benchmarks"]
def agg(name, kind):
    for r in runs:
        if r.get("run_name") == name + "/real_time" and r.get("aggregate_name") == kind:
            return r
    return None

def ms(r, clock):
    return r[clock] * {"ms": 1.0, "us": 1e-3, "ns": 1e-6, "s": 1e3}[r["time_unit"]]

def cv(name, clock):
    r = agg(name, "cv")
    return r[clock] * 100 if r else float("nan")

print(f"{'':34} {'CPU ms':>8} {'(cv)':>6} {'wall ms':>8} {'(cv)':>6}")
names = ["BM_ScenarioRun", "BM_ScenarioRunFloor", "BM_ScenarioCompile", "BM_ScenarioCompileFloor",
         "BM_ExampleBuild", "BM_ExampleCompile", "BM_ExampleDocuments"]
for length in (250000, 500000, 1000000):
    names += [f"BM_LineCompile/{length}", f"BM_LineCompileFloor/{length}"]
for n in names:
    r = agg(n, "median")
    if r:
        print(f"{n:34} {ms(r, 'cpu_time'):8.2f} {cv(n, 'cpu_time'):5.1f}% "
              f"{ms(r, 'real_time'):8.2f} {cv(n, 'real_time'):5.1f}%")

def ratio(what, floor, clock):
    a, b = agg(what, "median"), agg(floor, "median")
    return ms(a, clock) / ms(b, clock) if a and b else None

print()
print("ratio to the floor (medians)           wall    CPU   target (wall)")
missed = []
for label, what, floor in [
        ("scenario run / its six files", "BM_ScenarioRun", "BM_ScenarioRunFloor"),
        ("scenario compile / three files", "BM_ScenarioCompile", "BM_ScenarioCompileFloor"),
        ("250,000 m compile / three files", "BM_LineCompile/250000", "BM_LineCompileFloor/250000"),
        ("500,000 m compile / three files", "BM_LineCompile/500000", "BM_LineCompileFloor/500000"),
        ("1,000,000 m compile / three files", "BM_LineCompile/1000000", "BM_LineCompileFloor/1000000")]:
    c, w = ratio(what, floor, "cpu_time"), ratio(what, floor, "real_time")
    if c is None:
        continue
    targeted = what in ("BM_ScenarioRun", "BM_LineCompile/1000000")
    mark = ("<= 1.5 " + ("met" if w <= 1.5 else "MISSED")) if targeted else ""
    if targeted and w > 1.5:
        missed.append(label)
    print(f"  {label:36} {w:5.2f}  {c:5.2f}   {mark}")

b = ratio("BM_ExampleBuild", "BM_ExampleCompile", "real_time")
if b is not None:
    c = ratio("BM_ExampleBuild", "BM_ExampleCompile", "cpu_time")
    print(f"  {'example build / its compile':36} {b:5.2f}  {c:5.2f}   <= 1.10 "
          + ("met" if b <= 1.10 else "MISSED"))
    if b > 1.10:
        missed.append("example build / its compile")

print()
print("cost per metre of the compile           CPU ns/m   wall ns/m")
per = {}
for length in (250000, 500000, 1000000):
    r = agg(f"BM_LineCompile/{length}", "median")
    if r:
        per[length] = (ms(r, "cpu_time") * 1e6 / length, ms(r, "real_time") * 1e6 / length)
        print(f"  {length:>9,} m {'':26} {per[length][0]:8.2f}   {per[length][1]:8.2f}")
if 250000 in per and 1000000 in per:
    growth = per[1000000][0] / per[250000][0]
    print(f"  per metre at 1,000,000 m / at 250,000 m: {growth:.2f} (CPU), "
          f"{per[1000000][1] / per[250000][1]:.2f} (wall); linear is 1.00")
if missed:
    print("targets missed: " + ", ".join(missed))
EOF

echo
echo "== peak memory: build/release/scenario-builder compile, 1,000,000 m line"
mkdir -p "$work/descriptions" "$work/compiled"
build/bench/bench/sb-write-descriptions "$work/descriptions" 1000000 >/dev/null
/usr/bin/time -v build/release/scenario-builder compile \
  --line "$work/descriptions/Generata_linea.txt" --train "$work/descriptions/Generata_1-.txt" \
  --out "$work/compiled" --json >"$work/result.json" 2>"$work/time.txt" || true
python3 - "$work/time.txt" "$work/result.json" <<'EOF'
import json, sys
fields = dict(l.strip().split(": ", 1) for l in open(sys.argv[1]) if ": " in l)
result = json.load(open(sys.argv[2]))
rss_mb = int(fields["Maximum resident set size (kbytes)"]) / 1024
print(f"  errorCode {result['errorCode']}, files {', '.join(result['files'])}")
print(f"  wall {fields['Elapsed (wall clock) time (h:mm:ss or m:ss)']}, "
      f"user {fields['User time (seconds)']} s, system {fields['System time (seconds)']} s")
print(f"  peak RSS {rss_mb:.1f} MB (target <= 64 MB: {'met' if rss_mb <= 64 else 'MISSED'})")
EOF

echo
echo "== editor server: didChange -> publishDiagnostics (targets: 50 ms a change;"
echo "   16,000 diagnostics within 50 ms; 21 trains of 1,000 km within 20 ms)"
build/bench/bench/sb_lsp_bench --benchmark_min_time="$min_time" 2>/dev/null |
  sed -n 's/^BM_Lsp\([A-Za-z0-9/]*\)\/manual_time.* median_cpu_ms=\([^ ]*\) median_ms=\([^ ]*\) worst_ms=\([^ ]*\).*/  \1: median \3 ms (CPU \2 ms), worst \4 ms/p'

echo
echo "== editor server: memory after 5,000 edits of the template's train"
python3 bench/lsp_memory.py build/release/scenario-builder 5000
