#!/usr/bin/env bash
# The test suite's server: server_fixture.sh start|stop DIR [DBTOOL]. start (re)creates a
# throwaway server in DIR and, with DBTOOL, the sample company in its database talmo_sample,
# which tests copy; stop removes it.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
command=$1
dir=$2
case "$command" in
  start)
    bash "$root/tools/pg-server.sh" stop "$dir"
    env_file=$(bash "$root/tools/pg-server.sh" start "$dir")
    if (($# > 2)); then
      # shellcheck disable=SC1090
      . "$env_file"
      PGPASSWORD=$TALMO_PG_PASSWORD "$3" create --server "$TALMO_PG_HOST:$TALMO_PG_PORT" \
        --net-type tcp --user "$TALMO_PG_USER" --database talmo_sample --sample >/dev/null
    fi
    ;;
  stop) bash "$root/tools/pg-server.sh" stop "$dir" ;;
  *) echo "usage: $0 start|stop DIR [DBTOOL]" >&2; exit 2 ;;
esac
