#!/usr/bin/env bash
# Tests the packages as users get them:
#   - the Debian package (preset release, cpack -G DEB): its fields and files,
#     installed with apt-get, the installed program's scenario run against the
#     pinned sums (tests/golden/scenario.sha256), its manual page, its bash
#     completion, the VS Code extension it carries (linux-x64, the program
#     inside); then removed again;
#   - the Windows zip (preset windows, cpack -G ZIP): its files, the VS Code
#     extension it carries (win32-x64, the zip's own scenario-builder.exe
#     inside), unpacked into an empty folder and the players' program run
#     there under Wine.
# Each extension is packaged first (tools/vscode-package.sh; Node.js 20).
# Prints each package's size and listing, a line per check (tools/lib/checks.sh)
# and their counts; any failed check fails the script.
# Usage: tools/release-test.sh [--linux-only]
# Installs its Debian packages first and installs, then removes, the package
# it built (apt-get; root or sudo).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
source tools/lib/checks.sh

windows=1
case "${1:-}" in
  "") ;;
  --linux-only) windows=0 ;;
  *) echo "usage: $0 [--linux-only]" >&2; exit 64 ;;
esac

extra=()
if ((windows)); then extra=(g++-mingw-w64-x86-64-posix wine wine64 xvfb xauth unzip); fi
tools/deps.sh bash-completion man-db groff-base dpkg-dev unzip "${extra[@]}"
tools/vscode-package.sh --check-node
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"

version=$(sed -n 's/^project([^)]*VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
scenario_files="Lungomare_Nord_911.dat Lungomare_Nord_911.sim Lungomare_Nord_911_note.txt
Lungomare_Nord_911_rallentamenti.txt Lungomare_Nord_911_scheda_treno.txt Lungomare_Nord_linea.dat"

work=$(mktemp -d)
installed=0
cleanup() {
  if ((installed)); then $sudo_cmd apt-get remove -y -qq scenario-builder >/dev/null 2>&1 || true; fi
  if ((windows)); then wineserver -k >/dev/null 2>&1 || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

# The six files of the scenario run in DIR, the compiled ones with the
# pinned bytes.
check_scenario() {
  local label=$1 dir=$2
  check "$label: the six files" "$(echo $scenario_files)" \
    "$(cd "$dir" && ls $scenario_files 2>/dev/null | sort | tr '\n' ' ' | sed 's/ $//')"
  check_pinned_sums "$label: compiled files with the pinned sums" "$dir"
}

# A .vsix's platform and its program, unpacked into DIR.
check_vsix() {  # check_vsix LABEL VSIX TARGET DIR
  local label=$1 vsix=$2 target=$3 dir=$4
  mkdir -p "$dir"
  unzip -q -o "$vsix" -d "$dir"
  check "$label: made for $target" "TargetPlatform=\"$target\"" \
    "$(grep -o 'TargetPlatform="[^"]*"' "$dir/extension.vsixmanifest")"
}

# --- the Debian package -------------------------------------------------------
cmake --preset release >/dev/null
cmake --build --preset release -j2
tools/vscode-package.sh linux-x64 build/release/scenario-builder >/dev/null
rm -rf build/release/packages
cpack -G DEB --config build/release/CPackConfig.cmake -B build/release/packages >"$work/cpack.log" ||
  { cat "$work/cpack.log"; exit 1; }
deb=build/release/packages/scenario-builder_${version}_amd64.deb
if [ ! -f "$deb" ]; then
  not_ok "cpack -G DEB made $deb" "$(ls build/release/packages)"
  exit 1
fi

field() { dpkg-deb -f "$deb" "$1"; }
check "deb: version is the project's" "$version" "$(field Version)"
check "deb: section" games "$(field Section)"
[ -n "$(field Maintainer)" ] && [ -n "$(field Description)" ] && ok "deb: maintainer and description" ||
  not_ok "deb: maintainer and description" "$(dpkg-deb -I "$deb")"
case "$(field Depends)" in
  *libc6*libstdc++6* | *libstdc++6*libc6*) ok "deb: dependencies from dpkg-shlibdeps: $(field Depends)" ;;
  *) not_ok "deb: dependencies from dpkg-shlibdeps" "$(field Depends)" ;;
esac

vsix_name=scenario-builder-linux-x64-$version.vsix
want="./usr/bin/scenario-builder
./usr/share/bash-completion/completions/scenario-builder
./usr/share/doc/scenario-builder/authors.md
./usr/share/man/man1/scenario-builder.1.gz
./usr/share/scenario-builder/$vsix_name"
dpkg-deb -c "$deb" >"$work/deb-listing"
check "deb: its files" "$want" "$(awk '$1 !~ /^d/ {print $6}' "$work/deb-listing" | sort)"
check "deb: nothing outside /usr" "" "$(awk '{print $6}' "$work/deb-listing" | grep -v -e '^\./$' -e '^\./usr/' || true)"

# --- installed ------------------------------------------------------------------
DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "$root/$deb" >"$work/apt.log" 2>&1 ||
  { cat "$work/apt.log"; exit 1; }
installed=1
check "installed: /usr/bin/scenario-builder --version" "$(build/release/scenario-builder --version)" \
  "$(/usr/bin/scenario-builder --version)"
case "$(/usr/bin/scenario-builder --version)" in
  "scenario-builder $version" | "scenario-builder $version"[-+]*) ok "installed: --version names $version" ;;
  *) not_ok "installed: --version names $version" "$(/usr/bin/scenario-builder --version)" ;;
