#!/usr/bin/env bash
# Runs the Windows build under Wine (after scripts/windows/build.sh):
#   1. the GoogleTest programs that need no display;
#   2. the Windows CLI on generated clips, checked against the Linux build's
#      outputs with the Linux ffprobe (streams, frame counts, durations);
#   3. a clip with a non-ASCII name;
#   4. Ctrl+C during a conversion: a complete shorter file and exit 130;
#   5. the desktop program on Xvfb: its window, one conversion driven with
#      xdotool, and its settings in the registry after Exit;
#   6. that every DLL a shipped file imports is shipped or Windows' own; the
#      installer, silently for the current user and for all users, and its
#      uninstaller.
# Wine keeps a private prefix in the build folder. Never part of ./test.sh or
# CI. Usage: scripts/windows/test.sh [platform|units|cli|interrupt|gui|installer|all]
# (default all; "platform" needs no build, only mingw-w64 and Wine).
set -uo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD="${KESTOVAR_WINDOWS_BUILD:-$ROOT/build-windows}"
BIN="$BUILD/bin"
mkdir -p "$BUILD"
export WINEPREFIX="$BUILD/wineprefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=C.UTF-8
WINE=/usr/lib/wine/wine64
[ -x "$WINE" ] || WINE="$(command -v wine64 || command -v wine)"
WORK="$BUILD/wine-tests"
PASSED=0
FAILED=0

log() { printf '[wine-test %s] %s\n' "$(date +%H:%M:%S)" "$*"; }
pass() { PASSED=$((PASSED + 1)); log "PASS $*"; }
fail() { FAILED=$((FAILED + 1)); log "FAIL $*"; }

# The Windows name of a Linux path (Wine's Z: drive is /).
winpath() { local p; p="$(readlink -f "$1")"; printf 'Z:%s' "${p//\//\\}"; }

needs_build() {
    [ -x "$BIN/kestovar3gp-cli.exe" ] || { fail "not built: run scripts/windows/build.sh first"; summary; exit 1; }
}

prepare() {
    mkdir -p "$WORK"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        log "making the Wine prefix $WINEPREFIX"
        "$WINE" wineboot -i >/dev/null 2>&1
    fi
}

# The Windows side of platform/ alone: built here with mingw-w64 (no cached
# library needed) and run under Wine.
platform_check() {
    local out="$WORK/platform" cxx=x86_64-w64-mingw32-g++-posix
    rm -rf "$out" && mkdir -p "$out/files"
    local flags=(-std=c++20 -Wall -Wextra -O1 -static -I "$ROOT/platform" -I "$ROOT/platform/windows")
    "$cxx" "${flags[@]}" -shared "$ROOT/tests/windows/PlatformCheckLibrary.cpp" -o "$out/platformcheck-1.dll" &&
        "$cxx" "${flags[@]}" "$ROOT/tests/windows/PlatformCheck.cpp" "$ROOT/platform/windows/LockedFile.cpp" \
            "$ROOT/platform/windows/WindowsText.cpp" "$ROOT/platform/windows/FileKind.cpp" \
            "$ROOT/platform/windows/SharedLibrary.cpp" "$ROOT/platform/windows/ProgramFolder.cpp" \
            -o "$out/PlatformCheck.exe" ||
        { fail "the platform check did not build"; return; }
    if "$WINE" "$out/PlatformCheck.exe" "$(winpath "$out/files")" >"$WORK/platform.log" 2>&1; then
        pass "the Windows platform side under Wine: $(tail -n 1 "$WORK/platform.log")"
    else
        fail "the Windows platform side: $(grep FAIL "$WORK/platform.log" | tr '\n' ' ') (log $WORK/platform.log)"
    fi
}

units() {
    local t
    for t in profiles_test transcoder_tests worker_tests cli_tests; do
        local exe
        exe="$(find "$BIN" -maxdepth 1 -name "$t*.exe" | head -1)"
        [ -n "$exe" ] || { fail "$t: not built"; continue; }
        for exe in $(find "$BIN" -maxdepth 1 -name "$t*.exe" | sort); do
            local name; name="$(basename "$exe" .exe)"
            log "running $name under Wine"
            if (cd "$BIN" && timeout 900 "$WINE" "$exe" --gtest_color=no) >"$WORK/$name.log" 2>&1; then
                pass "$name: $(grep -E '^\[  PASSED  \]' "$WORK/$name.log")"
            else
                fail "$name (log: $WORK/$name.log)"
                grep -E '^\[  FAILED  \]|^\[  PASSED  \]' "$WORK/$name.log" | head -20
            fi
        done
    done
}

