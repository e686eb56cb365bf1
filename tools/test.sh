#!/usr/bin/env bash
# Runs every test: the plain build, then the same suite under ASan and UBSan, then the fuzz
# targets: their corpus once, and TALMO_FUZZ_SECONDS (20) of fuzzing each.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/deps.sh"
for flavour in release sanitize; do
  dir=$("$root/tools/build.sh" "$flavour")
  echo "== tests ($flavour) =="
  # LC_ALL=C: the regional settings are en-US whatever the user's; tests of other settings
  # choose them themselves.
  (cd "$dir" && ASAN_OPTIONS=detect_leaks=1 QT_QPA_PLATFORM=offscreen LC_ALL=C \
     ctest --output-on-failure -j "${TALMO_JOBS:-2}")
done
echo "== fuzz =="
LC_ALL=C "$root/tools/fuzz.sh" replay
LC_ALL=C "$root/tools/fuzz.sh" time "${TALMO_FUZZ_SECONDS:-20}"
