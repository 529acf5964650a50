#!/usr/bin/env bash
# Copies a built Murmurhall.vst bundle into ~/.vst, or into the folder given as second argument or
# in VST_INSTALL_DIR. The old copy is replaced whole, so no stale files survive.
set -euo pipefail
bundle=${1:?usage: install-bundle.sh BUNDLE_DIR [DEST_DIR]}
dest=${2:-${VST_INSTALL_DIR:-$HOME/.vst}}
[ -f "$bundle/Contents/x86_64-linux/Murmurhall.so" ] || { echo "no plug-in in $bundle" >&2; exit 1; }
mkdir -p "$dest"
rm -rf "$dest/Murmurhall.vst.new"
cp -R "$bundle" "$dest/Murmurhall.vst.new"
rm -rf "$dest/Murmurhall.vst"
mv "$dest/Murmurhall.vst.new" "$dest/Murmurhall.vst"
echo "installed $dest/Murmurhall.vst"
