#!/usr/bin/env bash
# Builds everything and runs the whole test suite.
#   scripts/test.sh            plain build in build/
#   scripts/test.sh --asan     AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/
#   scripts/test.sh --tsan     ThreadSanitizer build in build-tsan/, concurrency tests only
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"

mode=${1:-plain}
jobs=$(nproc 2>/dev/null || echo 2)
case "$mode" in
  plain)
    dir="$root/build"
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
    ninja -C "$dir"
    ctest --test-dir "$dir" --output-on-failure -j "$jobs"
    ;;
  --asan)
    dir="$root/build-asan"
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
      -DMURMURHALL_SANITIZE=address,undefined -DMURMURHALL_BENCH=OFF
    ninja -C "$dir"
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
      ctest --test-dir "$dir" --output-on-failure -j "$jobs"
    ;;
  --tsan)
    dir="$root/build-tsan"
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DMURMURHALL_SANITIZE=thread -DMURMURHALL_BENCH=OFF
    ninja -C "$dir" test_engine_threads test_editor_threads
    TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 ctest --test-dir "$dir" --output-on-failure \
      -R 'test_(engine|editor)_threads'
    ;;
  *)
    echo "usage: scripts/test.sh [--asan|--tsan]" >&2
    exit 2
    ;;
esac