linux_cli() {
    local found
    # Not a sanitized build's: without the suite's suppressions its leak check
    # fails on what the media libraries' own initialisers leave at exit.
    found="$(find "$ROOT/build" -path '*/sanitize-*' -prune -o -name kestovar3gp-cli -type f -perm -u+x -print 2>/dev/null | head -1)"
    if [ -z "$found" ]; then
        log "building the Linux CLI for comparison"
        cmake -S "$ROOT" -B "$WORK/linux" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DKESTOVAR_BUILD_GUI=OFF -DKESTOVAR_BUILD_TESTS=OFF >/dev/null &&
            nice -n 5 cmake --build "$WORK/linux" --target kestovar3gp-cli >/dev/null
        found="$(find "$WORK/linux" -name kestovar3gp-cli -type f | head -1)"
    fi
    printf '%s' "$found"
}

# What must agree between the two builds' outputs: each stream's codec,
# picture size, rate, sound format and decoded frame count, and the length.
describe() {
    ffprobe -v error -count_frames -show_entries \
        stream=codec_type,codec_name,width,height,r_frame_rate,sample_rate,channels,nb_read_frames:format=duration,format_name \
        -of compact "$1"
}

cli() {
    local src="$WORK/sources" out="$WORK/out"
    rm -rf "$src" "$out" && mkdir -p "$src" "$out/windows" "$out/linux"
    local ff=(ffmpeg -v error -nostdin -y)
    local pic="testsrc=size=320x240:rate=25" tone="sine=frequency=440:sample_rate=44100"
    "${ff[@]}" -f lavfi -i "$pic" -f lavfi -i "$tone" -t 3 -c:v mpeg4 -q:v 5 -c:a pcm_s16le "$src/mpeg4-pcm.avi"
    "${ff[@]}" -f lavfi -i "$pic" -f lavfi -i "$tone" -t 3 -c:v libx264 -pix_fmt yuv420p -c:a aac -ac 2 "$src/h264-aac.mp4"
    "${ff[@]}" -f lavfi -i "testsrc=size=720x576:rate=25" -f lavfi -i "$tone" -t 3 -c:v mpeg2video -flags +ilme+ildct -top 1 -c:a mp2 "$src/interlaced.mpg"
    "${ff[@]}" -f lavfi -i "$pic" -f lavfi -i "$tone" -t 3 -c:v wmv2 -c:a wmav2 "$src/windows-media.wmv"
    "${ff[@]}" -f lavfi -i "testsrc=size=640x360:rate=30000/1001" -f lavfi -i "$tone" -t 3 -c:v libx264 -pix_fmt yuv420p -c:a libmp3lame "$src/ntsc.mkv"
    "${ff[@]}" -f lavfi -i "$pic" -f lavfi -i "$tone" -t 3 -c:v mpeg4 -c:a aac "$src/Müller – Ünïcode.mp4"
    # HDR (HLG, 10-bit HEVC: the tone mapping) and a SubRip track burned in
    # (libass), which the Windows test ffmpeg.exe could not make itself.
    "${ff[@]}" -f lavfi -i "smptehdbars=s=640x360:r=25:d=1" -f lavfi -i "$tone" -t 1 \
        -vf "zscale=tin=bt709:min=bt709:pin=bt709:rin=tv:t=arib-std-b67:m=bt2020nc:p=bt2020:r=tv:npl=203,format=yuv420p10le" \
        -c:v libx265 -x265-params log-level=error -color_primaries bt2020 -color_trc arib-std-b67 \
        -colorspace bt2020nc -c:a aac "$src/hlg-hevc.mkv"
    printf '1\n00:00:00,500 --> 00:00:02,500\nA subtitle, burned in\n' >"$WORK/cue.srt"
    "${ff[@]}" -f lavfi -i "$pic" -f lavfi -i "$tone" -i "$WORK/cue.srt" -t 3 -map 0 -map 1 -map 2 \
        -c:v mpeg4 -c:a aac -c:s srt "$src/subtitled.mkv"

    local lcli; lcli="$(linux_cli)"
    [ -x "$lcli" ] || { fail "no Linux CLI to compare with"; return; }
    local model=(-m "Nokia N93" -q medium --subtitles)
    log "converting with the Linux CLI"
    "$lcli" "${model[@]}" -o "$out/linux" "$src"/*.* >"$WORK/linux-cli.log" 2>&1 ||
        fail "Linux CLI (log $WORK/linux-cli.log)"
    log "converting with the Windows CLI under Wine"
    local args=()
    local f
    for f in "$src"/*.*; do args+=("$(winpath "$f")"); done
    (cd "$BIN" && "$WINE" kestovar3gp-cli.exe "${model[@]}" -o "$(winpath "$out/windows")" "${args[@]}") \
        >"$WORK/windows-cli.log" 2>&1
    local rc=$?
    [ $rc -eq 0 ] && pass "Windows CLI converted every clip (exit 0)" || fail "Windows CLI exit $rc (log $WORK/windows-cli.log)"
    for f in "$out/linux"/*.3gp; do
        local name; name="$(basename "$f")"
        local w="$out/windows/$name"
        if [ ! -f "$w" ]; then fail "$name: no Windows output"; continue; fi
        if diff <(describe "$f") <(describe "$w") >"$WORK/$name.diff"; then
            local same="same streams, frame counts and length"
            cmp -s "$f" "$w" && same="$same; byte for byte identical"
            pass "$name: $same ($(describe "$w" | tr '\n' ' ' | cut -c1-160))"
        else
            fail "$name differs: $(cat "$WORK/$name.diff")"
        fi
    done
    [ -f "$out/windows/Müller – Ünïcode.3gp" ] && pass "the non-ASCII name converted to 'Müller – Ünïcode.3gp'" ||
        fail "no 'Müller – Ünïcode.3gp'"
    ls -A "$out/windows" | grep -q '^\.k3gp-' && fail "temporary files left in $out/windows"

    interrupt
}

interrupt() {
    local src="$WORK/sources/long.avi" out="$WORK/out/interrupt"
    rm -rf "$out" && mkdir -p "$out"
    ffmpeg -v error -nostdin -y -f lavfi -i "testsrc=size=640x480:rate=25" -f lavfi -i "sine=frequency=440:sample_rate=44100" \
        -t 300 -c:v mpeg4 -q:v 3 -c:a pcm_s16le "$src"
    log "Ctrl+C (SIGINT to the Wine process, which Wine hands to the console handler as CTRL_C_EVENT)"
    (cd "$BIN" && exec "$WINE" kestovar3gp-cli.exe -m "Nokia N93" -q best -o "$(winpath "$out")" "$(winpath "$src")") \
        >"$WORK/interrupt.log" 2>&1 &
    local pid=$!
    local i
    for i in $(seq 1 120); do
        sleep 0.5
        # The largest: the first name is the program's claim on the output name, empty.
        compgen -G "$out/.k3gp-*.part" >/dev/null && [ "$(stat -c %s "$out"/.k3gp-*.part | sort -n | tail -1)" -gt 20000 ] && break
    done
    sleep 0.5
    kill -INT "$pid"
    wait "$pid"
    local rc=$?
    local result="$out/long.3gp"
    if [ $rc -eq 130 ] && [ -f "$result" ]; then
        local length; length="$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$result")"
        local errors; errors="$(ffmpeg -v error -nostdin -i "$result" -f null - 2>&1 | head -3)"
        if [ -z "$errors" ] && awk "BEGIN{exit !($length > 0.5 && $length < 299)}"; then
            pass "Ctrl+C: exit 130, a complete shorter file of $length s (source 300 s)"
        else
            fail "Ctrl+C: length $length, decode errors: $errors"
        fi
    else
        fail "Ctrl+C: exit $rc, output $(ls -a "$out" | tr '\n' ' ') (log $WORK/interrupt.log)"
    fi
    compgen -G "$out/.k3gp-*.part" >/dev/null && fail "Ctrl+C left a temporary file"
}

summary() {
    echo "Windows under Wine: $PASSED passed, $FAILED failed"
    [ "$FAILED" -eq 0 ]
}

# The whole command is read before it runs.
{
    prepare
    case "${1:-all}" in
        platform) platform_check ;;
        units) needs_build; units ;;
        cli) needs_build; cli ;;
        interrupt) needs_build; interrupt ;;
        gui) needs_build; source "$ROOT/scripts/windows/gui-test.sh"; gui ;;
        installer) needs_build; source "$ROOT/scripts/windows/installer-test.sh"; installer ;;
        all)
            platform_check; needs_build; units; cli
            source "$ROOT/scripts/windows/gui-test.sh"; gui
            source "$ROOT/scripts/windows/installer-test.sh"; installer ;;
        *) echo "unknown part $1" >&2; exit 2 ;;
    esac
    summary
    exit
}
