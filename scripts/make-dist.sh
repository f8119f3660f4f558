#!/usr/bin/env bash
# Builds what a Windows user installs: a portable zip (Mountwick.exe,
# Mountwick.chm, a short Japanese readme) and a per-user installer.
#   make-dist.sh BIN_DIR OUT_DIR VERSION BUILD README
# The build passes the version as users see it, the build number and the
# readme with them filled in, all from the version in CMakeLists.txt.
set -euo pipefail
bin=$1
out=$2
version=$3
build=$4
readme=$5
source_dir="$(cd "$(dirname "$0")/.." && pwd)"
name="Mountwick-$version-Build$build"

mkdir -p "$out"
stage="$out/stage"
rm -rf "$stage"
mkdir -p "$stage/Mountwick"
# The readme is for Windows' Japanese code page and line ends.
iconv -f UTF-8 -t CP932 "$readme" | sed 's/$/\r/' >"$stage/Mountwick/readme.txt"
cp "$bin/Mountwick.exe" "$stage/Mountwick/"
[[ -f "$bin/Mountwick.chm" ]] && cp "$bin/Mountwick.chm" "$stage/Mountwick/"

rm -f "$out/$name.zip"
(cd "$stage" && zip -q -r "$out/$name.zip" Mountwick)
makensis -V2 -DBIN_DIR="$stage/Mountwick" -DREADME="$stage/Mountwick/readme.txt" \
  -DPRODUCT_VERSION="$version" -DBUILD_NUMBER="$build" -DOUT_FILE="$out/$name-Setup.exe" \
  "$source_dir/installer/mountwick.nsi"
rm -rf "$stage"
echo "dist: $out/$name.zip"
echo "dist: $out/$name-Setup.exe"
