#!/usr/bin/env bash
# Builds and runs every test: a normal build, then a sanitizer build (AddressSanitizer,
# UndefinedBehaviorSanitizer, leak checking). `scripts/test.sh normal` or `sanitize` runs one.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"

kinds=("$@")
[ ${#kinds[@]} -eq 0 ] && kinds=(normal sanitize)

for kind in "${kinds[@]}"; do
    echo "== $kind build =="
    "$root/scripts/build.sh" "$kind"
    dir="$root/build"
    [ "$kind" = sanitize ] && dir="$root/build-asan"
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        ctest --test-dir "$dir" --output-on-failure -j 2
done
