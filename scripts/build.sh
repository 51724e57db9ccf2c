#!/usr/bin/env bash
# Configures (once) and builds one build tree incrementally.
#   scripts/build.sh normal|sanitize|tsan [targets...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
kind="${1:-normal}"
shift || true
case "$kind" in
    normal)   dir="$root/build";      flags=(-DRGN_SANITIZE=OFF) ;;
    sanitize) dir="$root/build-asan"; flags=(-DRGN_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug) ;;
    # Optimised: the thread tests do thousands of rounds, and ThreadSanitizer is slow enough.
    tsan)     dir="$root/build-tsan"; flags=(-DRGN_TSAN=ON -DCMAKE_CXX_COMPILER=g++
                                             -DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
    *) echo "build: unknown build kind '$kind' (normal, sanitize or tsan)" >&2; exit 2 ;;
esac
if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$root" -B "$dir" -G Ninja "${flags[@]}" >/dev/null
fi
if [ $# -gt 0 ]; then
    cmake --build "$dir" -j 2 --target "$@"
else
    cmake --build "$dir" -j 2
fi
