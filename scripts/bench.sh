#!/usr/bin/env bash
# Every benchmark once, one after another on a quiet machine, and the table of their ratios that the
# README gives: each path beside its floor measured in the same run.
#     scripts/bench.sh            10,000 demo patients, on the file and on a throw-away local server
#     scripts/bench.sh --large    also the 100,000 patients of scale_bench and outcomes_bench moved to
#                                 the server (the move is timed too)
# The results (one JSON file a benchmark, the migrate times, table.md) go to build/bench/results/.
set -euo pipefail
cd "$(dirname "$0")/.."
large=0
[ "${1:-}" = "--large" ] && large=1

scripts/build.sh
export QT_QPA_PLATFORM=offscreen
bench=build/bench
out=$bench/results
rm -rf "$out"
mkdir -p "$out"
cli=build/program/pelorin-cli

# The demo clinics are made on first use by the benchmarks themselves; made here first so that no
# measured run pays for them.
export PELORIN_BENCH_DATA=${PELORIN_BENCH_DATA:-$PWD/$bench/bench-data}
export PELORIN_BENCH_DATA_100K=${PELORIN_BENCH_DATA_100K:-$PWD/$bench/bench-data-100k}
# The same clinics the benchmarks would make: seed 42, "today" 10.12.2026.
[ -f "$PELORIN_BENCH_DATA/tarvelo.sqlite" ] || PELORIN_TODAY=2026-12-10 "$cli" demo --data "$PELORIN_BENCH_DATA" --patients 10000 --seed 42
if [ "$large" = 1 ] && [ ! -f "$PELORIN_BENCH_DATA_100K/tarvelo.sqlite" ]; then
    PELORIN_TODAY=2026-12-10 "$cli" demo --data "$PELORIN_BENCH_DATA_100K" --patients 100000 --seed 42
fi

# The server keeps its writes as a real one does (fsync on), so that the move is timed honestly.
source scripts/pg-test-server.sh
trap pg_test_server_stop EXIT
PG_TEST_DURABLE=1 pg_test_server_start
if [ -n "${PELORIN_TEST_PG:-}" ]; then
    base=${PELORIN_TEST_PG%/*}
    "$PG_TEST_BIN/createdb" -h 127.0.0.1 -p "${base##*:}" -U pelorin pelorin_bench
    export PELORIN_BENCH_PG="$base/pelorin_bench"
    start=$(date +%s%N)
    "$cli" migrate --from "$PELORIN_BENCH_DATA" --to "$PELORIN_BENCH_PG" > "$out/migrate-10k.log"
    echo "migrate 10k: $(( ($(date +%s%N) - start) / 1000000 )) ms" >> "$out/migrate.txt"
    if [ "$large" = 1 ]; then
        "$PG_TEST_BIN/createdb" -h 127.0.0.1 -p "${base##*:}" -U pelorin pelorin_bench_100k
        export PELORIN_BENCH_PG_100K="$base/pelorin_bench_100k"
        start=$(date +%s%N)
        "$cli" migrate --from "$PELORIN_BENCH_DATA_100K" --to "$PELORIN_BENCH_PG_100K" > "$out/migrate-100k.log"
        echo "migrate 100k: $(( ($(date +%s%N) - start) / 1000000 )) ms" >> "$out/migrate.txt"
    fi
fi

for b in engine additions shell treatment report maintenance server outcomes scale; do
    filter=.
    # Without --large the 100,000-patient halves are left out.
    [ "$large" = 1 ] || { [ "$b" = outcomes ] && filter=':0'; }
    [ "$large" = 1 ] || { [ "$b" = scale ] && continue; }
    echo "== ${b}_bench" >&2
    "$bench/${b}_bench" --benchmark_filter="$filter" --benchmark_out="$out/${b}_bench.json" \
        --benchmark_out_format=json >&2
done

python3 tools/bench_table.py "$out" | tee "$out/table.md"
if [ -f "$out/migrate.txt" ]; then cat "$out/migrate.txt"; fi
