#!/usr/bin/env bash
# Takes the window's pictures for the README under Xvfb: each tab, the log window and the
# splash, each chart kind and the chart editor, with a sample day loaded, the factory health
# parameters in their boxes and a health test run over all detectors.
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
cmake --build build -j 2 --target sorvane sorvane-mkarchive sorvane-factory-settings >/dev/null

# The program keeps its settings and log beside its executable: give it a folder of its own,
# so that nothing in build/ changes.
stage=/tmp/sorvane-screenshots
rm -rf "$stage"
mkdir -p "$stage/program" "$stage/traffic"
cp build/src/app/sorvane "$stage/program/"
./build/tools/sorvane-factory-settings "$stage/program/ParamSettings.ini"
archive=$stage/traffic/20261206.traffic
./build/tools/sorvane-mkarchive -o "$archive" --detectors 150 --first 100 --seed 20261206

xvfb-run -a -s "-screen 0 1280x1024x24" "$stage/program/sorvane" --screenshots "$out" "$archive"
rm -rf "$stage"
echo "Screenshots in $out:"
ls "$out"
