#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop needs of it: the file
# list, the desktop entry and metainfo validate, the icons have their sizes, and the installed
# program answers on the terminal and finds its help document.
#   check_install.sh <build folder> <application id>
set -euo pipefail
build=$1 id=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

expected=(
  bin/roomvale
  share/roomvale/rmvl30.hlp
  "share/applications/$id.desktop"
  "share/metainfo/$id.metainfo.xml"
  share/man/man1/roomvale.1
  "share/icons/hicolor/scalable/apps/$id.svg"
)
for size in 16 32 48 64 128 256; do expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png"); done
diff <(printf '%s\n' "${expected[@]}" | sort) <(cd "$prefix" && find . -type f -printf '%P\n' | sort) \
  || fail "installed files differ from the expected list"

desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop entry does not validate"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null \
  || fail "metainfo does not validate"
grep -qx "Icon=$id" "$prefix/share/applications/$id.desktop" || fail "desktop entry names another icon"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$prefix/share/metainfo/$id.metainfo.xml" \
  || fail "metainfo launches another desktop entry"

# Width and height of each PNG from its IHDR chunk.
for size in 16 32 48 64 128 256; do
  png="$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png"
  dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')
  [ "$dims" = "${size}x${size}" ] || fail "$png is $dims"
done
grep -q '<svg' "$prefix/share/icons/hicolor/scalable/apps/$id.svg" || fail "scalable icon is not SVG"

[ "$("$prefix/bin/roomvale" --version)" = "roomvale 3.3" ] || fail "--version"
"$prefix/bin/roomvale" --help | grep -qxF "Help document: $prefix/share/roomvale/rmvl30.hlp" \
  || fail "--help does not show the installed help document"

# The installed program starts (offscreen, in a private home) and stays up until stopped.
mkdir -p "$work/home"
set +e
HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share \
  QT_QPA_PLATFORM=offscreen timeout 4 "$prefix/bin/roomvale" 2>"$work/stderr"
rc=$?
set -e
[ $rc = 124 ] || { cat "$work/stderr" >&2; fail "installed program ended by itself (exit $rc)"; }
if grep -qi 'help document' "$work/stderr"; then cat "$work/stderr" >&2; fail "help document not found"; fi
echo "installed and checked: ${#expected[@]} files"
