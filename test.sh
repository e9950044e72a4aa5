#!/usr/bin/env bash
# Installs what is missing, builds, checks the C++ files' format and runs every
# test; then the build without the desktop program (-DKESTOVAR_BUILD_GUI=OFF) in
# a folder of its own, with its tests.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")" && pwd)"
source "$ROOT/scripts/setup.sh"
# The C++ files are formatted as .clang-format says.
cmake --build "$BUILD_DIR" --target format-check
export QT_QPA_PLATFORM=offscreen
cd "$BUILD_DIR"
ctest --output-on-failure --timeout 600 -j "$(nproc)"

HEADLESS_DIR="$BUILD_DIR/headless"
echo "The build without the desktop program, in $HEADLESS_DIR"
cmake -S "$ROOT" -B "$HEADLESS_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKESTOVAR_BUILD_GUI=OFF -DKESTOVAR_SANITIZER_TESTS=OFF
cmake --build "$HEADLESS_DIR" --parallel "$(nproc)"
cd "$HEADLESS_DIR"
ctest --output-on-failure --timeout 600 -j "$(nproc)"
