#!/usr/bin/env bash
# Builds everything, runs Qt's static analyser over it (scripts/clazy.sh), then every test headless: on
# the database file always, and on a throw-away PostgreSQL server as well, which is started for the run
# and removed after it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
scripts/clazy.sh
export QT_QPA_PLATFORM=offscreen
source scripts/pg-test-server.sh
trap pg_test_server_stop EXIT
pg_test_server_start
ctest --test-dir build --output-on-failure -j "$(nproc)"
