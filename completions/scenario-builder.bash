# Bash completion for scenario-builder (installed as
# /usr/share/bash-completion/completions/scenario-builder).
# Offers the commands and their options, and for a file argument only the
# files that fit it: line descriptions after --line, train descriptions after
# --train, descriptions after fmt, compiled files after inspect, folders
# where a folder is asked for.

# The warnings -W<id> and -Wno-<id> take, as `compile --help` lists them.
_scenario_builder_warnings="extra-values missing-values not-a-number unknown-record
hyphen-keyword hyphen-run no-general-section no-line-length no-start-record
out-of-order value-range past-line-end replaced-feature text-encoding curve-keyword
time-range time-order unkeepable-time traction short-stop-zone"

# Folders, and the files that match one of the patterns given (ext globs).
_scenario_builder_files() {
  local cur=$1 pattern
  shift
  local IFS=$'\n'
  COMPREPLY=($(compgen -d -- "$cur"))
  for pattern in "$@"; do
    COMPREPLY+=($(compgen -f -X "!$pattern" -- "$cur"))
  done
  compopt -o filenames 2>/dev/null
}

_scenario_builder() {
  local cur prev words cword split
  if declare -F _init_completion >/dev/null; then
    # -s: "--line=FILE" completes FILE as "--line FILE" would.
    _init_completion -s || return
  else
    cur=${COMP_WORDS[COMP_CWORD]}
    prev=${COMP_WORDS[COMP_CWORD - 1]}
    words=("${COMP_WORDS[@]}")
    cword=$COMP_CWORD
  fi

  local command="" i
  for ((i = 1; i < cword; i++)); do
    case ${words[i]} in
      compile | build | timetable | new | fmt | inspect | render | lsp) command=${words[i]}; break ;;
    esac
  done

  case $prev in
    --line) _scenario_builder_files "$cur" '*_linea.txt'; return ;;
    --train) _scenario_builder_files "$cur" '*-.txt'; return ;;
    --dir | --out) _scenario_builder_files "$cur"; return ;;
    -o | --output) _scenario_builder_files "$cur" '*.svg'; return ;;
    --line-id | --train-number) return ;;
  esac

  local options="" id
  case $command in
    "") options="--dir --help --version" ;;
    compile)
      options="--line --train --line-id --train-number --out --no-profile --json --quiet --werror --help"
      if [[ $cur == -W* ]]; then
        for id in $_scenario_builder_warnings; do options+=" -W$id -Wno-$id"; done
      fi
      ;;
    build)
      options="--out --json --quiet --werror --help"
      if [[ $cur == -W* ]]; then
        for id in $_scenario_builder_warnings; do options+=" -W$id -Wno-$id"; done
      fi
      ;;
    timetable)
      options="--json --csv --werror --help"
      if [[ $cur == -W* ]]; then
        for id in $_scenario_builder_warnings; do options+=" -W$id -Wno-$id"; done
      fi
      ;;
    new) options="--dir --help" ;;
    fmt) options="--check --help" ;;
    inspect) options="--json --csv --help" ;;
    render) options="-o --output --line-id --train-number --help" ;;
    lsp) options="--help" ;;
  esac
  if [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W "$options" -- "$cur"))
    return
  fi

  case $command in
    "") COMPREPLY=($(compgen -W "compile build timetable new fmt inspect render lsp" -- "$cur")) ;;
    fmt) _scenario_builder_files "$cur" '*_linea.txt' '*-.txt' ;;
    inspect) _scenario_builder_files "$cur" '*.sim' '*.dat' ;;
    render | build | timetable) _scenario_builder_files "$cur" ;;
  esac
}
complete -F _scenario_builder scenario-builder scenario-builder.exe
