#!/usr/bin/env bash
# Installs the Debian packages the project needs (only those missing), then
# configures and builds into build/. Sourced by run.sh and test.sh.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${BUILD_DIR:-$ROOT/build}"

PACKAGES=(
    cmake g++ ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools
    libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev libavfilter-dev
    libavcodec-extra
    libass-dev
    ffmpeg
    libgtest-dev
    fonts-dejavu-core fonts-dejavu-extra
    xdg-utils
    time
    dpkg-dev fakeroot file lintian desktop-file-utils appstream
    clang-format man-db
)

missing=()
for p in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if ((${#missing[@]})); then
    echo "Installing missing packages: ${missing[*]}"
    SUDO=()
    if [ "$(id -u)" -ne 0 ]; then SUDO=(sudo); fi
    "${SUDO[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${SUDO[@]}" apt-get install -y "${missing[@]}"
fi

cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$BUILD_DIR" --parallel "$(nproc)"
