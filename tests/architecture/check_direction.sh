#!/usr/bin/env bash
# check_direction.sh ENGINE_DIR PLATFORM_DIR CHECK_SCRIPT CMAKE
set -euo pipefail
engine=$1 platform=$2 check=$3 cmake=$4
"$cmake" -DENGINE_DIR="$engine" -DPLATFORM_DIR="$platform" -P "$check"

copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
# Each forbidden direction, one at a time, in a fresh copy of the tree.
expect_refused() {
    local file=$1 header=$2
    rm -rf "$copy/engine" "$copy/platform"
    cp -r "$engine" "$copy/engine" && cp -r "$platform" "$copy/platform"
    case $file in
        platform/*) printf '#include "%s"\n' "$header" >>"$copy/$file" ;;
        *) printf '#include "%s"\n' "$header" >>"$copy/engine/$file" ;;
    esac
    if "$cmake" -DENGINE_DIR="$copy/engine" -DPLATFORM_DIR="$copy/platform" -P "$check" \
            2>"$copy/err"; then
        echo "not refused: $file including $header" >&2
        exit 1
    fi
    grep -q "$file includes $header" "$copy/err" || { cat "$copy/err" >&2; exit 1; }
}
expect_refused picture/VideoPath.cpp Transcoder.h
expect_refused sound/AudioPath.h CompressThread.h
expect_refused input/ClipProbe.cpp OutputFile.h
expect_refused output/OutputFile.cpp VideoPath.h
expect_refused common/CodecSetup.cpp LocalMedia.h
expect_refused platform/posix/LockedFile.cpp EngineError.h
expect_refused platform/NativePath.h TemporaryOutput.h
echo "the direction check passes the tree and refuses every reversed include"
