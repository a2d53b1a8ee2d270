#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and UndefinedBehaviorSanitizer in
# BUILD_DIR, and runs them one after the other for SECONDS in all, each on a copy of its seed
# corpus (tests/fuzz/corpus/NAME):
#
#   fuzz_rtf_reader     a topic's RTF                  half the time
#   fuzz_record_reader  a whole help document          a quarter
#   fuzz_hand_over      the hand-over file             a quarter
#
# Exits non-zero when a fuzzer finds a crash, a broken check, a leak, a time-out or runs out of
# memory; the input that did it is left in BUILD_DIR/artifacts/NAME/. Save an RTF one under
# tests/richtext/data/fuzz-regressions/, where tst_rtf_reader reads every file; make a storage
# one a row of tst_record_reader or tst_hand_over.
#
#   tests/fuzz/run_fuzz.sh BUILD_DIR [SECONDS]      SECONDS defaults to 60
#
# FUZZ_TARGETS="fuzz_record_reader ..." runs only those, sharing SECONDS by the same weights.
# With FUZZ_KEEP_GOING=1 each fuzzer goes on after a failure (libFuzzer's fork mode) and
# collects every failing input it meets until its time is up; the exit status is then non-zero
# when any new input was left in BUILD_DIR/artifacts/.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
top="$(cd "$here/../.." && pwd)"

fail() {
    echo "run_fuzz.sh: $*" >&2
    exit 2
}

# name, weight in the shared time, longest input
all_targets=(
    "fuzz_rtf_reader 2 65536"
    "fuzz_record_reader 1 32768"
    "fuzz_hand_over 1 4096"
)

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    fail "usage: run_fuzz.sh BUILD_DIR [SECONDS]"
fi
mkdir -p "$1"
build="$(cd "$1" && pwd)"
seconds="${2:-60}"
[[ "$seconds" =~ ^[1-9][0-9]*$ ]] || fail "SECONDS must be a positive whole number, not \"$seconds\""
command -v clang++ >/dev/null || fail "clang++ is missing (apt-get install clang)"
grep -q 'tests/fuzz' "$top/CMakeLists.txt" \
    || fail "$top/CMakeLists.txt does not add tests/fuzz when SCRIVANE_FUZZ is on"
if [ -f "$build/CMakeCache.txt" ] && ! grep -q '^CMAKE_CXX_COMPILER:.*clang' "$build/CMakeCache.txt"; then
    fail "$build was configured with another compiler than clang; use a new folder"
fi

targets=()
total_weight=0
for entry in "${all_targets[@]}"; do
    read -r name weight _ <<<"$entry"
    if [ -n "${FUZZ_TARGETS:-}" ] && [[ " $FUZZ_TARGETS " != *" $name "* ]]; then
        continue
    fi
    targets+=("$entry")
    total_weight=$((total_weight + weight))
done
[ "${#targets[@]}" -gt 0 ] || fail "FUZZ_TARGETS names no target: $FUZZ_TARGETS"

names=()
for entry in "${targets[@]}"; do
    read -r name _ <<<"$entry"
    names+=("$name")
done
echo "Building ${names[*]} with clang in $build ..."
CC=clang CXX=clang++ cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DSCRIVANE_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --parallel 2 --target "${names[@]}" >/dev/null

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$here/lsan.supp:print_suppressions=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
keep_going=()
if [ "${FUZZ_KEEP_GOING:-0}" = 1 ]; then
    keep_going=(-fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1)
fi

status=0
left="$seconds"
remaining_weight="$total_weight"
for entry in "${targets[@]}"; do
    read -r name weight max_len <<<"$entry"
    # The last one takes what is left, so the shares add up to SECONDS.
    share=$((left * weight / remaining_weight))
    [ "$share" -ge 1 ] || share=1
    left=$((left > share ? left - share : 0))
    remaining_weight=$((remaining_weight - weight))

    seeds="$here/corpus/${name#fuzz_}"
    # New inputs the fuzzer finds go into the copy, never into the seeds in the source tree.
    corpus="$build/fuzz-corpus/${name#fuzz_}"
    artifacts="$build/artifacts/$name"
    mkdir -p "$corpus" "$artifacts"
    cp -n "$seeds/"* "$corpus/"
    before="$(find "$artifacts" -type f | wc -l)"

    echo "==== $name for $share s ===="
    target_status=0
    "$build/tests/fuzz/$name" -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 \
        -max_total_time="$share" -print_final_stats=1 -artifact_prefix="$artifacts/" \
        "${keep_going[@]}" "$corpus" || target_status=$?
    if [ "$target_status" -eq 0 ] && [ "$(find "$artifacts" -type f | wc -l)" -gt "$before" ]; then
        target_status=1
    fi
    if [ "$target_status" -ne 0 ]; then
        echo "run_fuzz.sh: $name stopped with status $target_status; inputs that failed:" >&2
        ls -l "$artifacts" >&2
        status=1
    fi
done
exit "$status"
