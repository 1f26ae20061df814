#!/usr/bin/env bash
# Qt's static analyser over every C++ file the build compiles (program, tests, benchmarks), with the
# checks that catch dangling references and Qt-specific faults: a string builder kept past its
# temporaries, data of a temporary returned, iterators of a temporary container, lambdas connected
# without a context object, regular expressions built again on every call, connections to things
# that are not signals. Any warning fails. Needs a configured build/ (scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clazy-standalone >/dev/null || scripts/deps.sh
checks=auto-unexpected-qstringbuilder,returning-data-from-temporary,temporary-iterator,lambda-in-connect
checks+=,use-static-qregularexpression,connect-non-signal,lambda-unique-connection,wrong-qevent-cast
checks+=,mutable-container-key,child-event-qobject-cast,incorrect-emit,writing-to-temporary
log=$(mktemp)
trap 'rm -f "$log"' EXIT
python3 - build/compile_commands.json <<'PY' | xargs -0 -P "$(nproc)" -n 4 \
    clazy-standalone -p build --checks="$checks" --header-filter="$PWD/(src|tests|bench)/.*" \
    --ignore-dirs="$PWD/build" >/dev/null 2>"$log" || true
import json, sys, os
root = os.getcwd() + "/"
files = sorted({e["file"] for e in json.load(open(sys.argv[1]))
                if e["file"].startswith(root) and "/build/" not in e["file"] and "/fuzz/" not in e["file"]})
sys.stdout.write("\0".join(files))
PY
# Only the analyser's own findings count (the compiler's warnings are the build's business), and any
# file it could not read.
pattern='(warning: .*\[-Wclazy-[a-z-]+\]$)|( error: )'
if grep -q -E "$pattern" "$log"; then
    grep -E "$pattern" "$log" | sort -u | sed 's/^/clazy: /'
    echo "clazy: $(grep -E "$pattern" "$log" | sort -u | wc -l) finding(s)" >&2
    exit 1
fi
echo "clazy: no findings ($(python3 -c 'import json;print(len(json.load(open("build/compile_commands.json"))))') files)"
