#!/usr/bin/env bash
# Builds the program and starts it on a demo data folder of its own (build/demo-data), filled
# with generated patients on first use. The clinic's own data folder is never touched by this.
# Extra arguments go to the program, e.g. scripts/run.sh --data /path/to/clinic/data
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
if [ $# -gt 0 ]; then
    exec build/program/pelorin "$@"
fi
demo=build/demo-data
if [ ! -f "$demo/tarvelo.sqlite" ]; then
    build/program/pelorin-cli demo --data "$demo" --patients 300 --seed 7
fi
exec build/program/pelorin --data "$demo"
