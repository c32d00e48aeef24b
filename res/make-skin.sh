#!/usr/bin/env bash
# Turns the readable UTF-8 skin into the form the engine loads: UTF-16LE with
# a byte-order mark and CR LF line ends, with the agreement host filled in.
# Usage: make-skin.sh <config.xml> <output> <agreement host>
set -euo pipefail
in=$1 out=$2 host=$3
# The host lands inside an XML attribute and a sed replacement: keep it to
# the characters a host name (with an optional port) can have.
if [[ -z "$host" || "$host" == *[!A-Za-z0-9.:-]* ]]; then
  echo "make-skin.sh: agreement host '$host' is not a plain host name" >&2
  exit 1
fi
if [[ $(grep -c '@KESTRANE_AGREEMENT_HOST@' "$in") != 1 ]]; then
  echo "make-skin.sh: $in must hold the agreement host placeholder once" >&2
  exit 1
fi
tmp="$out.tmp"
{
  printf '\377\376'
  sed -e 's/\r$//' -e "s|@KESTRANE_AGREEMENT_HOST@|$host|" -e 's/$/\r/' "$in" | iconv -f UTF-8 -t UTF-16LE
} > "$tmp"
mv "$tmp" "$out"
