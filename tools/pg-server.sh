#!/usr/bin/env bash
# A throwaway PostgreSQL server for tests, CI and the demo.
#
#   tools/pg-server.sh start DIR   creates a cluster in DIR (which must not exist or be empty),
#                                  starts it and writes DIR/connection.env
#   tools/pg-server.sh stop DIR    stops it and removes DIR
#
# The server listens on its socket in DIR and on a free port of 127.0.0.1. The cluster's
# superuser (the system user running the server) logs in through the socket without a
# password; the user in TALMO_PG_USER (default "talmo") has the password in TALMO_PG_PASSWORD
# (default "talmo-secret"), may create databases and logs in with that password over TCP.
# connection.env holds shell assignments of TALMO_PG_HOST, _PORT, _SOCKET, _ADMIN, _USER and
# _PASSWORD for the tests and the demo. TCP connections may use TLS (a self-signed certificate). Run as root, the cluster belongs to the `postgres`
# system user, since initdb refuses to run as root.
set -euo pipefail

usage() { echo "usage: $0 start|stop DIR" >&2; exit 2; }
(($# == 2)) || usage
command=$1
dir=$2

bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [[ -z $bindir ]]; then
  echo "$0: no PostgreSQL server installed (tools/deps.sh installs it)" >&2
  exit 1
fi

# Runs a server program as the cluster's owner.
as_owner() {
  if [[ $(id -u) -eq 0 ]]; then
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

port_free() { ! (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

start() {
  mkdir -p "$dir"
  [[ -z $(ls -A "$dir") ]] || { echo "$0: $dir is not empty" >&2; exit 1; }
  dir=$(cd "$dir" && pwd)
  if [[ $(id -u) -eq 0 ]]; then chown postgres: "$dir"; fi
  chmod 700 "$dir"
  local admin
  admin=$(as_owner id -un)
  as_owner "$bindir/initdb" -D "$dir/data" -U "$admin" -E UTF8 --locale=C -A trust >"$dir/initdb.log"
  {
    echo "listen_addresses = '127.0.0.1'"
    echo "unix_socket_directories = '$dir'"
    # A throwaway cluster: nothing needs to survive a crash of the machine.
    echo "fsync = off"
    echo "synchronous_commit = off"
    echo "full_page_writes = off"
    echo "max_connections = 60"
    echo "shared_buffers = 64MB"
  } | as_owner tee -a "$dir/data/postgresql.conf" >/dev/null
  # TLS with a certificate of its own, for connections that require it.
  as_owner openssl req -new -x509 -days 30 -nodes -subj /CN=127.0.0.1 -keyout "$dir/data/server.key" \
    -out "$dir/data/server.crt" >/dev/null 2>&1
  as_owner chmod 600 "$dir/data/server.key"
  echo "ssl = on" | as_owner tee -a "$dir/data/postgresql.conf" >/dev/null
  # The socket trusts its own machine's users; TCP asks for passwords.
  printf 'local all all trust\nhost all all 127.0.0.1/32 scram-sha-256\n' |
    as_owner tee "$dir/data/pg_hba.conf" >/dev/null

  local port started=0
  for _ in $(seq 1 20); do
    port=$((20000 + RANDOM % 40000))
    port_free "$port" || continue
    if as_owner "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
         -o "-p $port" start >/dev/null; then
      started=1
      break
    fi
  done
  ((started)) || { echo "$0: the server did not start (see $dir/server.log)" >&2; exit 1; }
  trap 'stop' ERR

  local user=${TALMO_PG_USER:-talmo} password=${TALMO_PG_PASSWORD:-talmo-secret}
  echo "CREATE ROLE :\"user\" LOGIN CREATEDB PASSWORD :'password';" |
    as_owner "$bindir/psql" -q -h "$dir" -p "$port" -U "$admin" -d postgres -v ON_ERROR_STOP=1 \
      -v user="$user" -v password="$password" >/dev/null
  {
    echo "TALMO_PG_HOST=127.0.0.1"
    echo "TALMO_PG_PORT=$port"
    echo "TALMO_PG_SOCKET=$dir"
    echo "TALMO_PG_ADMIN=$admin"
    echo "TALMO_PG_USER=$user"
    echo "TALMO_PG_PASSWORD=$password"
  } | as_owner tee "$dir/connection.env" >/dev/null
  as_owner chmod 644 "$dir/connection.env"
  # Tests of other users read the file and reach the socket.
  chmod 755 "$dir"
  echo "$dir/connection.env"
}

stop() {
  [[ -d $dir ]] || return 0
  if [[ -f $dir/data/postmaster.pid ]]; then
    as_owner "$bindir/pg_ctl" -D "$dir/data" -m fast -w -t 60 stop >/dev/null || true
  fi
  rm -rf "$dir"
}

case "$command" in
  start) start ;;
  stop) stop ;;
  *) usage ;;
esac
