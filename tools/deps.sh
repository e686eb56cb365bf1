#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, when missing.
set -euo pipefail
packages=(cmake ninja-build g++ pkg-config libsqlite3-dev sqlite3 libsodium-dev libgtest-dev
          libgmock-dev libbenchmark-dev qt6-base-dev libgl-dev postgresql libpq-dev
          python3-dev pybind11-dev python3-pytest clang-16 libclang-rt-16-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  if [[ $(id -u) -ne 0 ]]; then
    echo "Missing packages: ${missing[*]} (run as root, or install them first)" >&2
    exit 1
  fi
  echo "Installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi
