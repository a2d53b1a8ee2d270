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
export QT_QPA_PLATFORM=offscreen
cd "$build"
ctest --output-on-failure -j "$(nproc)"
