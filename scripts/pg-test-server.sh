#!/usr/bin/env bash
# A throw-away PostgreSQL server for the tests: its own folder under /tmp, a free port on 127.0.0.1,
# trust authentication, one empty database. Sourced by scripts/test.sh:
#     pg_test_server_start   # exports PELORIN_TEST_PG=postgresql://pelorin@127.0.0.1:PORT/pelorin_test
#     pg_test_server_stop    # stops the server and removes its folder
# PG_TEST_DURABLE=1 keeps fsync on (scripts/bench.sh times writes); the tests do without it.
# Without Debian's postgresql package, or when the server will not start, nothing is exported and the
# server tests say they were skipped.

pg_test_server_start() {
    local bin
    bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
    if [ -z "$bin" ] || [ ! -x "$bin/initdb" ]; then
        echo "PostgreSQL не установлен: тесты на сервере пропускаются." >&2
        return 0
    fi
    PG_TEST_DIR=$(mktemp -d /tmp/pelorin-pg.XXXXXX)
    local port
    port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    # initdb refuses to run as root: the server then runs as the package's own user.
    local durable="-c fsync=off"
    [ "${PG_TEST_DURABLE:-0}" = 1 ] && durable=""
    local as=()
    if [ "$(id -u)" -eq 0 ]; then
        chown postgres "$PG_TEST_DIR"
        as=(runuser -u postgres --)
    fi
    if ! "${as[@]}" "$bin/initdb" -D "$PG_TEST_DIR/data" -U pelorin --auth=trust -E UTF8 --locale=C.UTF-8 \
            > "$PG_TEST_DIR/initdb.log" 2>&1 ||
       ! "${as[@]}" "$bin/pg_ctl" -D "$PG_TEST_DIR/data" -l "$PG_TEST_DIR/server.log" -w \
            -o "-p $port -c listen_addresses=127.0.0.1 -k $PG_TEST_DIR $durable" start > /dev/null ||
       ! "$bin/createdb" -h 127.0.0.1 -p "$port" -U pelorin pelorin_test; then
        echo "Сервер PostgreSQL для тестов не запустился (журнал в $PG_TEST_DIR): тесты на сервере пропускаются." >&2
        return 0
    fi
    PG_TEST_BIN=$bin
    PG_TEST_AS=("${as[@]}")
    export PELORIN_TEST_PG="postgresql://pelorin@127.0.0.1:$port/pelorin_test"
    echo "Сервер PostgreSQL для тестов: $PELORIN_TEST_PG"
}

pg_test_server_stop() {
    if [ -n "${PG_TEST_BIN:-}" ]; then
        "${PG_TEST_AS[@]}" "$PG_TEST_BIN/pg_ctl" -D "$PG_TEST_DIR/data" -m fast -w stop > /dev/null 2>&1 || true
    fi
    [ -n "${PG_TEST_DIR:-}" ] && rm -rf "$PG_TEST_DIR"
    return 0
}
