#!/usr/bin/env bash
# Builds the benchmarks in release and runs them; prints the machine line and the table.
#   tools/bench.sh [talmo-bench options]     e.g. --quick, --calls, --memory 10000
# The build folder is build-bench beside the sources ($TALMO_BENCH_DIR to choose another).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/deps.sh"
dir=${TALMO_BENCH_DIR:-$root/build-bench}
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O3 -DNDEBUG" >/dev/null
cmake --build "$dir" -j "${TALMO_JOBS:-2}" --target talmo-bench >&2
exec "$dir/bin/talmo-bench" "$@"
