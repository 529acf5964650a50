#!/usr/bin/env bash
# The main job on a fresh machine: installs what the build needs, builds, installs the bundle into
# ~/.vst (or VST_INSTALL_DIR), then renders the bundled voice through "3 Stadium Chant".
#   scripts/run.sh [OUTPUT.wav]      (default: voice-stadium-chant.wav in the current folder)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-voice-stadium-chant.wav}
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
ninja -C "$root/build" murmurhall_vst murmurhall-host
dest=${VST_INSTALL_DIR:-$HOME/.vst}
"$root/scripts/install-bundle.sh" "$root/build/Murmurhall.vst" "$dest"
"$root/build/murmurhall-host" render "$root/examples/voice.wav" "$out" \
  --plugin "$dest/Murmurhall.vst/Contents/x86_64-linux/Murmurhall.so" \
  --program "3 Stadium Chant" --tail 1
