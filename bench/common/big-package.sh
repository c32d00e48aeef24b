# Sourced by the download benches (after root and build are set): the local
# setup service serving one big package from a fresh work folder, both gone
# when the script ends. Sets work, state, port, file, url, size and md5, and
# the helpers win (a Linux path as Wine sees it), best (the smaller of two
# numbers) and median (of its arguments).
# usage: serve_big_package <MiB>
serve_big_package() {
  work=$(mktemp -d)
  state="$work/service"
  trap 'bash "$root/tools/setup-service/stop.sh" "$state"; rm -rf "$work"' EXIT
  bash "$root/tools/setup-service/start.sh" "$state" "$build/tools/sample-package/sample_package.exe" \
    --big-package-mib "$1" >/dev/null
  port=$(cat "$state/port")
  file="Big_$1MiB.exe"
  url="http://127.0.0.1:$port/packages/$file"
  size=$(stat -c %s "$state/packages/$file")
  md5=$(md5sum "$state/packages/$file" | cut -d' ' -f1)
  cat "$state/packages/$file" >/dev/null  # every reader starts from the page cache
}

win() { local p="$1"; echo "Z:${p//\//\\}"; }
best() { echo "if ($1 < $2) $1 else $2" | bc -l; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
