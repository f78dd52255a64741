#!/bin/sh
# tools/debian-mirror.sh on apt configurations of the shapes machines have.
set -u
script="$1/tools/debian-mirror.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# case NAME EXPECTED ("" = must fail); the configuration is in $work/NAME
check() {
  got=$("$script" "$work/$1" 2>"$work/$1.err")
  status=$?
  if [ -z "$2" ]; then
    if [ "$status" -eq 0 ] || ! grep -q "DEBIAN_MIRROR" "$work/$1.err"; then
      echo "FAIL $1: expected a refusal naming DEBIAN_MIRROR, got status $status: $got"
      failures=$((failures + 1))
    fi
  elif [ "$status" -ne 0 ] || [ "$got" != "$2" ]; then
    echo "FAIL $1: expected $2, got status $status: $got"
    failures=$((failures + 1))
  fi
}
config() {  # config NAME FILE, the text on standard input
  mkdir -p "$(dirname "$work/$1/$2")"
  cat >"$work/$1/$2"
}

config one-line sources.list <<'X'
# deb http://commented.example/debian bookworm main
deb-src http://source.example/debian bookworm main
deb http://security.example/debian-security bookworm-security main
deb [arch=amd64 signed-by=/k.gpg] http://main.example/debian bookworm main contrib
X
check one-line http://main.example/debian

config deb822 sources.list.d/debian.sources <<'X'
Types: deb-src
URIs: http://source.example/debian
Suites: bookworm

Types: deb
URIs: http://disabled.example/debian
Suites: bookworm
Enabled: no

Types: deb deb-src
# http://snapshot.example/archive
URIs: http://main.example/debian
Suites: bookworm bookworm-updates
Components: main
X
check deb822 http://main.example/debian

config order sources.list.d/b.list <<'X'
deb http://second.example/debian bookworm main
X
config order sources.list.d/a.list.disabled <<'X'
deb http://ignored.example/debian bookworm main
X
config order sources.list.d/a.sources <<'X'
Types: deb
URIs: http://first.example/debian
Suites: bookworm
X
check order http://first.example/debian

config other-suites sources.list <<'X'
deb http://main.example/debian trixie main
deb http://main.example/debian bookworm-updates main
X
check other-suites ""
mkdir -p "$work/empty"
check empty ""

exit "$failures"
