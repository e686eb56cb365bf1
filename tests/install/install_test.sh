#!/usr/bin/env bash
# Installs the build into a temporary prefix, registers the installed component with the
# installed talmo-regsvr, makes a sample database with the installed talmo-dbtool, then
# builds talmo-consumer outside the tree against the installed Talmo, once with CMake
# (find_package) and once with pkg-config, and checks what both print.
#   install_test.sh BUILD_DIR CONSUMER_SOURCES LIBDIR
# CXXFLAGS and LDFLAGS reach both builds (the sanitizer build passes its flags so). With
# TALMO_PYTHON (the interpreter) and TALMO_PYTHON_DIR (the module's folder in the prefix) the
# installed Python module connects too; TALMO_PYTHON_PRELOAD goes to its LD_PRELOAD.
set -euo pipefail
build=$1 sources=$2 libdir=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null
components=$prefix/$libdir/talmo
export TALMO_REGISTRY=$work/registry.ini
"$prefix/bin/talmo-regsvr" /s "$components/libTalmo.so" "$components/libDbClient.so"
"$prefix/bin/talmo-dbtool" create "$work/sample.db" --sample >/dev/null
printf '[Database]\nLibPath=%s\nDatabase=%s\nCompanyName=Talmo Sample\n' \
  "$components" "$work/sample.db" > "$work/Talmo.ini"

cmake -S "$sources" -B "$work/cmake-build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/cmake-build" >/dev/null
"$work/cmake-build/talmo-consumer" "$work/Talmo.ini" > "$work/cmake.out"

export PKG_CONFIG_PATH=$prefix/$libdir/pkgconfig
# shellcheck disable=SC2046,SC2086  # the flags are lists of words
c++ -std=c++20 ${CXXFLAGS:-} $(pkg-config --cflags talmo-automation) "$sources/main.cpp" \
  -o "$work/pkg-config-consumer" ${LDFLAGS:-} $(pkg-config --libs talmo-automation) \
  -Wl,-rpath,"$prefix/$libdir"
"$work/pkg-config-consumer" "$work/Talmo.ini" > "$work/pkg-config.out"

fail() { echo "FAILED: $*" >&2; echo "--- output:" >&2; cat "$work/cmake.out" >&2; exit 1; }
[[ $(head -n 1 "$work/cmake.out") == "Talmo Sample" ]] || fail "the company is not Talmo Sample"
# The client's Czech message from the installed fin.etx, with the table's name filled in
# (its text ends with a line break of its own).
tr -d '\r' < "$work/cmake.out" | grep -qxF "Tabulka Neznámá neexistuje." ||
  fail "the client's message from fin.etx is missing"
(($(wc -l < "$work/cmake.out") > 3)) || fail "no items were listed"
cmp -s "$work/cmake.out" "$work/pkg-config.out" || fail "the pkg-config build printed otherwise"
if [[ -n ${TALMO_PYTHON:-} ]]; then
  company=$(LD_PRELOAD=${TALMO_PYTHON_PRELOAD:-} ASAN_OPTIONS=detect_leaks=0 \
    PYTHONPATH=$prefix/$TALMO_PYTHON_DIR "$TALMO_PYTHON" -c '
import sys, talmo
db = talmo.CreateObject("Talmo.Database")
db.AutoConnect(sys.argv[1])
print(db.CompanyName())
db.Disconnect(1)' "$work/Talmo.ini")
  [[ $company == "Talmo Sample" ]] || fail "the installed Python module printed \"$company\""
fi
echo "installed tree: $(find "$prefix" -type f | wc -l) files; both outside builds ran"
