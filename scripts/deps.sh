#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing.
# Sourced by scripts/run and scripts/test; safe to run again.
set -euo pipefail

PAIRWELL_PACKAGES=(
    build-essential cmake ninja-build pkg-config
    libgtest-dev libgmock-dev
    libdeflate-dev libxxhash-dev
    fdupes python3
)
# The desktop program: Qt 6 Widgets, Multimedia for the completion sound, the SVG plugins
# for the pictures, a font for offscreen rendering, and an X server for the start check.
PAIRWELL_GUI_PACKAGES=(
    qt6-base-dev qt6-multimedia-dev qt6-svg-dev libqt6svg6
    fonts-dejavu-core xvfb xauth
)

# pairwell_install_deps [--no-gui]: the engine's packages, and the desktop program's too
# unless --no-gui.
pairwell_install_deps() {
    local wanted=("${PAIRWELL_PACKAGES[@]}")
    if [ "${1:-}" != "--no-gui" ]; then
        wanted+=("${PAIRWELL_GUI_PACKAGES[@]}")
    fi
    local missing=()
    local pkg
    for pkg in "${wanted[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    if [ "${#missing[@]}" -eq 0 ]; then
        return 0
    fi
    echo "Installing: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Configures and builds one build tree: pairwell_build DIR [extra cmake args...]
pairwell_build() {
    local dir="$1"
    shift
    cmake -S "$PAIRWELL_ROOT" -B "$dir" -G Ninja "$@" >/dev/null
    cmake --build "$dir" --parallel "$(nproc)"
}
