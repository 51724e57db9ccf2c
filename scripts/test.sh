#!/usr/bin/env bash
# Builds and runs every test: a normal build, then a sanitizer build (AddressSanitizer,
# UndefinedBehaviorSanitizer, leak checking). `scripts/test.sh normal` or `sanitize` runs one;
# `scripts/test.sh tsan` builds the thread tests with ThreadSanitizer and runs them alone.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"

kinds=("$@")
[ ${#kinds[@]} -eq 0 ] && kinds=(normal sanitize)

for kind in "${kinds[@]}"; do
    echo "== $kind build =="
    case "$kind" in
        tsan)
            "$root/scripts/build.sh" tsan test_threads
            TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
                ctest --test-dir "$root/build-tsan" --output-on-failure -j 2 -L threads
            continue ;;
        sanitize) dir="$root/build-asan" ;;
        *) dir="$root/build" ;;
    esac
    "$root/scripts/build.sh" "$kind"
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        ctest --test-dir "$dir" --output-on-failure -j 2
done
