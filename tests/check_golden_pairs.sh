#!/bin/sh
# Every golden input has its expected output beside it and every expected output its input: an .out
# left behind by a renamed case would otherwise never be compared, and an input without an .out only
# fails once someone regenerates it.
# usage: check_golden_pairs.sh
here=$(cd "$(dirname "$0")" && pwd)
status=0
for file in "$here"/golden/*/*.sql "$here"/golden/*/*.out; do
  [ -e "$file" ] || continue
  case "$file" in
    *.sql) partner="${file%.sql}.out" ;;
    *.out) partner="${file%.out}.sql" ;;
  esac
  if [ ! -f "$partner" ]; then
    echo "golden/${file#"$here"/golden/} has no $(basename "$partner") beside it"
    status=1
  fi
done
[ $status -eq 0 ] && echo "golden: every input has its expected output and the other way round"
exit $status
