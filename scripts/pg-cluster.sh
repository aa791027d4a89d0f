#!/usr/bin/env bash
# A throw-away PostgreSQL cluster for the tests: `start DIR` makes one in DIR, owned by an
# unprivileged user (the server refuses root), listening on a free port on 127.0.0.1 only, with a
# database for the tests, and writes the libpq variables that reach it to DIR/env; `stop DIR`
# stops it. `halt DIR` and `resume DIR` stop it and start it again on the same port, for a test of
# a server that goes away. Nothing outside DIR is touched.
set -euo pipefail
action="${1:?usage: pg-cluster.sh start|stop|halt|resume DIR}"
dir="${2:?usage: pg-cluster.sh start|stop|halt|resume DIR}"
bin="$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -1)"

as_owner() {
  if [ "$(id -u)" = 0 ]; then
    runuser -u nobody -- "$@"
  else
    "$@"
  fi
}

serve() {
  as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w \
    -o "-p $1 -k $dir -c listen_addresses=127.0.0.1 -c fsync=off" start >/dev/null
}

case "$action" in
  start)
    mkdir -p "$dir"
    dir="$(cd "$dir" && pwd)"
    [ "$(id -u)" = 0 ] && chown nobody: "$dir"
    # The server's tools need a working folder their user may enter.
    cd "$dir"
    # A port nothing answers on; the server's start fails and the next one is tried if another
    # program takes it meanwhile.
    free_port() {
      local p
      while :; do
        p=$((20000 + RANDOM % 40000))
        if ! (exec 3<>"/dev/tcp/127.0.0.1/$p") 2>/dev/null; then
          echo "$p"
          return
        fi
      done
    }
    as_owner "$bin/initdb" -D "$dir/data" -A trust -U tilka -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log"
    for attempt in 1 2 3 4 5; do
      port="$(free_port)"
      if serve "$port"; then
        break
      fi
      [ "$attempt" = 5 ] && { cat "$dir/server.log" >&2; exit 1; }
    done
    as_owner "$bin/createdb" -h 127.0.0.1 -p "$port" -U tilka tilka_test
    echo "$port" >"$dir/port"
    cat >"$dir/env" <<ENV
export PGHOST=127.0.0.1
export PGPORT=$port
export PGUSER=tilka
export PGDATABASE=tilka_test
export TILKA_PG_CLUSTER=$dir
ENV
    echo "PostgreSQL for the tests on 127.0.0.1:$port (database tilka_test, user tilka)"
    ;;
  halt)
    dir="$(cd "$dir" && pwd)"
    cd "$dir"
    as_owner "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null
    ;;
  resume)
    dir="$(cd "$dir" && pwd)"
    cd "$dir"
    serve "$(cat "$dir/port")"
    ;;
  stop)
    dir="$(cd "$dir" 2>/dev/null && pwd || echo "$dir")"
    cd /
    if [ -f "$dir/data/postmaster.pid" ]; then
      as_owner "$bin/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null || true
    fi
    ;;
  *)
    echo "usage: pg-cluster.sh start|stop|halt|resume DIR" >&2
    exit 2
    ;;
esac
