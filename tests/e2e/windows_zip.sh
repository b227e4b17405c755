#!/usr/bin/env bash
# The Windows download: the .zip holds the program and its read-me, and the read-me's bytes are
# what Notepad shows right: UTF-8 with a byte-order mark, CRLF line ends, Italian's own accents.
# Usage: windows_zip.sh ZIP VERSION
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
zip=$1
version=$2
e2e_setup

listing=$(cmake -E tar tf "$zip" | sort | tr '\n' ' ')
[[ $listing == "varnel/ varnel/LEGGIMI-README.txt varnel/varnel.exe " ]] ||
  fail "the .zip holds: $listing"
(cd "$work" && cmake -E tar xf "$zip") || fail "cannot unpack $zip"
readme=$work/varnel/LEGGIMI-README.txt

[[ $(head -c3 "$readme" | od -An -tx1 | tr -d ' ') == efbbbf ]] || fail "no UTF-8 byte-order mark"
iconv -f UTF-8 -t UTF-8 "$readme" >/dev/null || fail "not UTF-8"
lines=$(wc -l <"$readme")
(( lines > 10 && $(grep -c $'\r$' "$readme") == lines )) || fail "not every line ends in CRLF"
[[ $(tail -c2 "$readme" | od -An -tx1 | tr -d ' ') == 0d0a ]] || fail "the last line has no CRLF"
grep -q 'Varnel è il programma' "$readme" && grep -q '"Parità"' "$readme" ||
  fail "the Italian text lacks its accents"
# An apostrophe after a vowel at a word's end stands in for an accent ("e'", "Parita'"); elision
# ("all'avvio") keeps a letter after it.
! grep -n "[aeiouAEIOU]'\([^[:alpha:]]\|$\)" "$readme" || fail "accents written as apostrophes"
grep -q "^"$'\xef\xbb\xbf'"Varnel $version"$'\r$' "$readme" || fail "the read-me does not name $version"
echo "PASS"
