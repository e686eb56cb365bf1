#!/usr/bin/env bash
# Runs the demo scenarios against a throwaway PostgreSQL server: installs what is missing,
# builds, starts a server in a temporary folder (tools/pg-server.sh), creates the sample
# company in its database talmo_sample, runs
#   TalmoDemo --headless connect test pokus
# with a Talmo.ini pointing at that server, shows with psql what the run wrote, and stops
# and removes the server. Extra arguments go to TalmoDemo after --headless, as for
# tools/demo.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/deps.sh"
dir=$("$root/tools/build.sh" release)
bin=$dir/bin

export TALMO_REGISTRY=$dir/registry.ini
"$bin/talmo-regsvr" /s "$bin/libTalmo.so" "$bin/libDbClient.so"

server=$(mktemp -d /tmp/talmo-demo-pg.XXXXXX)
rmdir "$server"
trap 'bash "$root/tools/pg-server.sh" stop "$server"' EXIT
# shellcheck disable=SC1090
. "$(bash "$root/tools/pg-server.sh" start "$server")"
export PGPASSWORD=$TALMO_PG_PASSWORD
"$bin/talmo-dbtool" create --server "$TALMO_PG_HOST:$TALMO_PG_PORT" --net-type tcp \
  --user "$TALMO_PG_USER" --database talmo_sample --sample | head -n 1

data=$dir/demo-server
mkdir -p "$data"
cat > "$data/Talmo.ini" <<EOF
[Database]
LibPath=$bin
UserID=$TALMO_PG_USER
Password=$TALMO_PG_PASSWORD
Server=$TALMO_PG_HOST:$TALMO_PG_PORT
NetType=tcp
Database=talmo_sample
Cache=
CompanyName=Talmo Sample
CommitCache=Yes
EOF

commands=("$@")
((${#commands[@]})) || commands=(connect test pokus)
echo "== TalmoDemo --headless ${commands[*]} (server $TALMO_PG_HOST:$TALMO_PG_PORT) =="
"$bin/TalmoDemo" --ini "$data/Talmo.ini" --headless "${commands[@]}"

# What psql sees: the run's orders (table 36), their lines (37) and its customers (18) in the
# company's tables (c<company id>_t<table number>).
company=$(psql -h "$TALMO_PG_HOST" -p "$TALMO_PG_PORT" -U "$TALMO_PG_USER" -d talmo_sample -tAc \
  "SELECT id FROM talmo_companies WHERE name = 'Talmo Sample'")
echo "== psql: the newest sales orders, their lines and the customers =="
psql -h "$TALMO_PG_HOST" -p "$TALMO_PG_PORT" -U "$TALMO_PG_USER" -d talmo_sample -P pager=off \
  -c "SELECT f3 AS order_no, f2 AS customer FROM c${company}_t36 ORDER BY f3 DESC LIMIT 5" \
  -c "SELECT f3 AS order_no, count(*) AS lines, sum(f29) AS amount FROM c${company}_t37
      GROUP BY f3 ORDER BY f3 DESC LIMIT 5" \
  -c "SELECT count(*) AS customers FROM c${company}_t18"
