#!/usr/bin/env bash
# Prints a deb-src entry (deb822) for the Debian release archive this machine
# already installs from, so that `apt-get source` uses the same mirror as
# `apt-get install`. Reads the URIs, suites, components and keyring of the
# machine's own deb entries (both the .sources and the one-line formats) and
# keeps those that serve the release's own suite. Exits 1 when none does.
set -euo pipefail

codename="${1:-}"
if [ -z "$codename" ] && [ -r /etc/os-release ]; then
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
fi
[ -n "$codename" ] || { echo "deb-src-entry.sh: release codename unknown" >&2; exit 1; }

apt_etc="${APT_ETC:-/etc/apt}"
sources=()
for f in "$apt_etc"/sources.list "$apt_etc"/sources.list.d/*.list "$apt_etc"/sources.list.d/*.sources; do
  [ -f "$f" ] || continue
  case "$f" in */kestrane-deb-src.sources) continue ;; esac
  sources+=("$f")
done
[ ${#sources[@]} -gt 0 ] || { echo "deb-src-entry.sh: no apt sources found" >&2; exit 1; }

# One line per usable entry: uri<TAB>components<TAB>signed-by
entries=$(awk -v want="$codename" '
  function flush() {
    if (types ~ /(^| )deb( |$)/ && enabled != "no" && uris != "") {
      n = split(suites, s, " ")
      for (i = 1; i <= n; i++) if (s[i] == want) {
        m = split(uris, u, " ")
        for (j = 1; j <= m; j++) print u[j] "\t" comps "\t" signed
      }
    }
    types = uris = suites = comps = signed = enabled = ""
  }
  FILENAME ~ /\.sources$/ {
    if (FNR == 1) flush()
    if ($0 ~ /^[ \t]*$/) { flush(); next }
    if ($0 ~ /^[ \t]*#/) next
    key = tolower($1); sub(/:$/, "", key)
    val = $0; sub(/^[^:]*:[ \t]*/, "", val)
    if (key == "types") types = val
    else if (key == "uris") uris = val
    else if (key == "suites") suites = val
    else if (key == "components") comps = val
    else if (key == "signed-by") signed = val
    else if (key == "enabled") enabled = tolower(val)
    next
  }
  {
    flush()
    line = $0; sub(/#.*/, "", line)
    n = split(line, w, " ")
    if (n < 3 || w[1] != "deb") next
    k = 2; opts = ""
    if (w[2] ~ /^\[/) {
      while (k <= n) { opts = opts " " w[k]; if (w[k] ~ /\]$/) { k++; break } k++ }
    }
    if (k + 1 > n || w[k + 1] != want) next
    c = ""; for (i = k + 2; i <= n; i++) c = c (c == "" ? "" : " ") w[i]
    sb = ""
    if (match(opts, /signed-by=[^] ]+/)) sb = substr(opts, RSTART + 10, RLENGTH - 10)
    print w[k] "\t" c "\t" sb
  }
  END { flush() }
' "${sources[@]}" | awk -F'\t' '!seen[$1]++')

[ -n "$entries" ] || { echo "deb-src-entry.sh: no deb entry serves '$codename'" >&2; exit 1; }

# One stanza per entry: mirrors may differ in components and keyrings.
first=1
while IFS=$'\t' read -r uri components signed; do
  [ $first = 1 ] || echo
  first=0
  echo "Types: deb-src"
  echo "URIs: $uri"
  echo "Suites: $codename"
  echo "Components: ${components:-main}"
  [ -z "$signed" ] || echo "Signed-By: $signed"
done <<<"$entries"
