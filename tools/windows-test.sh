#!/usr/bin/env bash
# Builds the Windows executables (preset "windows") and checks them under
# Wine, headless in Xvfb, against the Linux build (preset "release"):
#   - the players' program, run in an empty directory (twice), leaves the six
#     scenario files, byte-identical to `scenario-builder --dir`; four runs
#     at once into one folder (of either program) take turns and leave them too;
#   - scenario-builder.exe: the scenario run, `compile --json` on a few
#     descriptions (one ending with error 1250), `inspect` and `render` give
#     the same exit status, output, stderr and files as on Linux;
#   - its `lsp`: the same answers as on Linux, and on descriptions on disk,
#     named by VS Code's URIs for a drive (tools/lib/lsp_session.py), the
#     same diagnostics, the companions found;
#   - the window Form1 and the error report's message box, driven by
#     tests/windows/gui_probe.cc.
# Prints a line per check (tools/lib/checks.sh) and their counts; any
# failed check fails the script.
# Usage: tools/windows-test.sh [--screenshot]
#   --screenshot also saves the window, as Wine draws it, in
#   docs/windows-window.png.
# Installs its Debian packages first (apt-get; root or sudo). The Wine
# prefix lives in build/windows/wineprefix (SB_WINEPREFIX overrides it).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
source tools/lib/checks.sh

screenshot=0
case "${1:-}" in
  "") ;;
  --screenshot) screenshot=1 ;;
  *) echo "usage: $0 [--screenshot]" >&2; exit 64 ;;
esac

if [ -z "${SB_WINDOWS_TEST_IN_XVFB:-}" ]; then
  extra=()
  if ((screenshot)); then extra+=(imagemagick); fi
  tools/deps.sh g++-mingw-w64-x86-64-posix wine wine64 fonts-wine fonts-liberation xvfb xauth "${extra[@]}"
  cmake --preset release >/dev/null
  cmake --build --preset release --target scenario-builder
  # The reference for every comparison, kept beside the Windows build.
  mkdir -p build/windows
  cp build/release/scenario-builder build/windows/linux-scenario-builder
  cmake --preset windows >/dev/null
  cmake --build --preset windows
  cmake --build --preset windows --target gui_probe
  exec env SB_WINDOWS_TEST_IN_XVFB=1 xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$0" "$@"
fi

win_dir="$root/build/windows"
linux_exe="$win_dir/linux-scenario-builder"
console_exe="$win_dir/scenario-builder.exe"
players_exe="$win_dir/Lungomare_Nord.exe"
probe_exe="$win_dir/gui_probe.exe"

export WINEPREFIX="${SB_WINEPREFIX:-$win_dir/wineprefix}"
export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

work=$(mktemp -d)
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

# Runs a Windows program; a program that hangs (a message box nobody
# closes) fails the check instead of the CI run.
run_wine() { timeout -k 5 120 wine "$@"; }

if [ ! -f "$WINEPREFIX/.sb-configured" ]; then
  echo "preparing the Wine prefix $WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wineboot -i >"$work/wineboot.log" 2>&1 || { cat "$work/wineboot.log"; exit 1; }
  # Debian's Wine misses its own fonts (Tahoma, and Marlett for the frame's
  # buttons): the prefix links the TrueType ones. Its "MS Sans Serif" is
  # only bitmaps that stop at 16 pixels, drawn badly at 24 points, so it is
  # left out and Liberation Sans, with the widths of Windows' own sans serif
  # fonts, stands in for it.
  ln -sf /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS Sans Serif' /d 'Liberation Sans' /f >/dev/null
  # A virtual desktop: Wine draws the window frames itself, and every
  # program shares one desktop, so the probe finds the other's message box.
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 640x400 /f >/dev/null
  # A program that crashes ends at once, instead of waiting in a debugger.
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d '' /f >/dev/null
  wineserver -w
  touch "$WINEPREFIX/.sb-configured"
fi

# The programs' own .exe lies beside the files they write: it is left out
# of every comparison of folders.
same_files_but_exe() { same_files "$@" '*.exe'; }

# --- the scenario run ------------------------------------------------------
mkdir -p "$work/linux-run"
"$linux_exe" --dir "$work/linux-run"
scenario_files=(Lungomare_Nord_911.dat Lungomare_Nord_911.sim Lungomare_Nord_911_note.txt
                Lungomare_Nord_911_rallentamenti.txt Lungomare_Nord_911_scheda_treno.txt
                Lungomare_Nord_linea.dat)
