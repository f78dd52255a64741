#!/bin/sh
# Compiles the locales the tests switch between into $1, so tests never depend on which
# locales the machine has generated.
set -u
out=$1
mkdir -p "$out"
for entry in cs_CZ:cs_CZ.UTF-8 en_US:en_US.UTF-8; do
  source=${entry%%:*}
  name=${entry#*:}
  [ -f "$out/$name/LC_NUMERIC" ] && continue
  # localedef exits 1 when it only warns; the locale is written all the same.
  localedef --no-archive -i "$source" -f UTF-8 "$out/$name" >/dev/null 2>&1
  if [ ! -f "$out/$name/LC_NUMERIC" ]; then
    echo "cannot generate locale $name (is the 'locales' package installed?)" >&2
    exit 1
  fi
done
