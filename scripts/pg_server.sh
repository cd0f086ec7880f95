#!/usr/bin/env bash
# A throw-away PostgreSQL server for the tests that need a real client-server
# database behind the ODBC provider.
#
#   scripts/pg_server.sh start    initdb into a temporary folder, listen on
#                                 127.0.0.1 only, on a free port, create the
#                                 run's database, and write its ODBC
#                                 connection string to .pg_server/connection
#   scripts/pg_server.sh stop     stop the server and remove all of it
#   scripts/pg_server.sh status   print the connection string, or fail
#
# The tests read the connection string from $TPL_TEST_POSTGRES or, when that
# is unset, from .pg_server/connection; without either they are skipped.
# As root the server runs as the postgres user (initdb refuses root).
set -euo pipefail
cd "$(dirname "$0")/.."

state=.pg_server
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)

as_owner() {
  if [[ $(id -u) -eq 0 ]]; then runuser -u postgres -- "$@"; else "$@"; fi
}

free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

stop() {
  [[ -d $state ]] || return 0
  local data
  data=$(cat "$state/data_dir" 2>/dev/null || true)
  if [[ -n $data && -d $data ]]; then
    as_owner "$bin/pg_ctl" stop -D "$data/cluster" -m immediate -s >/dev/null 2>&1 || true
    rm -rf "$data"
  fi
  rm -rf "$state"
}

start() {
  [[ -n $bin ]] || { echo "PostgreSQL is not installed (Debian package postgresql)" >&2; exit 1; }
  stop
  mkdir -p "$state"
  local data port password user=tpl database="tpl_test_$$"
  data=$(mktemp -d /tmp/tpl_pg.XXXXXX)
  echo "$data" >"$state/data_dir"
  password=$(python3 -c 'import secrets; print(secrets.token_hex(12))')
  printf '%s\n' "$password" >"$data/password"
  [[ $(id -u) -eq 0 ]] && chown -R postgres "$data"
  as_owner "$bin/initdb" -D "$data/cluster" -U "$user" --pwfile="$data/password" \
    --auth=scram-sha-256 -E UTF8 --locale=C.UTF-8 >"$data/initdb.log" 2>&1 ||
    { cat "$data/initdb.log" >&2; stop; exit 1; }
  # A free port can be taken between the question and the start: try a few.
  for _ in 1 2 3 4 5; do
    port=$(free_port)
    if as_owner "$bin/pg_ctl" start -D "$data/cluster" -l "$data/server.log" -w -s \
        -o "-c listen_addresses=127.0.0.1 -p $port -c unix_socket_directories='' -c fsync=off \
            -c synchronous_commit=off -c full_page_writes=off" >/dev/null 2>&1; then
      break
    fi
    port=""
  done
  [[ -n $port ]] || { cat "$data/server.log" >&2; stop; exit 1; }
  PGPASSWORD=$password "$bin/createdb" -h 127.0.0.1 -p "$port" -U "$user" "$database"
  echo "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=$port;Database=$database;Uid=$user;Pwd=$password" \
    >"$state/connection"
  cat "$state/connection"
}

case "${1:-}" in
  start) start ;;
  stop) stop ;;
  status) cat "$state/connection" ;;
  *) echo "usage: $0 start|stop|status" >&2; exit 2 ;;
esac
