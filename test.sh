#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless; exits non-zero on any failure.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=scripts/packages.sh
source "$here/scripts/packages.sh"

scrivane_install_missing "${scrivane_build_packages[@]}" "${scrivane_run_packages[@]}" \
    "${scrivane_test_packages[@]}"

build="$here/build-test"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build"

# A bounded run of the RTF reader's fuzz target, where clang and its fuzzing runtime are
# installed. It runs before the tests so that their summary closes the output.
fuzz_status=0
if command -v clang++ >/dev/null \
    && [ -f "$(clang++ --print-runtime-dir)/libclang_rt.fuzzer-x86_64.a" ]; then
    # Its progress lines run to thousands: they go to a log, and only the end is shown.
    mkdir -p "$here/build-fuzz"
    fuzz_log="$here/build-fuzz/fuzz.log"
    echo "Fuzzing the RTF reader for ${SCRIVANE_FUZZ_SECONDS:-60} s (log: $fuzz_log) ..."
    "$here/tests/fuzz/run_fuzz.sh" "$here/build-fuzz" "${SCRIVANE_FUZZ_SECONDS:-60}" \
        >"$fuzz_log" 2>&1 || fuzz_status=$?
    tail -n 40 "$fuzz_log"
else
    echo "clang++ with libFuzzer is not installed: the fuzz run is left out"
fi

export QT_QPA_PLATFORM=offscreen
test_status=0
(cd "$build" && ctest --output-on-failure -j "$(nproc)") || test_status=$?
if [ "$fuzz_status" -ne 0 ]; then
    echo "The fuzz run failed (status $fuzz_status); see above." >&2
    exit 1
fi
exit "$test_status"
