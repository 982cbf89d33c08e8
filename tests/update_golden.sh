#!/bin/sh
# Rewrites the expected outputs of golden cases from what build/xcomp prints now. Review the git diff
# like code afterwards: a regenerated file is a draft, not a proof.
# usage: tests/update_golden.sh [FEATURE ...]   (XCOMP=path/to/xcomp to use another binary)
here=$(cd "$(dirname "$0")" && pwd)
. "$here/golden_common.sh"
xcomp_bin=${XCOMP:-$here/../build/xcomp}
xcomp_bin=$(cd "$(dirname "$xcomp_bin")" && pwd)/$(basename "$xcomp_bin")
features=${*:-$(ls "$here/golden")}
for feature in $features; do
  for case_file in "$here/golden/$feature"/*.sql; do
    [ -e "$case_file" ] || continue
    run_case "$xcomp_bin" "$case_file" >"${case_file%.sql}.out"
    echo "wrote ${case_file%.sql}.out"
  done
done
