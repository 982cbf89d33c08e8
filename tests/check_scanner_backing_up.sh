#!/bin/sh
# Fails when the scanner's rules make flex back up: a rule whose match can stop in a state that is not
# accepting makes every character of every token pay for remembering the last accepting state.
# usage: tests/check_scanner_backing_up.sh FLEX SCANNER.l WORKDIR
flex=$1
rules=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
work=$3
mkdir -p "$work" || exit 1
cd "$work" || exit 1
rm -f lex.backup
"$flex" -b -o scanner-check.c "$rules" || exit 1
if ! grep -q "^No backing up" lex.backup; then
  echo "the scanner backs up; states flex reports in $work/lex.backup:"
  grep -A3 "^State #" lex.backup | head -40
  exit 1
fi
