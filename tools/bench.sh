#!/usr/bin/env bash
# Builds the benchmarks in release and runs them; prints the machine line and the table.
#   tools/bench.sh [talmo-bench options]     e.g. --quick, --calls, --memory 10000
#   tools/bench.sh --server [options]        the server workloads on a throwaway PostgreSQL
#                                            server that the script starts and removes
# The build folder is build-bench beside the sources ($TALMO_BENCH_DIR to choose another).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/deps.sh"
dir=${TALMO_BENCH_DIR:-$root/build-bench}
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O3 -DNDEBUG" >/dev/null
cmake --build "$dir" -j "${TALMO_JOBS:-2}" --target talmo-bench >&2
args=("$@")
if [[ ${1:-} == --server && ( $# -eq 1 || ${2:-} == --* ) ]]; then
  server=$(mktemp -d /tmp/talmo-bench-pg.XXXXXX)
  rmdir "$server"
  trap 'bash "$root/tools/pg-server.sh" stop "$server"' EXIT
  bash "$root/tools/pg-server.sh" start "$server" >/dev/null
  args=(--server "$server" "${@:2}")
fi
"$dir/bin/talmo-bench" "${args[@]}"
