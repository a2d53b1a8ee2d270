# Installs the Debian packages that building, running and testing need, when any is missing.
# Sourced by run.sh and test.sh.

scrivane_build_packages=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev)
scrivane_run_packages=(libqt6widgets6 libqt6printsupport6 libqt6svg6 libqt6network6 qt6-qpa-plugins fonts-dejavu-core)
scrivane_test_packages=(xvfb xauth x11-utils xclip cups printer-driver-cups-pdf poppler-utils shared-mime-info
    xdotool python3 chromium tidy)

scrivane_install_missing() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing missing packages: ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo=(sudo)
    fi
    "${sudo[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
}
