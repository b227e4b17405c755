#!/usr/bin/env bash
# The Debian package: built with CPack from the Linux build, checked by lintian, unpacked into a
# scratch root, its files, metadata and declared dependencies checked, and the installed program
# started.
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
lintian --fail-on error,warning "$deb" || fail "lintian finds errors or warnings"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[[ $(dpkg-deb -f "$deb" Version) == "$version" ]] || fail "the package's version is not $version"
# What `apt show` prints: the description as written, no list separators, no escapes.
diff <(dpkg-deb -f "$deb" Description | tail -n +2 | sed 's/^ //; s/^\.$//') \
  "$here/../../packaging/description.txt" || fail "the long description differs from its source"

depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libqt6dbus6 libx11-6 libxtst6 libwayland-client0 qt6-qpa-plugins \
  libevdev2; do
  grep -q "$needed" <<<"$depends" || fail "Depends lacks $needed: $depends"
done
[[ $(dpkg-deb -f "$deb" Recommends) == *qt6-wayland* ]] || fail "it does not recommend qt6-wayland"

dpkg-deb -x "$deb" "$work/root"
metainfo=usr/share/metainfo/org.varnel.Varnel.metainfo.xml
for file in usr/bin/varnel usr/lib/varnel/varnel-window usr/lib/varnel/varnel-guardian usr/bin/varnel-reader usr/share/applications/varnel.desktop \
  usr/share/icons/hicolor/16x16/apps/varnel.png usr/share/icons/hicolor/32x32/apps/varnel.png \
  usr/share/icons/hicolor/scalable/apps/varnel.svg usr/share/man/man1/varnel.1.gz \
  usr/share/man/man1/varnel-reader.1.gz $metainfo usr/lib/udev/rules.d/70-varnel-reader.rules \
  usr/lib/systemd/user/varnel.service; do
  [[ -f "$work/root/$file" ]] || fail "the package lacks /$file"
done
desktop-file-validate "$work/root/usr/share/applications/varnel.desktop" || fail "desktop entry"
# The metainfo as software centres read it, its desktop entry included.
appstreamcli validate-tree --no-net "$work/root" >"$work/appstream.log" ||
  { cat "$work/appstream.log"; fail "the AppStream metainfo is not valid"; }

echo "the version, $version, everywhere"
grep -q "<release version=\"$version\"" "$work/root/$metainfo" || fail "metainfo release"
zcat "$work/root/usr/share/doc/varnel/changelog.gz" | head -n1 | grep -qF "varnel ($version)" ||
  fail "changelog"
for page in varnel varnel-reader; do
  zcat "$work/root/usr/share/man/man1/$page.1.gz" | grep -q "^\.TH .* \"Varnel $version\"" ||
    fail "manual page $page"
done
grep -q '^Name=Varnel$' "$work/root/usr/share/applications/varnel.desktop" || fail "desktop Name"
grep -q '^Icon=varnel$' "$work/root/usr/share/applications/varnel.desktop" || fail "desktop Icon"
grep -q '^Categories=Utility;$' "$work/root/usr/share/applications/varnel.desktop" ||
  fail "desktop category"
[[ $(identify -format '%wx%h' "$work/root/usr/share/icons/hicolor/32x32/apps/varnel.png") == 32x32 ]] ||
  fail "the 32x32 icon is not 32x32"

echo "the installed program, and its record's keys as the manual page lists them"
# With --type, a code not typed has every key a record may have.
"$work/root/usr/bin/varnel" --type --print >"$work/records" 2>"$work/stderr" &
pid=$!
box=$(wait_window Varnel 20) || fail "the installed program shows no window"
xdotool windowfocus --sync "$box" key Return
sleep 0.5
main=$(wait_window Varnel 10) || fail "the installed program shows no main window"
xdotool windowfocus --sync "$main"
press_code 100 300 10100101
for _ in $(seq 60); do [[ -s "$work/records" ]] && break; sleep 0.05; done
# The record section's list: each key is a term, its text indented further on the next line or
# on the same one.
keys=$(MANWIDTH=1000 man -P cat -E ascii -l "$work/root/usr/share/man/man1/varnel.1.gz" |
  sed -n '/^THE RECORD$/,/^[A-Z]/p' | awk '/^       [a-z_]+( |$)/ && !/^        / { print $1 }' |
  grep -E '^[a-z_]+$')
[[ -n "$keys" ]] && diff <(echo "$keys") <(head -n1 "$work/records" | grep -o '"[a-z_]*":' | tr -d '":') ||
  fail "the manual page's keys differ from a record's: $(head -n1 "$work/records")"
kill -TERM "$pid"
wait "$pid"
status=$?
pid=""
(( status == 0 )) || { cat "$work/stderr"; fail "the installed program ended with status $status"; }

# The user unit is the user's to enable: nothing in the package enables it.
[[ -z $(find "$work/root" -path '*wants*') && -z $(dpkg-deb -e "$deb" "$work/control" && ls "$work/control" | grep inst) ]] ||
  fail "the package enables its user unit"

echo "the options in --help and in the manual pages"
# entries INDENT: the entries of a list whose terms start INDENT columns in, one a line, each
# with its wrapped lines joined and its runs of spaces squeezed.
entries() {
  awk -v indent="$1" '
    { match($0, /^ */) }
    RLENGTH == indent && NF { if (e != "") print e; e = $0; next }
    RLENGTH > indent && NF && e != "" { e = e " " $0; next }
    { if (e != "") print e; e = "" }
    END { if (e != "") print e }' | tr -s ' ' | sed 's/^ //'
}
help=$("$work/root/usr/bin/varnel-reader" --help | entries 2)
grep -q -- "^--bad-parity flip" <<<"$help" || fail "no options in varnel-reader --help"
diff <(echo "$help") <(MANWIDTH=1000 man -P cat -E ascii -l \
  "$work/root/usr/share/man/man1/varnel-reader.1.gz" | sed -n '/^OPTIONS$/,/^[A-Z]/p' |
  entries 7) || fail "the manual page's options differ from varnel-reader --help"
diff <("$work/root/usr/bin/varnel" --help | entries 2 | grep '^--') <(MANWIDTH=1000 man -P cat -E ascii -l \
  "$work/root/usr/share/man/man1/varnel.1.gz" | sed -n '/^OPTIONS$/,/^[A-Z]/p' | entries 7 | grep '^--') ||
  fail "the manual page's options differ from varnel --help"
echo "PASS"