if [ "$(cd "$work/linux-run" && ls)" = "$(printf '%s\n' "${scenario_files[@]}" | sort)" ]; then
  ok "linux: the scenario run leaves the six files"
else
  not_ok "linux: the scenario run leaves the six files" "$(cd "$work/linux-run" && ls | tr '\n' ' ')"
fi

mkdir -p "$work/players"
cp "$players_exe" "$work/players/"
start=$(date +%s%N)
status=0
run_wine "$work/players/Lungomare_Nord.exe" || status=$?
players_ms=$((($(date +%s%N) - start) / 1000000))
if [ "$status" = 0 ]; then ok "players' program: exit status 0"; else not_ok "players' program: exit status $status"; fi
same_files_but_exe "players' program in an empty directory" "$work/linux-run" "$work/players"
status=0
run_wine "$work/players/Lungomare_Nord.exe" || status=$?
check "players' program, second run: exit status" 0 "$status"
same_files_but_exe "players' program run again over its own files" "$work/linux-run" "$work/players"

# Several runs into one folder at once (a player who double-clicks twice)
# take turns: each ends with status 0 and the folder holds the six files.
# The console program says so on stderr when it waited long; nothing else.
together() {
  local label=$1 exe=$2
  local dir="$work/together-$(basename "$exe" .exe)"
  mkdir -p "$dir"
  cp "$exe" "$dir/"
  local pids=() i statuses="" status
  for i in 1 2 3 4; do
    run_wine "$dir/$(basename "$exe")" >"$work/together-$i.out" 2>"$work/together-$i.err" &
    pids+=($!)
  done
  for i in 0 1 2 3; do
    status=0
    wait "${pids[$i]}" || status=$?
    statuses+="$status "
  done
  local noise
  noise=$(cat "$work"/together-*.out "$work"/together-*.err | tr -d '\r' |
    grep -v "^scenario-builder: waiting for another run into '.*' to finish$" || true)
  if [ "$statuses" = "0 0 0 0 " ] && [ -z "$noise" ]; then
    ok "$label, four at once into one folder: exit status 0"
  else
    not_ok "$label, four at once into one folder" "exit statuses: $statuses" "$noise"
  fi
  same_files_but_exe "$label, four at once into one folder" "$work/linux-run" "$dir"
}
together "players' program" "$players_exe"
together "scenario-builder.exe" "$console_exe"

mkdir -p "$work/console"
cp "$console_exe" "$work/console/"
status=0
run_wine "$work/console/scenario-builder.exe" >"$work/console.out" 2>"$work/console.err" || status=$?
if [ "$status" = 0 ] && [ ! -s "$work/console.out" ] && [ ! -s "$work/console.err" ]; then
  ok "scenario-builder.exe: silent, exit status 0"
else
  not_ok "scenario-builder.exe: exit status $status" "$(cat "$work/console.out" "$work/console.err")"
fi
same_files_but_exe "scenario-builder.exe beside its files" "$work/linux-run" "$work/console"

# --- compile --json ----------------------------------------------------------
# Each case is a directory of descriptions and the arguments after
# "compile"; both programs run in a copy of it and write into out/.
cases="$work/cases"
new_case() { mkdir -p "$cases/$1"; }
data="$root/src/content/data"

new_case scenario
cp "$data/linea.txt" "$cases/scenario/Lungomare_Nord_linea.txt"
cp "$data/treno.txt" "$cases/scenario/Lungomare_Nord_911-.txt"
args_scenario=(--line Lungomare_Nord_linea.txt --train Lungomare_Nord_911-.txt --out out)

new_case named
cp "$data/linea.txt" "$cases/named/line.txt"
cp "$data/treno.txt" "$cases/named/train.txt"
args_named=(--line line.txt --train train.txt --line-id Lungomare_Nord --train-number 911 --no-profile
            --out out/sub)

new_case station
cp "$data/linea.txt" "$cases/station/Lungomare_Nord_linea.txt"
sed 's/^stazione,    5250,/stazione,    5260,/' "$data/treno.txt" >"$cases/station/Lungomare_Nord_911-.txt"
args_station=(--line Lungomare_Nord_linea.txt --train Lungomare_Nord_911-.txt --out out)