esac

mkdir "$work/run"
status=0
(cd "$work" && /usr/bin/scenario-builder --dir run >"$work/run.out" 2>&1) || status=$?
check "installed: the scenario run, exit status and output" "0 " "$status $(cat "$work/run.out")"
check_scenario "installed: the scenario run into an empty folder" "$work/run"

man_out=$(MANPAGER=cat MANWIDTH=80 man scenario-builder 2>"$work/man.err")
check "installed: man scenario-builder, no stderr" "" "$(cat "$work/man.err")"
case "$man_out" in
  *"SCENARIO-BUILDER(1)"*"EXIT STATUS"*"authors.md"*) ok "installed: man scenario-builder renders the page" ;;
  *) not_ok "installed: man scenario-builder renders the page" "$(echo "$man_out" | head -5)" ;;
esac
man --warnings -l build/release/package/scenario-builder.1 >/dev/null 2>"$work/man.err" || true
check "manual page: man --warnings has nothing to say" "" "$(cat "$work/man.err")"
man --warnings scenario-builder >/dev/null 2>"$work/man.err" || true
check "installed manual page: man --warnings has nothing to say" "" "$(cat "$work/man.err")"

check_vsix "installed: $vsix_name" "/usr/share/scenario-builder/$vsix_name" linux-x64 "$work/vsix-linux"
check "installed: $vsix_name: its program runs and is the package's" \
  "$(/usr/bin/scenario-builder --version)" "$("$work/vsix-linux/extension/server/scenario-builder" --version 2>&1)"

check "installed: dpkg -L lists nothing outside /usr" "" \
  "$(dpkg -L scenario-builder | grep -v -e '^/\.$' -e '^/usr$' -e '^/usr/' || true)"

