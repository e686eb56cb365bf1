#!/usr/bin/env bash
# Configures and builds one flavour: tools/build.sh [release|sanitize] [TARGET...]; without
# targets it builds everything. Prints the build dir.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
flavour=${1:-release}
case "$flavour" in
  release)  dir=$root/build;          flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  sanitize) dir=$root/build-sanitize; flags=(-DCMAKE_BUILD_TYPE=Debug -DTALMO_SANITIZE=ON) ;;
  *) echo "usage: $0 [release|sanitize] [TARGET...]" >&2; exit 2 ;;
esac
shift $(($# > 0 ? 1 : 0))
targets=()
(($#)) && targets=(--target "$@")
cmake -S "$root" -B "$dir" -G Ninja "${flags[@]}" >/dev/null
cmake --build "$dir" -j "${TALMO_JOBS:-2}" "${targets[@]}" >&2
echo "$dir"
