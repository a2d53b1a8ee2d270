#!/usr/bin/env bash
# Builds the RTF reader's libFuzzer target with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer in BUILD_DIR, and runs it for SECONDS on a copy of the seed corpus
# (tests/fuzz/corpus/rtf_reader). Exits non-zero when the fuzzer finds a crash, a leak, a
# time-out or runs out of memory; the input that did it is left in BUILD_DIR/artifacts/. Save it
# under tests/richtext/data/fuzz-regressions/, where tst_rtf_reader reads every file.
#
#   tests/fuzz/run_fuzz.sh BUILD_DIR [SECONDS]      SECONDS defaults to 60
#
# With FUZZ_KEEP_GOING=1 the fuzzer goes on after a failure (libFuzzer's fork mode) and collects
# every failing input it meets until the time is up; the exit status is then non-zero when any
# new input was left in BUILD_DIR/artifacts/.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
top="$(cd "$here/../.." && pwd)"

fail() {
    echo "run_fuzz.sh: $*" >&2
    exit 2
}

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

echo "Building fuzz_rtf_reader with clang in $build ..."
CC=clang CXX=clang++ cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DSCRIVANE_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --parallel 2 --target fuzz_rtf_reader >/dev/null

# New inputs the fuzzer finds go into the copy, never into the seeds in the source tree.
corpus="$build/fuzz-corpus/rtf_reader"
artifacts="$build/artifacts"
mkdir -p "$corpus" "$artifacts"
cp -n "$here/corpus/rtf_reader/"* "$corpus/"

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$here/lsan.supp:print_suppressions=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
count_artifacts() { find "$artifacts" -type f | wc -l; }
before="$(count_artifacts)"
keep_going=()
if [ "${FUZZ_KEEP_GOING:-0}" = 1 ]; then
    keep_going=(-fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1)
fi
status=0
"$build/tests/fuzz/fuzz_rtf_reader" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
    -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$artifacts/" \
    "${keep_going[@]}" "$corpus" || status=$?
if [ "$status" -eq 0 ] && [ "$(count_artifacts)" -gt "$before" ]; then
    status=1
fi
if [ "$status" -ne 0 ]; then
    echo "run_fuzz.sh: the fuzzer stopped with status $status; inputs that failed:" >&2
    ls -l "$artifacts" >&2
fi
exit "$status"
