#!/usr/bin/env bash
# Fails unless the plug-in module defines exactly the two entry names in its dynamic symbol table.
set -euo pipefail
if [ $# -ne 1 ] || [ ! -f "$1" ]; then
  echo "usage: $0 path/to/Murmurhall.so (file not found: ${1:-none})" >&2
  exit 2
fi
actual=$(nm -D --defined-only "$1" | awk 'NF >= 3 { print $3 } NF == 2 { print $2 }' | sed 's/@.*//' | sort -u)
expected=$(printf '%s\n' VSTPluginMain main | sort -u)
if [ "$actual" != "$expected" ]; then
  echo "exported symbols of $1 are wrong" >&2
  missing=$(comm -23 <(echo "$expected") <(echo "$actual"))
  extra=$(comm -13 <(echo "$expected") <(echo "$actual"))
  [ -n "$missing" ] && echo "missing: $missing" | tr '\n' ' ' >&2 && echo >&2
  [ -n "$extra" ] && echo "unexpected: $extra" | tr '\n' ' ' >&2 && echo >&2
  exit 1
fi
echo "exports ok: VSTPluginMain main"
