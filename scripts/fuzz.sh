#!/usr/bin/env bash
# Builds the fuzz target with clang (build tree build-fuzz, sanitizers on) and runs it for a
# bounded time on a corpus grown from a few valid model databases. Fails if it finds a crash;
# the crashing input is left in build-fuzz/fuzz-run/artifacts/.
#   scripts/fuzz.sh [seconds]        (default 60, or FUZZ_SECONDS)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-${FUZZ_SECONDS:-60}}"
"$root/scripts/setup.sh" fuzz
if ! command -v clang++ >/dev/null 2>&1; then
    echo "fuzz: clang++ not found, nothing fuzzed" >&2
    exit 0
fi

dir="$root/build-fuzz"
if [ ! -f "$dir/build.ninja" ]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$dir" -G Ninja -DRGN_FUZZ=ON -DRGN_BENCH=OFF \
        >/dev/null
fi
cmake --build "$dir" -j 2 --target open_database_fuzz open_database_seeds

run="$dir/fuzz-run"
rm -rf "$run"
mkdir -p "$run/corpus" "$run/artifacts"
"$dir/fuzz/open_database_seeds" "$run/corpus"
echo "== fuzzing model database files for ${seconds}s =="
# A small quarantine: every input opens a database afresh, and with the default one most of
# the time went to faulting in new pages.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:quarantine_size_mb=32 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$dir/fuzz/open_database_fuzz" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$run/artifacts/" \
        "$run/corpus" \
        2>"$run/fuzz.log" || {
    tail -n 60 "$run/fuzz.log" >&2
    echo "fuzz: failed; the input is in $run/artifacts/" >&2
    exit 1
}
grep -E "^(stat::number_of_executed_units|stat::peak_rss_mb|#[0-9]+ +DONE)" "$run/fuzz.log" || true
