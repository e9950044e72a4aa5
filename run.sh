#!/usr/bin/env bash
# Installs what is missing, builds, and starts the desktop application.
# Arguments are passed on to the program.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")" && pwd)"
source "$ROOT/scripts/setup.sh"
if [ -x "$BUILD_DIR/app/kestovar3gp" ]; then
    exec "$BUILD_DIR/app/kestovar3gp" "$@"
fi
exec "$BUILD_DIR/app/kestovar3gp-cli" "$@"
