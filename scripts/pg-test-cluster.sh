#!/usr/bin/env bash
# The tests' own throw-away PostgreSQL cluster, in a folder of the build:
#   pg-test-cluster.sh start DIR    initdb into DIR/data and start it (a free port on
#                                   127.0.0.1, its socket in DIR); DIR/url names it
#   pg-test-cluster.sh stop DIR     stop it and remove DIR
#   pg-test-cluster.sh halt DIR     stop the server, keep its data (a test of a lost server)
#   pg-test-cluster.sh resume DIR   start it again on the same port
# Run as root, the server runs as an unprivileged user (postgres, else nobody).
set -euo pipefail
cmd=${1:?start, stop, halt or resume}
dir=$(realpath -m "${2:?cluster folder}")
bin=$(ls -d /usr/lib/postgresql/15/bin 2>/dev/null || ls -d /usr/lib/postgresql/*/bin | sort -V | tail -1)
[ -x "$bin/initdb" ] || { echo "PostgreSQL server programs not found (package postgresql)" >&2; exit 1; }

run=()
if [ "$(id -u)" -eq 0 ]; then
  if id postgres >/dev/null 2>&1; then user=postgres; else user=nobody; fi
  run=(runuser -u "$user" --)
fi

server_start() {
  local port
  port=$(cat "$dir/port")
  "${run[@]}" "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
    -o "-p $port -k $dir -c listen_addresses=127.0.0.1 -c fsync=off -c max_connections=200" start >/dev/null
}

case "$cmd" in
start)
  [ -f "$dir/data/postmaster.pid" ] && "${run[@]}" "$bin/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
  rm -rf "$dir"
  mkdir -p "$dir"
  [ ${#run[@]} -gt 0 ] && chown "$user" "$dir"
  "${run[@]}" "$bin/initdb" -D "$dir/data" -U jadl --auth=trust -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log"
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])' >"$dir/port"
  server_start
  echo "host=127.0.0.1 port=$(cat "$dir/port") user=jadl dbname=postgres" >"$dir/url"
  echo "PostgreSQL test cluster: $(cat "$dir/url")"
  ;;
stop)
  if [ -f "$dir/data/postmaster.pid" ]; then
    "${run[@]}" "$bin/pg_ctl" -D "$dir/data" -m fast stop >/dev/null || true
  fi
  rm -rf "$dir"
  ;;
halt)
  "${run[@]}" "$bin/pg_ctl" -D "$dir/data" -m fast stop >/dev/null
  ;;
resume)
  server_start
  ;;
*)
  echo "unknown command: $cmd" >&2
  exit 2
  ;;
esac
