#!/bin/sh
# Makes a migration report over a generated sample code base (about 3 MB, the same every time) and
# takes a picture of its page in headless Chromium, for people to look at.
# usage: report-screenshot.sh BUILD_DIR
set -e
build=${1:-build}
sample=$build/report-sample
rm -rf "$sample"
python3 bench/gen_codebase.py "$sample/src" --size 3M --units 150 --seed 7
# Rejections are expected; only a report that cannot be written stops here. A first report stands for
# last week's run; a file taken away since then shows the page's section on changes.
"$build/xcomp" --report "$sample/previous" -j 2 --no-progress "$sample/src" >/dev/null || [ $? -eq 1 ]
rm -f "$(find "$sample/src" -name '*.tpb' | sort | head -n 1)"
"$build/xcomp" --report "$sample" --baseline "$sample/previous/report.json" -j 2 --no-progress "$sample/src" ||
  [ $? -eq 1 ]
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking \
  --disable-component-update --disable-sync --user-data-dir="$profile" --hide-scrollbars \
  --window-size=1280,3600 --screenshot="$build/report-screenshot.png" "file://$(cd "$sample" && pwd)/report.html" \
  2>/dev/null
echo "page: $sample/report.html"
echo "screenshot: $build/report-screenshot.png"
