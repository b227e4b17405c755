#!/usr/bin/env bash
# The Debian package: built with CPack from the Linux build, unpacked into a scratch root, its
# files and declared dependencies checked, and the installed program started.
# Usage (on a private display): deb_package.sh BUILD_LINUX
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
build=$1
e2e_setup

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log"; fail "cpack could not build the package"; }
deb=$(ls "$work"/out/varnel_*.deb 2>/dev/null | head -n1)
[[ -f "$deb" ]] || fail "no varnel_*.deb"
echo "package: $(basename "$deb")"

depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libx11-6 libxtst6 qt6-qpa-plugins libevdev2; do
  grep -q "$needed" <<<"$depends" || fail "Depends lacks $needed: $depends"
done
[[ $(dpkg-deb -f "$deb" Recommends) == *qt6-wayland* ]] || fail "it does not recommend qt6-wayland"

dpkg-deb -x "$deb" "$work/root"
for file in usr/bin/varnel usr/bin/varnel-reader usr/share/applications/varnel.desktop \
  usr/share/icons/hicolor/16x16/apps/varnel.png usr/share/icons/hicolor/32x32/apps/varnel.png \
  usr/share/icons/hicolor/scalable/apps/varnel.svg usr/lib/udev/rules.d/70-varnel-reader.rules; do
  [[ -f "$work/root/$file" ]] || fail "the package lacks /$file"
done
grep -q '^Name=Varnel$' "$work/root/usr/share/applications/varnel.desktop" || fail "desktop Name"
grep -q '^Icon=varnel$' "$work/root/usr/share/applications/varnel.desktop" || fail "desktop Icon"
grep -q '^Categories=Utility;$' "$work/root/usr/share/applications/varnel.desktop" ||
  fail "desktop category"
[[ $(identify -format '%wx%h' "$work/root/usr/share/icons/hicolor/32x32/apps/varnel.png") == 32x32 ]] ||
  fail "the 32x32 icon is not 32x32"

echo "the installed program"
"$work/root/usr/bin/varnel" 2>"$work/stderr" &
pid=$!
wait_window Varnel 20 >/dev/null || fail "the installed program shows no window"
kill -TERM "$pid"
wait "$pid"
status=$?
pid=""
(( status == 0 )) || { cat "$work/stderr"; fail "the installed program ended with status $status"; }
"$work/root/usr/bin/varnel-reader" --help | grep -q "usage: varnel-reader" || fail "varnel-reader"
echo "PASS"
