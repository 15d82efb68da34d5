#!/usr/bin/env bash
# A throw-away PostgreSQL cluster for the tests and benchmarks:
#   pg-test-cluster.sh start DIR    initdb and start it (a free port on 127.0.0.1, its
#                                   socket in a folder under /tmp, TLS by DIR/ca.crt);
#                                   DIR/url names it
#   pg-test-cluster.sh stop DIR     stop it and remove it and DIR
#   pg-test-cluster.sh halt DIR     stop the server, keep its data (a test of a lost server)
#   pg-test-cluster.sh resume DIR   start it again on the same port
# The cluster's files live in the /tmp folder too (a build folder may be out of the
# server user's reach, or too deep for a socket's path), unless JADL_PG_DATA_HERE=1
# keeps them in DIR (the benchmarks' loaded register). Run as root, the server runs
# as an unprivileged user (postgres, else nobody).
set -euo pipefail
cmd=${1:?start, stop, halt or resume}
dir=$(realpath -m "${2:?cluster folder}")
bin=$(ls -d /usr/lib/postgresql/15/bin 2>/dev/null || ls -d /usr/lib/postgresql/*/bin | sort -V | tail -1)
[ -x "$bin/initdb" ] || { echo "PostgreSQL server programs not found (package postgresql)" >&2; exit 1; }

run=()
user=$(id -un)
if [ "$(id -u)" -eq 0 ]; then
  if id postgres >/dev/null 2>&1; then user=postgres; else user=nobody; fi
  run=(runuser -u "$user" --)
fi

# The socket's folder (and, by default, the data's): made again after a reboot emptied /tmp.
place() {
  sock=$(cat "$dir/socket.path")
  if [ ! -d "$sock" ]; then
    mkdir -p "$sock"
    chown "$user" "$sock"
  fi
  data=$(cat "$dir/data.path")
}

tls() {
  local data=$1
  (
    cd "$dir"
    openssl req -x509 -newkey rsa:2048 -nodes -days 3 -subj "/CN=jadl test CA" -keyout ca.key -out ca.crt 2>/dev/null
    openssl req -x509 -newkey rsa:2048 -nodes -days 3 -subj "/CN=jadl other CA" -keyout wrong-ca.key \
      -out wrong-ca.crt 2>/dev/null
    openssl req -newkey rsa:2048 -nodes -subj "/CN=localhost" -keyout server.key -out server.csr 2>/dev/null
    printf 'subjectAltName=DNS:localhost,IP:127.0.0.1\n' >server.ext
    openssl x509 -req -in server.csr -CA ca.crt -CAkey ca.key -CAcreateserial -days 3 -extfile server.ext \
      -out server.crt 2>/dev/null
    cp server.crt server.key "$data/"
  )
  chmod 600 "$data/server.key"
  chown "$user" "$data/server.crt" "$data/server.key"
}

server_start() {
  place
  "${run[@]}" "$bin/pg_ctl" -D "$data" -l "$sock/server.log" -w -t 60 \
    -o "-p $(cat "$dir/port") -k $sock -c listen_addresses=127.0.0.1 -c fsync=off -c max_connections=200 -c ssl=on" \
    start >/dev/null || { tail -20 "$sock/server.log" >&2; exit 1; }
}

server_stop() {
  local mode=$1
  if [ -f "$dir/data.path" ]; then
    place
    if [ -f "$data/postmaster.pid" ]; then
      "${run[@]}" "$bin/pg_ctl" -D "$data" -m "$mode" stop >/dev/null || return 1
    fi
  fi
}

case "$cmd" in
start)
  server_stop immediate 2>/dev/null || true
  if [ -f "$dir/socket.path" ]; then rm -rf "$(cat "$dir/socket.path")"; fi
  rm -rf "$dir"
  mkdir -p "$dir"
  sock=$(mktemp -d /tmp/jadl-pg.XXXXXX)
  chmod 755 "$sock"
  echo "$sock" >"$dir/socket.path"
  if [ "${JADL_PG_DATA_HERE:-0}" = 1 ]; then data="$dir/data"; else data="$sock/data"; fi
  echo "$data" >"$dir/data.path"
  mkdir -p "$data"
  chown "$user" "$sock" "$data"
  "${run[@]}" "$bin/initdb" -D "$data" -U jadl --auth=trust -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log"
  # TLS with a certificate of a throw-away CA (DIR/ca.crt); DIR/wrong-ca.crt is
  # another CA's, which must not be trusted for it.
  tls "$data"
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])' >"$dir/port"
  server_start
  # Plain within this machine, as the program's own default; the TLS tests ask for it.
  echo "host=127.0.0.1 port=$(cat "$dir/port") user=jadl dbname=postgres sslmode=disable" >"$dir/url"
  echo "PostgreSQL test cluster: $(cat "$dir/url")"
  ;;
stop)
  server_stop fast || true
  if [ -f "$dir/socket.path" ]; then rm -rf "$(cat "$dir/socket.path")"; fi
  rm -rf "$dir"
  ;;
halt)
  server_stop fast
  ;;
resume)
  server_start
  ;;
*)
  echo "unknown command: $cmd" >&2
  exit 2
  ;;
esac