new_case reserved
printf '[generale]\r\nlunghezza percorso, 241000\r\n[curve]\r\n' >"$cases/reserved/R_linea.txt"
printf '[generale]\r\nsegnale, 0, 2, 3, 1, 1, 0, 2, 2,1,1, 0\r\n[fine]\r\n' >"$cases/reserved/R_1-.txt"
args_reserved=(--line R_linea.txt --train R_1-.txt --out out)

new_case missing
printf '[generale]\r\n[fine]\r\n' >"$cases/missing/M_7-.txt"
args_missing=(--line M_linea.txt --train M_7-.txt --out out)

for name in scenario named station reserved missing; do
  declare -n args="args_$name"
  cp -r "$cases/$name" "$work/linux-$name"
  cp -r "$cases/$name" "$work/win-$name"
  linux_status=0
  (cd "$work/linux-$name" && "$linux_exe" compile "${args[@]}" --json >../linux-$name.out 2>../linux-$name.err) ||
    linux_status=$?
  win_status=0
  (cd "$work/win-$name" && run_wine "$console_exe" compile "${args[@]}" --json >../win-$name.out 2>../win-$name.err) ||
    win_status=$?
  # The console ends its lines with CR LF.
  tr -d '\r' <"$work/win-$name.out" >"$work/win-$name.out.lf"
  tr -d '\r' <"$work/win-$name.err" >"$work/win-$name.err.lf"
  label="compile $name (exit $linux_status)"
  if [ "$linux_status" != "$win_status" ]; then
    not_ok "$label: exit status" "linux $linux_status, windows $win_status"
  elif ! cmp -s "$work/linux-$name.out" "$work/win-$name.out.lf"; then
    not_ok "$label: JSON" "linux:   $(cat "$work/linux-$name.out")" "windows: $(cat "$work/win-$name.out.lf")"
  elif ! cmp -s "$work/linux-$name.err" "$work/win-$name.err.lf"; then
    not_ok "$label: stderr" "linux:   $(cat "$work/linux-$name.err")" "windows: $(cat "$work/win-$name.err.lf")"
  else
    ok "$label: same JSON and stderr"
  fi
  same_files_but_exe "compile $name: descriptions and output" "$work/linux-$name" "$work/win-$name"
  unset -n args
done
# The error box is the players' program's: compile says the error in words.
if grep -q '^scenario-builder: error 1250 (' "$work/win-reserved.err.lf" &&
  ! grep -q 'Errore n\.' "$work/win-reserved.err.lf" && grep -q '"errorCode":1250' "$work/win-reserved.out.lf"; then
  ok "compile reserved: scenario-builder.exe reports \"scenario-builder: error 1250\" on stderr, no error box line"
else
  not_ok "compile reserved: \"scenario-builder: error 1250\" on stderr, no error box line" "$(cat "$work/win-reserved.err.lf")"
fi

# --- inspect and render, on the scenario's compiled files --------------------
# Same exit status, same output (CR LF aside) and the same SVG bytes.
same_output() {
  local label=$1
  shift
  local linux_status=0 win_status=0
  (cd "$work/linux-run" && "$linux_exe" "$@" >"$work/l.out" 2>"$work/l.err") || linux_status=$?
  (cd "$work/linux-run" && run_wine "$console_exe" "$@" >"$work/w.out" 2>"$work/w.err") || win_status=$?
  if [ "$linux_status" != "$win_status" ]; then
    not_ok "$label: exit status" "linux $linux_status, windows $win_status"
  elif ! tr -d '\r' <"$work/w.out" | cmp -s "$work/l.out" -; then
    not_ok "$label: stdout differs" "$(tr -d '\r' <"$work/w.out" | cmp "$work/l.out" - 2>&1 | head -1)"
  elif ! tr -d '\r' <"$work/w.err" | cmp -s "$work/l.err" -; then
    not_ok "$label: stderr differs" "linux: $(cat "$work/l.err")" "windows: $(cat "$work/w.err")"
  else
    ok "$label: same output ($(wc -c <"$work/l.out") bytes), exit $linux_status"
  fi
}
for file in Lungomare_Nord_linea.dat Lungomare_Nord_911.sim Lungomare_Nord_911.dat; do
  for format in "" --json --csv; do
    same_output "inspect $format $file" inspect $format "$file"
  done
