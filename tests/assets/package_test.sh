#!/usr/bin/env bash
# Makes the Debian package of the build and checks it as a user gets it:
# lintian and appstreamcli accept it; the program folder /usr/lib/quillmere
# holds the program and the bridge, with a link in /usr/bin, and nothing is
# named chdman; the desktop entry starts that program with an icon at each
# size; and the unpacked program folder updates a real image with the
# machine's chdman (when mame-tools is installed).
# Usage: package_test.sh MAKE_DEB BUILD_DIR BATCH_INSTANCE
set -euo pipefail
make_deb=$1
build=$2
batch_instance=$3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

deb=$("$make_deb" "$build" "$work/out")
lintian --fail-on error,warning "$deb" >"$work/lintian.txt" 2>&1 || fail "lintian rejects $deb: $(cat "$work/lintian.txt")"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 fonts-liberation2; do
  [[ $depends == *"$needed"* ]] || fail "Depends lacks $needed: $depends"
done
[[ $(dpkg-deb -f "$deb" Recommends) == *mame-tools* ]] || fail "mame-tools is not recommended"
root=$work/root
dpkg-deb -x "$deb" "$root"

lib=$root/usr/lib/quillmere
for program in quillmere quillmere-chdman-bridge; do
  [[ -f $lib/$program && -x $lib/$program ]] || fail "no executable /usr/lib/quillmere/$program"
done
[[ $(readlink "$root/usr/bin/quillmere") == ../lib/quillmere/quillmere ]] || fail "/usr/bin/quillmere is not a link to the program"
named_like_tool=$(cd "$root" && find . -name 'chdman*')
[[ -z $named_like_tool ]] || fail "the package holds files named like the tool: $named_like_tool"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml >/dev/null || fail "appstreamcli rejects the metainfo"

# The PNG's width and height from its IHDR chunk.
png_size() {
  local hex
  hex=$(od -An -tx1 -j16 -N8 "$1" | tr -d ' \n')
  echo "$((16#${hex:0:8}))x$((16#${hex:8:8}))"
}
entry=$root/usr/share/applications/quillmere.desktop
desktop-file-validate "$entry" || fail "desktop-file-validate rejects the desktop entry"
key() { sed -n "s/^$1=//p" "$entry"; }
exec_name=$(key Exec | cut -d' ' -f1)
[[ -n $exec_name && -x "$root/usr/bin/$exec_name" ]] || fail "Exec '$exec_name' is not in /usr/bin"
grep -q '^Name\[it\]=\|^Comment\[it\]=' "$entry" || fail "no Italian name or comment"
icon=$(key Icon)
for size in 16 32 48; do
  png="$root/usr/share/icons/hicolor/${size}x${size}/apps/$icon.png"
  [[ -f $png && $(png_size "$png") == "${size}x${size}" ]] || fail "no ${size}x${size} icon '$icon'"
done
grep -q '<svg' "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" 2>/dev/null || fail "no scalable icon '$icon'"

if chdman=$(command -v chdman); then
  data=$work/data
  mkdir -p "$data" "$work/private"
  image="$data/-rf disk.chd"
  head -c $((1 << 20)) /dev/urandom >"$work/disk.raw"
  "$chdman" createhd -i "$work/disk.raw" -o "$image" -c zlib >/dev/null 2>&1
  before=$("$chdman" info -i "$image" | sed -n 's/^Data SHA1: *//p')
  env -u QUILLMERE_CHDMAN "$batch_instance" "$lib/" "$work/private/" - "$image" || fail "the packaged program folder did not update $image"
  after=$("$chdman" info -i "$image" | sed -n 's/^Data SHA1: *//p')
  [[ -n $before && $before == "$after" && -f "$data/-rf disk.old" ]] || fail "the update changed the data or left no backup"
else
  echo "chdman is not installed (mame-tools): the real update is not tried"
fi

((failures == 0)) || exit 1
echo "package as expected: $(basename "$deb")"
