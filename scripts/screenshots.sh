#!/usr/bin/env bash
# Takes the window's pictures for the README under Xvfb: each tab, the log window and the
# splash, each chart kind and the chart editor, with a sample day loaded, the factory health
# parameters in their boxes and a health test run over all detectors; and the history window on
# a ledger of 30 generated days.
# Usage: scripts/screenshots.sh [FOLDER]   (default: docs/screenshots)
set -euo pipefail
out=${1:-}
cd "$(dirname "$0")/.."
case $out in
"") out=$PWD/docs/screenshots ;;
/*) ;;
*) out=$OLDPWD/$out ;;
esac

cmake -S . -B build >/dev/null
cmake --build build -j 2 --target sorvane sorvane-cli sorvane-mkarchive sorvane-factory-settings \
  >/dev/null

# The program keeps its settings and log beside its executable: give it a folder of its own,
# so that nothing in build/ changes.
stage=/tmp/sorvane-screenshots
rm -rf "$stage"
mkdir -p "$stage/program" "$stage/traffic"
cp build/src/app/sorvane "$stage/program/"
./build/tools/sorvane-factory-settings "$stage/program/ParamSettings.ini"
archive=$stage/traffic/20261206.traffic
./build/tools/sorvane-mkarchive -o "$archive" --detectors 150 --first 100 --seed 20261206

# The history: 30 days of 150 detectors, tested with parameters that let the picture show every
# kind of verdict: a lower MissingPercent turns the middle day's three-hour feed outage into
# verdicts owed to it, a lower MargTh gives marginal days, and 100 to 104 are excluded.
ledger=$stage/history.sqlite
./build/tools/sorvane-mkarchive -o "$stage/days" --days 30 --start 20241101 --detectors 150 \
  --faults 0.3 --seed 7
./build/src/cli/sorvane-cli history add "$stage"/days/*.traffic --db "$ledger" \
  --set MissingPercent=10 --set MargTh=6 --set DetNoFrom=100 --set DetNoTo=104 >/dev/null
./build/src/cli/sorvane-cli history inventory import "$stage/days/inventory.csv" --db "$ledger" \
  --from 2024-11-01 >/dev/null
printf '[History]\r\nDatabase=%s\r\n' "$ledger" >>"$stage/program/ParamSettings.ini"

xvfb-run -a -s "-screen 0 1280x1024x24" "$stage/program/sorvane" --screenshots "$out" "$archive"
rm -rf "$stage"
echo "Screenshots in $out:"
ls "$out"
