#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ (clang 16, libFuzzer, ASan + UBSan) into build-fuzz/ and
# runs them, one target after another with one job each:
#   tools/fuzz.sh replay                  every file of fuzz/corpus/<target> once
#   tools/fuzz.sh time SECONDS [TARGET..] fuzz each target for SECONDS
#   tools/fuzz.sh runs COUNT [TARGET..]   fuzz each target for COUNT executions
# Fuzzing starts from the checked-in corpus and keeps what it finds in build-fuzz/corpus/
# (never in fuzz/corpus/, which stays small); a crashing input lands in build-fuzz/crashes/
# and the script fails. Each run ends with libFuzzer's statistics (stat::number_of_executed_units).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$root/build-fuzz
usage="usage: $0 replay [TARGET...] | time SECONDS [TARGET...] | runs COUNT [TARGET...]"
mode=${1:-replay}
amount=
(($#)) && shift
case "$mode" in
  replay) ;;
  time | runs)
    amount=${1:?$usage}
    shift
    if [[ $mode == time ]]; then limit=(-max_total_time="$amount"); else limit=(-runs="$amount"); fi
    ;;
  *) echo "$usage" >&2; exit 2 ;;
esac
targets=("$@")
((${#targets[@]})) || targets=(filter_fuzzer etx_fuzzer ini_fuzzer variant_text_fuzzer)

cmake -S "$root" -B "$dir" -G Ninja -DTALMO_FUZZ=ON -DTALMO_BUILD_DEMO=OFF -DTALMO_BUILD_PYTHON=OFF \
  -DCMAKE_C_COMPILER=clang-16 -DCMAKE_CXX_COMPILER=clang++-16 -DCMAKE_BUILD_TYPE= \
  -DCMAKE_C_FLAGS="-O2 -g" -DCMAKE_CXX_FLAGS="-O2 -g" >/dev/null
cmake --build "$dir" --target talmo_fuzzers -j "${TALMO_JOBS:-2}" >&2

# The targets write their scratch files under TMPDIR: keep them in memory where possible.
if [[ -d /dev/shm && -w /dev/shm ]]; then export TMPDIR=/dev/shm; fi
# Use-after-return detection costs most of the time of inputs that raise automation errors.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:detect_stack_use_after_return=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
for target in "${targets[@]}"; do
  seeds=$root/fuzz/corpus/$target
  echo "== $target ($mode${amount:+ $amount}) =="
  if [[ $mode == replay ]]; then
    "$dir/bin/$target" -runs=0 -artifact_prefix="$dir/" "$seeds"
    continue
  fi
  # Inputs no longer than the texts each parser is meant for: longer ones only slow it down.
  case "$target" in
    etx_fuzzer) max_len=1024 ;;
    ini_fuzzer) max_len=2048 ;;
    variant_text_fuzzer) max_len=256 ;;
    *) max_len=4096 ;;
  esac
  corpus=$dir/corpus/$target
  crashes=$dir/crashes/$target
  mkdir -p "$corpus" "$crashes"
  "$dir/bin/$target" "${limit[@]}" -max_len=$max_len -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$crashes/" "$corpus" "$seeds"
done
