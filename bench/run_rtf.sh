#!/usr/bin/env bash
# Hand-run benchmark of the RTF reader (not a test; ctest never runs it). Converts the largest
# RTF sample to HTML with LibreOffice, installing it when soffice is missing, then times our
# RTF import against Qt's HTML import of the same document, each followed by a full layout,
# and prints both and their ratio (the target is at most 1.0).
#
#   bench/run_rtf.sh [RUNS] [BUILD_DIR]     RUNS defaults to 9, BUILD_DIR to build-bench/
set -euo pipefail
export LC_ALL=C

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
top="$(dirname "$here")"
runs="${1:-9}"
build="${2:-$top/build-bench}"
sample="$(dirname "$top")/shared/rtf-samples/generated/g05-nodejs-api-large.rtf"
# shellcheck source-path=SCRIPTDIR source=../scripts/packages.sh
source "$top/scripts/packages.sh"

fail() {
    echo "run_rtf.sh: $*" >&2
    exit 1
}

[ -r "$sample" ] || fail "cannot read $sample"
if ! command -v soffice >/dev/null; then
    scrivane_install_missing libreoffice-writer-nogui
    command -v soffice >/dev/null || fail "soffice is still missing after the installation"
fi

if [ ! -f "$build/CMakeCache.txt" ]; then
    echo "Configuring a Release build in $build ..."
    cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
fi
echo "Building bench_rtf_import in $build ..."
cmake --build "$build" --parallel 2 --target bench_rtf_import >/dev/null

work="$(mktemp -d "${TMPDIR:-/tmp}/scrivane-rtf-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT
cp "$sample" "$work/topic.rtf"
# A profile of its own, so that a LibreOffice the user has open does not take the job.
echo "Converting $(basename "$sample") to HTML with LibreOffice ..."
soffice -env:UserInstallation="file://$work/profile" --headless --convert-to html \
    --outdir "$work" "$work/topic.rtf" >"$work/soffice.log" 2>&1 \
    || fail "soffice failed: $(cat "$work/soffice.log")"
[ -s "$work/topic.html" ] || fail "soffice wrote no HTML: $(cat "$work/soffice.log")"

"$build/bench/bench_rtf_import" "$work/topic.rtf" "$work/topic.html" "$runs"
