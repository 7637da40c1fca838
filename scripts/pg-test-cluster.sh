#!/usr/bin/env bash
# A throw-away PostgreSQL cluster for the tests, on a free loopback port.
#
#   scripts/pg-test-cluster.sh start DIR   # prints the connection string
#   scripts/pg-test-cluster.sh stop DIR
#
# PostgreSQL refuses to run as root: under root the cluster belongs to the
# "postgres" user. Durability is switched off; nothing here outlives a run.
set -euo pipefail

cmd="${1:-}"
dir="${2:-}"
[[ -n "$cmd" && -n "$dir" ]] || {
  echo "uso: $0 start|stop DIR" >&2
  exit 2
}

bindir="$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)"
[[ -x "$bindir/initdb" ]] || {
  echo "pg-test-cluster: PostgreSQL server not installed (initdb not found)" >&2
  exit 1
}

as_owner() {
  if [[ $EUID -eq 0 ]]; then
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

port_in_use() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

case "$cmd" in
  start)
    rm -rf "$dir"
    mkdir -p "$dir"
    [[ $EUID -eq 0 ]] && chown postgres: "$dir"
    as_owner "$bindir/initdb" -D "$dir/data" -U postgres -A trust -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1 || {
      cat "$dir/initdb.log" >&2
      exit 1
    }
    port=""
    for _ in $(seq 1 50); do
      candidate=$((20000 + RANDOM % 20000))
      if ! port_in_use "$candidate"; then
        port="$candidate"
        break
      fi
    done
    [[ -n "$port" ]] || {
      echo "pg-test-cluster: no free port found" >&2
      exit 1
    }
    as_owner "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 start \
      -o "-p $port -k $dir -c listen_addresses=127.0.0.1 -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=200" \
      >/dev/null || {
      cat "$dir/server.log" >&2
      exit 1
    }
    echo "host=127.0.0.1 port=$port user=postgres dbname=postgres"
    ;;
  stop)
    [[ -d "$dir/data" ]] && as_owner "$bindir/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
    rm -rf "$dir"
    ;;
  *)
    echo "uso: $0 start|stop DIR" >&2
    exit 2
    ;;
esac
