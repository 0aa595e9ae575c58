#!/usr/bin/env bash
# Builds the Debian package from the build folder and checks its name, dependencies and files.
#   check_package.sh <build folder> <application id>
set -euo pipefail
build=$1 id=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >/dev/null) || fail "cpack"
debs=("$work"/roomvale_*.deb)
[ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || fail "no roomvale_*.deb"
deb=${debs[0]}

[ "$(dpkg-deb --field "$deb" Package)" = roomvale ] || fail "package name"
depends=$(dpkg-deb --field "$deb" Depends)
for lib in libqt6widgets6 libqt6printsupport6 libzip4; do
  grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
done

contents=$(dpkg-deb --contents "$deb" | awk '{print $NF}')
for f in ./usr/bin/roomvale ./usr/share/roomvale/rmvl30.hlp "./usr/share/applications/$id.desktop" \
         "./usr/share/metainfo/$id.metainfo.xml" ./usr/share/man/man1/roomvale.1 \
         "./usr/share/icons/hicolor/scalable/apps/$id.svg" "./usr/share/icons/hicolor/48x48/apps/$id.png"; do
  grep -qxF "$f" <<<"$contents" || fail "package lacks $f"
done
echo "$(basename "$deb"): Depends: $depends"
