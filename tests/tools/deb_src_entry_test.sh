#!/usr/bin/env bash
# The deb-src entry follows the machine's own mirrors: both apt formats,
# disabled and foreign-suite entries skipped, one stanza per mirror.
set -euo pipefail
script="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/tools/deb-src-entry.sh"
etc=$(mktemp -d)
trap 'rm -rf "$etc"' EXIT
mkdir -p "$etc/sources.list.d"
cat > "$etc/sources.list" <<'LIST'
# a comment
deb [arch=amd64 signed-by=/keys/mirror.gpg] http://mirror.example/debian bookworm main contrib
deb http://security.example/debian-security bookworm-security main
deb-src http://elsewhere.example/debian bookworm main
LIST
cat > "$etc/sources.list.d/more.sources" <<'SRC'
Types: deb
URIs: http://updates-only.example/debian
Suites: bookworm-updates
Components: main

Types: deb
URIs: http://off.example/debian
Suites: bookworm
Components: main
Enabled: no

Types: deb deb-src
URIs: http://second.example/debian
Suites: bookworm bookworm-updates
Components: main non-free-firmware
Signed-By: /keys/second.gpg
SRC
expected='Types: deb-src
URIs: http://mirror.example/debian
Suites: bookworm
Components: main contrib
Signed-By: /keys/mirror.gpg

Types: deb-src
URIs: http://second.example/debian
Suites: bookworm
Components: main non-free-firmware
Signed-By: /keys/second.gpg'
actual=$(APT_ETC="$etc" bash "$script" bookworm)
if [ "$actual" != "$expected" ]; then
  echo "unexpected entry:"; echo "$actual"; exit 1
fi
if APT_ETC="$etc" bash "$script" trixie >/dev/null 2>&1; then
  echo "a release no entry serves must fail"; exit 1
fi
echo "deb-src entry: ok"