done
# Each program writes its own picture, beside the compiled files.
render_status=0
(cd "$work/linux-run" && "$linux_exe" render . -o linux.svg) || render_status=$?
(cd "$work/linux-run" && run_wine "$console_exe" render . -o windows.svg) || render_status=$?
if [ "$render_status" = 0 ] && cmp -s "$work/linux-run/linux.svg" "$work/linux-run/windows.svg"; then
  ok "render: SVG byte-identical ($(wc -c <"$work/linux-run/linux.svg") bytes)"
else
  not_ok "render: SVG differs" "exit $render_status; $(cmp "$work/linux-run/linux.svg" "$work/linux-run/windows.svg" 2>&1 | head -1)"
fi
rm -f "$work/linux-run/linux.svg" "$work/linux-run/windows.svg"

# --- the editor server: frames are counted in bytes ---------------------------
# On Windows the standard streams must not turn LF into CR LF, or every
# Content-Length would be wrong: both programs answer the same bytes.
python3 - >"$work/lsp.in" <<'PY'
import json, sys
messages = [{"jsonrpc": "2.0", "id": 1, "method": "initialize", "params": {"capabilities": {}}},
            {"jsonrpc": "2.0", "method": "initialized", "params": {}},
            {"jsonrpc": "2.0", "id": 2, "method": "shutdown"},
            {"jsonrpc": "2.0", "method": "exit"}]
for m in messages:
    body = json.dumps(m).encode()
    sys.stdout.buffer.write(b"Content-Length: %d\r\n\r\n" % len(body) + body)
PY
linux_status=0
"$linux_exe" lsp <"$work/lsp.in" >"$work/l.lsp" || linux_status=$?
win_status=0
run_wine "$console_exe" lsp <"$work/lsp.in" >"$work/w.lsp" || win_status=$?
if [ "$linux_status" = 0 ] && [ "$win_status" = 0 ] && cmp -s "$work/l.lsp" "$work/w.lsp"; then
  ok "lsp: initialize, shutdown and exit answered byte for byte alike ($(wc -c <"$work/l.lsp") bytes)"
else
  not_ok "lsp: answers differ" "exit linux $linux_status, windows $win_status" \
    "$(cmp "$work/l.lsp" "$work/w.lsp" 2>&1 | head -1)"
fi

# --- the editor server on descriptions on disk ---------------------------------
# A folder with a line and two trains, one with an error, the other with a
# warning that points at another of its records. Opened as VS Code names files on
# Windows ("file:///z%3A/tmp/...", the colon encoded), the train alone is
# checked with its line read from disk (no error 101) and the line alone
# with its trains; the Windows program publishes what the Linux one does,
# URIs aside. The folder is reached through Wine's z: (the whole file
# system) and through c: (the prefix's own drive).
lsp_dir=$work/lsp
mkdir -p "$lsp_dir"
cp "$data/linea.txt" "$lsp_dir/Costa_linea.txt"
sed 's/^stazione,    5250,/stazione,    5260,/' "$data/treno.txt" >"$lsp_dir/Costa_42-.txt"
sed 's/^\[fine\]/velocita, 1000, 100\r\n[fine]/' "$data/treno.txt" >"$lsp_dir/Costa_7-.txt"
c_name=sb-lsp-$$
c_dir=$WINEPREFIX/drive_c/$c_name
rm -rf "$c_dir"
cp -r "$lsp_dir" "$c_dir"
lsp_session() {  # lsp_session FOLDER FOLDER_URI OUT COMMAND...
  local folder=$1 uri=$2 out=$3
  shift 3
  timeout -k 5 180 python3 tools/lib/lsp_session.py "$folder" "$uri" Costa_linea.txt Costa_42-.txt -- "$@" \
    >"$out" 2>"$out.err" || echo "{\"session failed\": $?}" >>"$out"
}
lsp_session "$lsp_dir" "file://$lsp_dir" "$work/lsp-linux" "$linux_exe" lsp
lsp_session "$lsp_dir" "file:///z%3A$lsp_dir" "$work/lsp-z" wine "$console_exe" lsp
lsp_session "$c_dir" "file:///c%3A/$c_name" "$work/lsp-c" wine "$console_exe" lsp
rm -rf "$c_dir"
published() {  # published FILE STEP URI: the codes published for URI at STEP
  python3 -c '
import json, sys
for line in open(sys.argv[1]):
    m = json.loads(line)
    if m.get("step") == sys.argv[2] and m["params"]["uri"] == sys.argv[3]:
        print(" ".join(str(d["code"]) for d in m["params"]["diagnostics"]) or "none")' "$@"
}
# An error that ends the reading is followed by the rest it left unread.
check "lsp, Linux: the train opened alone has its own error, and no 101" "8 not-read" \
  "$(published "$work/lsp-linux" "open the train alone" "<folder>/Costa_42-.txt")"
