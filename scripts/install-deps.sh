#!/bin/sh
# Installs the Debian packages the build and the tests need, plus any named on the command line (the
# fuzzer asks for clang; `make test` for chromium, the browser that checks the migration report's page,
# which `make run` does not need). The tests install the library and build programs against it
# (pkg-config). A no-op when all are present; without root it prints the command to run instead.
set -e
PACKAGES="cmake make g++ flex bison libgtest-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev unixodbc-dev libsqliteodbc pkg-config $*"
missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" && continue
  # A tool the machine already has from elsewhere (npm bundled with another Node.js, say) is not asked
  # of apt again: its package would conflict with the one that brought it.
  case "$p" in npm | chromium | clang-format | clang) command -v "$p" >/dev/null 2>&1 && continue ;; esac
  missing="$missing $p"
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" != "0" ]; then
  echo "missing packages:$missing" >&2
  echo "run as root: apt-get update && apt-get install -y$missing" >&2
  exit 1
fi
echo "installing:$missing"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq $missing >/dev/null
