#!/usr/bin/env bash
# Takes the pictures of the doctor's guide (docs/guide/images) afresh from the program itself: a demo
# clinic of 80 patients is made in a temporary folder, and the screenshot tool photographs the main
# window and a few windows over it on a 1366 × 768 laptop screen, without a display. Run it after a
# change of any window the guide shows, and commit the pictures with the change.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build/build.ninja ] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2 --target pelorin-cli pelorin-screenshots program_folder
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The same day every time, so the same clinic and the same pictures.
export PELORIN_TODAY=2026-03-02
build/program/pelorin-cli demo --data "$work/data" --patients 80 --seed 7 >/dev/null
cat >"$work/laptop.json" <<'JSON'
{"windowFrameMargins": false,
 "screens": [{"name": "laptop", "x": 0, "y": 0, "width": 1366, "height": 728,
              "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]}
JSON
mkdir -p docs/guide/images
QT_QPA_PLATFORM="offscreen:configfile=$work/laptop.json" LC_ALL=C.UTF-8 \
    build/program/pelorin-screenshots --guide "$work/data" docs/guide/images