check "lsp, Linux: the line opened alone has its trains checked" "none|8 not-read|out-of-order" \
  "$(for f in Costa_linea.txt Costa_42-.txt Costa_7-.txt; do
       published "$work/lsp-linux" "open the line alone" "<folder>/$f"; done | tr '\n' '|' | sed 's/|$//')"
for drive in z c; do
  label="lsp, Windows program, file:///$drive%3A/... URIs"
  if cmp -s "$work/lsp-linux" "$work/lsp-$drive"; then
    ok "$label: the same diagnostics as on Linux, companions read from disk ($(wc -l <"$work/lsp-$drive") messages)"
  else
    not_ok "$label: diagnostics differ from Linux" "$(diff "$work/lsp-linux" "$work/lsp-$drive" | head -8)" \
      "$(head -c 300 "$work/lsp-$drive.err")"
  fi
done

# --- the window and the message box ------------------------------------------
cp "$probe_exe" "$work/"
# The probe is a console program: its lines end with CR LF, which
# expect_lines reads as LF.
hold=0
if ((screenshot)); then hold=3; fi
run_wine "$work/gui_probe.exe" window "$hold" >"$work/window.out" 2>&1 &
probe=$!
if ((screenshot)); then
  for _ in $(seq 1 100); do
    grep -q '^ready' "$work/window.out" && break
    sleep 0.2
  done
  sleep 0.5
  # The window with a margin of the desktop around it.
  IFS=, read -r x y w h < <(tr -d '\r' <"$work/window.out" | sed -n 's/^form.screen=//p')
  import -window root -crop "$((w + 24))x$((h + 24))+$((x - 12))+$((y - 12))" +repage "$root/docs/windows-window.png"
  echo "saved docs/windows-window.png"
fi
status=0
wait "$probe" || status=$?
expect_lines "window: Form1, 280 x 179, Label1 \"Attendere\" at 64,64, 177 x 53, MS Sans Serif 24 bold" \
  "$work/window.out" \
  "form.title=Lungomare Nord" "form.visible=1" "form.client=280x179" "form.controls=1" \
  "label.id=1" "label.class=Static" "label.text=Attendere" "label.rect=64,64,177,53" \
  "label.font=MS Sans Serif" "label.points=24" "label.weight=700" "ready" "form.after=gone"
if [ "$status" = 0 ] && grep -q '^label.dark-pixels=[1-9]' "$work/window.out"; then
  ok "window: painted before the work starts, removed at the end"
else
  not_ok "window: painted before the work starts" "exit $status; $(grep dark-pixels "$work/window.out")"
fi

run_wine "$work/gui_probe.exe" errore 1250 >"$work/errore.out" 2>&1 &
reporter=$!
close_status=0
run_wine "$work/gui_probe.exe" close-box 60 >"$work/box.out" 2>&1 || close_status=$?
# A box the probe could not close would keep the program waiting.
if [ "$close_status" != 0 ]; then wineserver -k >/dev/null 2>&1 || true; fi
status=0
wait "$reporter" || status=$?
expect_lines "message box: \" Errore n. 1250\", OK only, no icon, the program's title, over Form1" \
  "$work/box.out" \
  "box.title=Lungomare Nord" "box.text=[ Errore n. 1250]" "box.button=OK" "box.buttons=1" "box.icons=0" \
  "box.owner=Form1" "box closed"
if [ "$close_status" = 0 ] && [ "$status" = 2 ] && tr -d '\r' <"$work/errore.out" | grep -qx 'errore returned'; then
  ok "message box: waits to be closed, then the run ends with exit status 2"
else
  not_ok "message box: closing it ends the run" "probe $close_status, program $status: $(cat "$work/errore.out")"
fi

echo "players' program under Wine: ${players_ms} ms (Wine's start included)"
echo "exe sizes: $(stat -c '%n %s' "$console_exe" "$players_exe" | sed "s|$win_dir/||" | tr '\n' ' ')"
checks_summary windows
