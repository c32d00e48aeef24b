#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need, from Debian's
# packages only. Idempotent: a second run finishes in about a second.
set -euo pipefail

DEPS_DIR="${KESTRANE_DEPS_DIR:-/opt/kestrane-deps}"
STAMP="$DEPS_DIR/.setup-done-v4"

if [ -f "$STAMP" ] && [ -d "$DEPS_DIR/tinyxml2" ] && locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$'; then
  exit 0
fi

if [ "$(id -u)" != 0 ]; then
  echo "setup.sh: run as root (it installs Debian packages)" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
PACKAGES=(
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools
  cmake ninja-build wine64 xvfb xauth x11-utils fonts-wqy-microhei imagemagick
  googletest nlohmann-json3-dev dpkg-dev locales python3 python3-pil curl bc
  # the artwork script's fonts (redrawn and compared by ctest) and PNG recompressor
  fonts-dejavu-core fonts-dejavu-extra zopfli
)

# deb-src entry for the tinyxml2 source package, from the same mirror that
# the machine's own deb entries use
SRC_LIST=/etc/apt/sources.list.d/kestrane-deb-src.sources
need_update=0
if ! src_entry=$(bash "$(dirname "${BASH_SOURCE[0]}")/deb-src-entry.sh"); then
  echo "setup.sh: no deb entry of this machine names the release; using deb.debian.org for sources" >&2
  src_entry=$(printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s\nComponents: main' \
    "$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")")
fi
if [ ! -f "$SRC_LIST" ] || [ "$(cat "$SRC_LIST")" != "$src_entry" ]; then
  printf '%s\n' "$src_entry" > "$SRC_LIST"
  need_update=1
fi

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ] || [ $need_update = 1 ]; then
  apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# zh_CN.UTF-8 makes Wine's ANSI code page 936, as on the target machines
if ! locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$'; then
  sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi

# tinyxml2 from its Debian source package, compiled later by the cross build
mkdir -p "$DEPS_DIR"
if [ ! -d "$DEPS_DIR/tinyxml2" ]; then
  work=$(mktemp -d)
  if ! (cd "$work" && apt-get source -qq --download-only tinyxml2 >/dev/null 2>&1); then
    apt-get update -qq
    (cd "$work" && apt-get source -qq --download-only tinyxml2 >/dev/null)
  fi
  (cd "$work" && dpkg-source -x --no-check ./*.dsc src >/dev/null)
  rm -rf "$DEPS_DIR/tinyxml2.tmp"
  mkdir -p "$DEPS_DIR/tinyxml2.tmp"
  cp "$work/src/tinyxml2.cpp" "$work/src/tinyxml2.h" "$DEPS_DIR/tinyxml2.tmp/"
  mv "$DEPS_DIR/tinyxml2.tmp" "$DEPS_DIR/tinyxml2"
  rm -rf "$work"
fi

touch "$STAMP"
