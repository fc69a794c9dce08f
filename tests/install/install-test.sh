#!/usr/bin/env bash
# Installs into a temporary prefix as `make install` would, checks what landed
# where the desktop and the help launcher look, starts the installed program,
# then uninstalls from the same manifest and checks only those files went.
# Args: build-dir source-dir version desktop-id with-help(0/1) qch-name-or-empty
set -euo pipefail
build=$1 source=$2 version=$3 id=$4 with_help=$5 qch=${6:-}

work=$(mktemp -d)
manifest="$build/install_manifest.txt"
saved=""
if [ -f "$manifest" ]; then
  saved="$work/saved-manifest"
  cp -p "$manifest" "$saved"
fi
# The real install's manifest is what `make uninstall` reads: put it back.
restore() {
  if [ -n "$saved" ]; then cp -p "$saved" "$manifest"; else rm -f "$manifest"; fi
  rm -rf "$work"
}
trap restore EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

prefix="$work/prefix with space"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; fail "install"; }
cp "$manifest" "$work/manifest"

expected=(
  "bin/marrowlight"
  "share/applications/$id.desktop"
  "share/icons/hicolor/scalable/apps/marrowlight.svg"
  "share/metainfo/$id.metainfo.xml"
)
[ "$with_help" = 1 ] && expected+=("bin/marrowlight-help")
[ -n "$qch" ] && expected+=("share/marrowlight/$qch")
for file in "${expected[@]}"; do
  [ -f "$prefix/$file" ] || fail "not installed: $file"
done
programs=(marrowlight)
[ "$with_help" = 1 ] && programs+=(marrowlight-help)
for program in "${programs[@]}"; do
  [ -x "$prefix/bin/$program" ] || fail "not executable: bin/$program"
done

# The launcher's Exec and Icon name what was installed.
desktop="$prefix/share/applications/$id.desktop"
grep -qx 'Exec=marrowlight %F' "$desktop" || fail "Exec line"
grep -qx 'Icon=marrowlight' "$desktop" || fail "Icon line"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" \
  "$prefix/share/metainfo/$id.metainfo.xml" || fail "metainfo does not name the desktop file"
grep -q "<release version=\"$version\"" "$prefix/share/metainfo/$id.metainfo.xml" \
  || fail "metainfo release is not $version"

out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/bin/marrowlight" --version)
[ "$out" = "Marrowlight $version" ] || fail "--version printed '$out'"

# Uninstalling removes exactly the listed files: a stranger's file stays.
[ "$(grep -c "" "$work/manifest")" -ge "${#expected[@]}" ] || fail "manifest lists too few files"
echo keep >"$prefix/share/applications/other.desktop"
cmake -DMANIFEST="$work/manifest" -P "$source/cmake/Uninstall.cmake" >"$work/uninstall.log"
left=$(cd "$prefix" && find . -type f | sort)
[ "$left" = "./share/applications/other.desktop" ] || fail "after uninstall, left: $left"
[ ! -e "$prefix/share/marrowlight" ] || fail "share/marrowlight left behind"
echo "installed ${#expected[@]} files, started --version, uninstalled them"
