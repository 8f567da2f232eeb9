#!/usr/bin/env bash
# Installs the build into a fresh staging folder with `cmake --install` and
# checks what lands there: the executable in bin/, the desktop entry that
# desktop-file-validate accepts and that starts that executable with that
# icon, and the icon at each size in the hicolor theme.
# Usage: install_layout_test.sh CMAKE BUILD_DIR
set -euo pipefail
cmake=$1
build=$2

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
"$cmake" --install "$build" --prefix "$stage" >/dev/null

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# The PNG's width and height from its IHDR chunk.
png_size() {
  local hex
  hex=$(od -An -tx1 -j16 -N8 "$1" | tr -d ' \n')
  echo "$((16#${hex:0:8}))x$((16#${hex:8:8}))"
}

exe="$stage/bin/quillmere"
[[ -f $exe && -x $exe ]] || fail "no executable bin/quillmere"

entry="$stage/share/applications/quillmere.desktop"
if [[ -f $entry ]]; then
  desktop-file-validate "$entry" || fail "desktop-file-validate rejects $entry"
  key() { sed -n "s/^$1=//p" "$entry"; }
  [[ $(key Type) == Application ]] || fail "Type is '$(key Type)'"
  # Exec names a program that the install put in bin/.
  exec_name=$(key Exec | cut -d' ' -f1)
  [[ -n $exec_name && -x "$stage/bin/$exec_name" ]] || fail "Exec '$exec_name' is not in bin/"
  icon=$(key Icon)
  [[ $(key Categories) == *Utility\;* ]] || fail "Categories '$(key Categories)' lack Utility"
  grep -q '^Name\[it\]=\|^Comment\[it\]=' "$entry" || fail "no Italian name or comment"
else
  fail "no share/applications/quillmere.desktop"
  icon=quillmere
fi

for size in 16 32 48; do
  png="$stage/share/icons/hicolor/${size}x${size}/apps/$icon.png"
  if [[ ! -f $png ]]; then
    fail "no ${size}x${size} icon '$icon'"
  elif [[ $(head -c8 "$png" | od -An -tx1 | tr -d ' \n') != 89504e470d0a1a0a ]]; then
    fail "$png is not a PNG"
  elif [[ $(png_size "$png") != "${size}x${size}" ]]; then
    fail "$png is $(png_size "$png")"
  fi
done
svg="$stage/share/icons/hicolor/scalable/apps/$icon.svg"
grep -q '<svg' "$svg" 2>/dev/null || fail "no scalable icon '$icon'"

((failures == 0)) || exit 1
echo "install layout as expected"
