#!/bin/sh
# Installs Microsoft's SARIF validator (the SARIF Multitool, from the npm registry) into
# BUILD_DIR/sarif-validator for the test that checks `xcomp --sarif` files. A no-op when it is there;
# fails, saying why, when npm or the registry cannot be reached.
# usage: install-sarif-validator.sh BUILD_DIR
set -e
build=${1:-build}
dir=$build/sarif-validator
tool=$dir/node_modules/@microsoft/sarif-multitool-linux/Sarif.Multitool
[ -x "$tool" ] && exit 0
command -v npm >/dev/null 2>&1 || { echo "npm is not installed (apt-get install -y npm)" >&2; exit 1; }
mkdir -p "$dir"
npm install --prefix "$dir" --no-audit --no-fund --silent @microsoft/sarif-multitool@5.7.0 >&2
# The package's own install step only marks the tool executable; npm may be set to skip such steps.
chmod u+x "$tool"
