#!/usr/bin/env bash
# Builds the fuzz targets with clang (build tree build-fuzz, sanitizers on) and runs each for a
# bounded time on a corpus grown from valid model databases (its seed program's files, and its
# regression inputs). Fails if a target finds a crash; the crashing input is left in
# build-fuzz/fuzz-run/<target>/artifacts/. A finding, once fixed, is kept under
# fuzz/regressions/<target>/, which the normal and sanitizer builds replay as tests.
#   scripts/fuzz.sh [seconds per target] [target...]
#                     (default 60, or FUZZ_SECONDS; targets open_database module_readers)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-${FUZZ_SECONDS:-60}}"
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(open_database module_readers)
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
build=()
for t in "${targets[@]}"; do build+=("${t}_fuzz" "${t}_seeds"); done
cmake --build "$dir" -j 2 --target "${build[@]}"

for t in "${targets[@]}"; do
    run="$dir/fuzz-run/$t"
    rm -rf "$run"
    mkdir -p "$run/corpus" "$run/artifacts"
    "$dir/fuzz/${t}_seeds" "$run/corpus"
    if [ -d "$root/fuzz/regressions/$t" ]; then
        cp "$root/fuzz/regressions/$t"/* "$run/corpus/" 2>/dev/null || true
    fi
    echo "== fuzzing $t for ${seconds}s =="
    # A small quarantine: every input opens a database afresh, and with the default one most
    # of the time went to faulting in new pages.
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:quarantine_size_mb=32 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        "$dir/fuzz/${t}_fuzz" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
            -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$run/artifacts/" \
            "$run/corpus" \
            2>"$run/fuzz.log" || {
        tail -n 60 "$run/fuzz.log" >&2
        echo "fuzz: $t failed; the input is in $run/artifacts/" >&2
        exit 1
    }
    grep -E "^(stat::number_of_executed_units|stat::peak_rss_mb|#[0-9]+[[:space:]]+(INITED|DONE))" "$run/fuzz.log" || true
done
