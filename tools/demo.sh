#!/usr/bin/env bash
# Runs the demo scenarios without a window: installs what is missing, builds, registers the
# component and the database client, makes sure the sample database exists, then runs
#   TalmoDemo --headless connect test pokus
# and prints its log. Extra arguments go to TalmoDemo after --headless (for example
# "--orders 30 connect test").
#
# The demo works on its own copy of the sample database (build/demo/sample.db, made once),
# so bin/sample.db stays as built for the tests. Safe to run again: each run adds three more
# orders (continuing the numbers) and processes the next 20 item ledger entries.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/deps.sh"
# Only what the demo needs (the program pulls in the component, the client and the sample
# database); the tests build everything else.
dir=$("$root/tools/build.sh" release TalmoDemo talmo-regsvr talmo-dbtool)
bin=$dir/bin

export TALMO_REGISTRY=$dir/registry.ini
"$bin/talmo-regsvr" /s "$bin/libTalmo.so" "$bin/libDbClient.so"

[[ -f $bin/sample.db ]] || "$bin/talmo-dbtool" create "$bin/sample.db" --sample

data=$dir/demo
mkdir -p "$data"
[[ -f $data/sample.db ]] || cp "$bin/sample.db" "$data/sample.db"
# The component's own Talmo.ini with the database pointed at the demo's copy.
sed "s|^Database=.*|Database=$data/sample.db|" "$bin/Talmo.ini" > "$data/Talmo.ini"

commands=("$@")
((${#commands[@]})) || commands=(connect test pokus)
echo "== TalmoDemo --headless ${commands[*]} (database $data/sample.db) =="
"$bin/TalmoDemo" --ini "$data/Talmo.ini" --headless "${commands[@]}"
