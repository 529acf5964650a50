#!/usr/bin/env bash
# Makes examples/voice.wav, the short spoken phrase the examples and scripts/run.sh render.
# A synthetic voice keeps the repository free of recordings with unclear rights.
# Needs espeak-ng and sox (Debian: apt-get install espeak-ng sox); the result is mono 44.1 kHz 16-bit.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp --suffix=.wav)
trap 'rm -f "$tmp"' EXIT
espeak-ng -v en-us -s 150 -p 45 -w "$tmp" \
  "Welcome to the murmur hall. One voice goes in, and a crowd answers."
# Resample to 44.1 kHz, trim leading and trailing silence, leave 3 dB of headroom; no dither,
# so the same espeak-ng gives the same bytes.
sox -D "$tmp" -r 44100 -c 1 -b 16 "$here/voice.wav" \
  silence 1 0.02 0.5% reverse silence 1 0.02 0.5% reverse norm -3
soxi "$here/voice.wav"
