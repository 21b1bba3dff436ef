#!/usr/bin/env bash
# Installs the Debian packages the build needs, when any is missing.
set -euo pipefail
packages=(g++ cmake ninja-build clang-tidy-14 libgtest-dev libgmock-dev libcli11-dev nlohmann-json3-dev libtomlplusplus-dev libpugixml-dev python3-jsonschema neovim "$@")
# Node.js and npm build the editor extension; a machine that has them from
# elsewhere keeps its own.
command -v npm >/dev/null 2>&1 || packages+=(nodejs npm)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}" >&2
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}" >/dev/null
fi
