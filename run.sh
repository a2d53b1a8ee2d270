#!/usr/bin/env bash
# Installs what is missing, builds a Release build, and starts Penwick in the current folder.
# ./run.sh leafwick starts the reader instead.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=scripts/packages.sh
source "$here/scripts/packages.sh"

program="${1:-penwick}"
case "$program" in
    penwick | leafwick) ;;
    *)
        echo "usage: ./run.sh [penwick|leafwick]" >&2
        exit 2
        ;;
esac

scrivane_install_missing "${scrivane_build_packages[@]}" "${scrivane_run_packages[@]}"
cmake -S "$here" -B "$here/build-release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$here/build-release" --target penwick leafwick scrivane_data
exec "$here/build-release/bin/$program"
