#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless; exits non-zero on any failure.
# Then builds everything again in build-asan/ with AddressSanitizer and UndefinedBehaviorSanitizer
# and runs every test there too; any sanitizer report fails that test.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=scripts/packages.sh
source "$here/scripts/packages.sh"

scrivane_install_missing "${scrivane_build_packages[@]}" "${scrivane_run_packages[@]}" \
    "${scrivane_test_packages[@]}"

jobs="$(nproc)"
banner() { printf '\n==== %s ====\n' "$*"; }

banner "Normal build (build-test/)"
build="$here/build-test"
# -g1: file and line for every frame, without the variable information that Qt's headers make
# most of the debug info; it keeps compiling and linking about a third faster.
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" >/dev/null
cmake --build "$build" --parallel "$jobs"

# A bounded run of the fuzz targets (the RTF reader, the record reader, the hand-over file),
# one after the other within the one time, where clang and its fuzzing runtime are installed.
# It runs beside the tests and the sanitizer build, on its own core most of the time; its
# progress lines run to thousands, so they go to a log and only each target's end is shown.
fuzz_status=0
fuzz_pid=""
fuzz_log="$here/build-fuzz/fuzz.log"
if command -v clang++ >/dev/null \
    && [ -f "$(clang++ --print-runtime-dir)/libclang_rt.fuzzer-x86_64.a" ]; then
    mkdir -p "$here/build-fuzz"
    echo "Fuzzing the readers for ${SCRIVANE_FUZZ_SECONDS:-60} s in the background (log: $fuzz_log)"
    "$here/tests/fuzz/run_fuzz.sh" "$here/build-fuzz" "${SCRIVANE_FUZZ_SECONDS:-60}" \
        >"$fuzz_log" 2>&1 &
    fuzz_pid=$!
else
    echo "clang++ with libFuzzer is not installed: the fuzz run is left out"
fi

export QT_QPA_PLATFORM=offscreen
banner "Tests of the normal build (build-test/)"
test_status=0
(cd "$build" && ctest --output-on-failure -j "$jobs") || test_status=$?

# The sanitizer build. -O1 rather than Debug's -O0, as ASan advises: its checks make -O0 code
# several times slower, and -O1 still keeps reports exact. -g1 as above. No NDEBUG: asserts stay
# on. The hand-run benchmarks are left out; the normal build compiles them.
banner "Sanitizer build (build-asan/: ASan + UBSan)"
asan="$here/build-asan"
asan_build_status=0
cmake -S "$here" -B "$asan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSCRIVANE_SANITIZE=ON \
    -DSCRIVANE_BENCH=OFF -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" >/dev/null
cmake --build "$asan" --parallel "$jobs" || asan_build_status=$?

if [ -n "$fuzz_pid" ]; then
    wait "$fuzz_pid" || fuzz_status=$?
    banner "Fuzzing the readers (build-fuzz/)"
    # Each target's final figures; on a failure the end of the log, with the report.
    if [ "$fuzz_status" -eq 0 ]; then
        grep -E '^(====|Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$fuzz_log" || true
    else
        tail -n 80 "$fuzz_log"
    fi
fi

asan_test_status=0
if [ "$asan_build_status" -eq 0 ]; then
    banner "Tests of the sanitizer build (build-asan/)"
    # Any report ends the process with an error, so the test fails; the report is in its output.
    export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:abort_on_error=1"
    export LSAN_OPTIONS="suppressions=$here/tests/sanitizer/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    # The report already holds the stack; QtTest's own gdb dump after the abort only adds noise.
    export QTEST_DISABLE_STACK_DUMP=1
    (cd "$asan" && ctest --output-on-failure -j "$jobs") || asan_test_status=$?
fi

status=0
if [ "$fuzz_status" -ne 0 ]; then
    echo "FAILED: the fuzz run (status $fuzz_status, build-fuzz/); see its log above." >&2
    status=1
fi
if [ "$test_status" -ne 0 ]; then
    echo "FAILED: tests of the normal build (build-test/); see their summary above." >&2
    status=1
fi
if [ "$asan_build_status" -ne 0 ]; then
    echo "FAILED: the sanitizer build (build-asan/) did not compile; see above." >&2
    status=1
elif [ "$asan_test_status" -ne 0 ]; then
    echo "FAILED: tests of the sanitizer build (build-asan/); see the summary above." >&2
    status=1
fi
exit "$status"