# --- bash completion, as bash-completion loads it ---------------------------------
# The candidates offered for LINE (the word being completed ends it), sorted,
# on one line, in a folder with one file of each kind.
mkdir -p "$work/complete/out" "$work/complete/old"
touch "$work/complete/"{Costa_linea.txt,Costa_42-.txt,notes.txt,Costa_linea.dat,Costa_42.sim,Costa_42.dat,plan.svg}
complete_line() {
  (cd "$work/complete" && LINE=$1 bash --norc --noprofile -c '
    source /usr/share/bash-completion/bash_completion
    __load_completion scenario-builder || exit 1
    read -ra COMP_WORDS <<<"$LINE"
    [[ $LINE == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE=$LINE
    COMP_POINT=${#LINE}
    function=$(complete -p scenario-builder | sed "s/.*-F \([^ ]*\) .*/\1/")
    "$function" scenario-builder "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf "%s\n" "${COMPREPLY[@]}" | sort | tr "\n" " " | sed "s/ $//"')
}
complete_case() {  # complete_case LINE EXPECTED
  check "completion: '$1'" "$2" "$(complete_line "$1")"
}
complete_case "scenario-builder " "build compile fmt inspect lsp new render timetable"
complete_case "scenario-builder fmt C" "Costa_42-.txt Costa_linea.txt"
complete_case "scenario-builder --" "--dir --help --version"
complete_case "scenario-builder compile --line " "Costa_linea.txt old out"
complete_case "scenario-builder compile --line Costa_linea.txt --train " "Costa_42-.txt old out"
complete_case "scenario-builder compile --line C" "Costa_linea.txt"
complete_case "scenario-builder compile --line=C" "Costa_linea.txt"
complete_case "scenario-builder compile --out " "old out"
complete_case "scenario-builder --dir o" "old out"
complete_case "scenario-builder compile --no" "--no-profile"
complete_case "scenario-builder compile -Wno-hyphen" "-Wno-hyphen-keyword -Wno-hyphen-run"
complete_case "scenario-builder compile -Wv" "-Wvalue-range"
complete_case "scenario-builder inspect " "Costa_42.dat Costa_42.sim Costa_linea.dat old out"
complete_case "scenario-builder render " "old out"
complete_case "scenario-builder render out -o " "old out plan.svg"
# The identifiers the completion offers are those compile --help lists.
listed=$(/usr/bin/scenario-builder compile --help | sed -n 's/^  \([a-z-]*\): .*/\1/p')
unnamed=""
for id in $listed; do grep -qw -- "$id" <<<"$man_out" || unnamed+="$id "; done
check "manual page: names every warning compile --help lists" "" "$unnamed"
check "completion: -W offers -W<id> and -Wno-<id> for each warning compile --help lists" \
  "$(for id in $listed; do echo "-W$id"; echo "-Wno-$id"; done | sort -u | tr '\n' ' ' | sed 's/ $//')" \
  "$(complete_line "scenario-builder compile -W" | tr ' ' '\n' | sort -u | tr '\n' ' ' | sed 's/ $//')"

# --- removed ------------------------------------------------------------------------
DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get remove -y -qq scenario-builder >"$work/apt.log" 2>&1 ||
  { cat "$work/apt.log"; exit 1; }
installed=0
if [ ! -e /usr/bin/scenario-builder ] && [ ! -e /usr/share/man/man1/scenario-builder.1.gz ]; then
  ok "removed: /usr/bin/scenario-builder and its manual page are gone"
else
  not_ok "removed: files left" "$(ls -l /usr/bin/scenario-builder /usr/share/man/man1/scenario-builder.1.gz 2>&1)"
fi

echo
echo "== $(basename "$deb"): $(stat -c %s "$deb") bytes"
cat "$work/deb-listing"

# --- the Windows zip ------------------------------------------------------------------
if ((windows)); then
  cmake --preset windows >/dev/null
  cmake --build --preset windows -j2
  tools/vscode-package.sh win32-x64 build/windows/scenario-builder.exe >/dev/null
  rm -rf build/windows/packages
  cpack -G ZIP --config build/windows/CPackConfig.cmake -B build/windows/packages >"$work/cpack.log" ||
    { cat "$work/cpack.log"; exit 1; }
  zip_name=scenario-builder-$version-windows
  zip=build/windows/packages/$zip_name.zip
  if [ ! -f "$zip" ]; then
    not_ok "cpack -G ZIP made $zip" "$(ls build/windows/packages)"
    exit 1
  fi
  unzip -Z1 "$zip" | grep -v '/$' | sort >"$work/zip-files"
  check "zip: its files" \
    "$(printf "$zip_name/%s\n" Lungomare_Nord.exe README.txt authors.md scenario-builder.exe \
      "scenario-builder-win32-x64-$version.vsix" | sort)" \
    "$(cat "$work/zip-files")"
  mkdir "$work/players"
  unzip -q "$zip" -d "$work/players"
  folder=$work/players/$zip_name
  if grep -q "scenario builder $version" "$folder/README.txt" && [ "$(grep -c $'\r$' "$folder/README.txt")" = "$(wc -l <"$folder/README.txt")" ]; then
    ok "zip: README.txt names the version, lines end with CR LF"
  else
    not_ok "zip: README.txt names the version, lines end with CR LF" "$(head -2 "$folder/README.txt" | od -c | head -3)"
  fi

  win_vsix=scenario-builder-win32-x64-$version.vsix
  check_vsix "zip: $win_vsix" "$folder/$win_vsix" win32-x64 "$work/vsix-windows"
  if cmp -s "$folder/scenario-builder.exe" "$work/vsix-windows/extension/server/scenario-builder.exe"; then
    ok "zip: $win_vsix holds the zip's own scenario-builder.exe"
  else
    not_ok "zip: $win_vsix holds the zip's own scenario-builder.exe" \
      "$(ls -l "$work/vsix-windows/extension/server/" 2>&1)"
  fi
  if tr -d '\r' <"$folder/README.txt" | grep -qxF "    code --install-extension $win_vsix" &&
    grep -q 'Install from VSIX' "$folder/README.txt"; then
    ok "zip: README.txt tells how to install $win_vsix"
  else
    not_ok "zip: README.txt tells how to install $win_vsix"
  fi

  # The prefix tools/windows-test.sh prepares, when it has; otherwise one of
  # our own, which Wine makes as it starts.
  export WINEPREFIX="${SB_WINEPREFIX:-$root/build/windows/wineprefix}"
  [ -f "$WINEPREFIX/.sb-configured" ] || export WINEPREFIX=$root/build/windows/wineprefix-release
  export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  status=0
  (cd "$folder" && timeout -k 5 300 xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" \
    wine ./Lungomare_Nord.exe >"$work/wine.log" 2>&1) || status=$?
  check "zip: the players' program exits with 0 under Wine" 0 "$status"
  check_scenario "zip: the players' program in the unpacked folder" "$folder"
  check "zip: the folder holds the package's files and the scenario's, nothing else" \
    "$(printf '%s\n' Lungomare_Nord.exe README.txt authors.md scenario-builder.exe "$win_vsix" $scenario_files | sort)" \
    "$(cd "$folder" && ls | sort)"

  echo
  echo "== $(basename "$zip"): $(stat -c %s "$zip") bytes"
  unzip -l "$zip"
fi

checks_summary release
