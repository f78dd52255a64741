#!/bin/sh
# Prints the Debian archive this machine's apt takes bookworm from: the first "deb" entry for the
# suite bookworm itself in sources.list, then in sources.list.d (*.list one-line entries and
# *.sources deb822 stanzas, the files apt reads, in apt's order). Fails, saying so, when none is
# configured. Usage: tools/debian-mirror.sh [APT_SOURCES_DIRECTORY]   (default /etc/apt)
set -eu
dir=${1:-/etc/apt}
suite=bookworm

one_line() {  # deb [options] URI suite components...
  awk -v suite="$suite" '
    { sub(/#.*/, "") }
    $1 == "deb" {
      i = 2
      if ($i ~ /^\[/) { while (i <= NF && $i !~ /\]$/) i++; i++ }
      if ($(i + 1) == suite) { print $i; exit }
    }' "$1"
}

stanzas() {  # Types:, URIs:, Suites: and Enabled: of each stanza, blank lines between
  awk -v suite="$suite" '
    function flush() {
      if (deb && enabled && has) { print uri; found = 1; exit }
      deb = 0; enabled = 1; has = 0; uri = ""
    }
    BEGIN { enabled = 1 }
    /^[ \t]*#/ { next }
    /^[ \t]*$/ { flush(); next }
    {
      field = tolower($1)
      if (field == "types:") for (i = 2; i <= NF; i++) if ($i == "deb") deb = 1
      if (field == "uris:") uri = $2
      if (field == "suites:") for (i = 2; i <= NF; i++) if ($i == suite) has = 1
      if (field == "enabled:") enabled = (tolower($2) != "no")
    }
    END { if (!found) flush() }' "$1"
}

mirror=""
[ -f "$dir/sources.list" ] && mirror=$(one_line "$dir/sources.list")
if [ -z "$mirror" ] && [ -d "$dir/sources.list.d" ]; then
  for file in $(ls "$dir/sources.list.d" | LC_ALL=C sort); do
    case "$file" in
      *.list) mirror=$(one_line "$dir/sources.list.d/$file") ;;
      *.sources) mirror=$(stanzas "$dir/sources.list.d/$file") ;;
      *) continue ;;
    esac
    [ -n "$mirror" ] && break
  done
fi
if [ -z "$mirror" ]; then
  echo "debian-mirror: no Debian archive for $suite in $dir/sources.list or" \
    "$dir/sources.list.d; configure one for apt or set DEBIAN_MIRROR" >&2
  exit 1
fi
echo "$mirror"
