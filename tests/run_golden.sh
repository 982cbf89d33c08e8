#!/bin/sh
# Runs every golden case under tests/golden and compares with its .out file. A case named fail_*.sql
# must make xcomp fail; any other case must compile. Never writes .out files (update_golden.sh does).
# usage: run_golden.sh XCOMP_BINARY [FEATURE ...]
here=$(cd "$(dirname "$0")" && pwd)
. "$here/golden_common.sh"
xcomp_bin=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
shift
features=${*:-$(ls "$here/golden")}
passed=0
failed=0
for feature in $features; do
  for case_file in "$here/golden/$feature"/*.sql; do
    [ -e "$case_file" ] || continue
    expected="${case_file%.sql}.out"
    name="$feature/$(basename "$case_file")"
    actual=$(mktemp)
    run_case "$xcomp_bin" "$case_file" >"$actual"
    status=$?
    ok=1
    case "$(basename "$case_file")" in
      fail_*) [ $status -eq 1 ] || { echo "FAIL $name: expected exit 1, got $status"; ok=0; } ;;
      *) [ $status -eq 0 ] || { echo "FAIL $name: expected exit 0, got $status"; ok=0; } ;;
    esac
    if [ ! -f "$expected" ]; then
      echo "FAIL $name: no expected output (run tests/update_golden.sh $feature)"
      ok=0
    elif ! cmp -s "$expected" "$actual"; then
      echo "FAIL $name: output differs"
      diff -u "$expected" "$actual" | head -40
      ok=0
    fi
    rm -f "$actual"
    if [ $ok -eq 1 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
  done
done
echo "golden: $passed passed, $failed failed"
[ $failed -eq 0 ]
