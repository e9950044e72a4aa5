#!/usr/bin/env bash
# Cross-builds the Windows programs from Debian's own packages and sources:
#   1. installs the cross tools (apt) and fetches the source packages;
#   2. builds opencore-amr, FFmpeg, libass (with FreeType, FriBidi and
#      HarfBuzz) and Qt's qtbase for x86_64-w64-mingw32, and the ffmpeg.exe
#      and ffprobe.exe the Windows tests make their clips with (an FFmpeg of
#      their own, with zimg, x264, x265, LAME, libvpx and Vorbis), into a
#      cache outside the build tree (each stage is skipped once done);
#   3. builds kestovar3gp.exe and kestovar3gp-cli.exe with the project's CMake,
#      lays out the DLLs beside them, and makes the installer and the zip.
#
# Usage: scripts/windows/build.sh [deps|sources|libs|programs|package|all]
#   KESTOVAR_WINDOWS_CACHE  library cache   (default ~/.cache/kestovar3gp-windows)
#   KESTOVAR_WINDOWS_BUILD  program build   (default <repo>/build-windows)
#   KESTOVAR_WINDOWS_JOBS   parallel jobs   (default 2)
# The libraries are never part of ./test.sh or .ci/run: the first build takes
# about an hour on two cores.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
CACHE="${KESTOVAR_WINDOWS_CACHE:-$HOME/.cache/kestovar3gp-windows}"
BUILD="${KESTOVAR_WINDOWS_BUILD:-$ROOT/build-windows}"
JOBS="${KESTOVAR_WINDOWS_JOBS:-2}"
HOST=x86_64-w64-mingw32
PREFIX="$CACHE/prefix"
SRC="$CACHE/src"
WORK="$CACHE/work"
LOGS="$CACHE/logs"
# The test tools (ffmpeg.exe and ffprobe.exe) and what only they link.
TOOLS="$CACHE/tools"
NICE=(nice -n 15)

PACKAGES=(
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
    libz-mingw-w64-dev wine64 nsis nasm zip icoutils dpkg-dev autoconf automake libtool
    fonts-dejavu-core
    xvfb xdotool x11-apps imagemagick
    cmake ninja-build pkg-config qt6-base-dev qt6-base-dev-tools libgtest-dev ffmpeg
)

log() { printf '[windows %s] %s\n' "$(date +%H:%M:%S)" "$*"; }

stamp_done() { [ -f "$WORK/$1.done" ]; }
stamp() { date -u +%FT%TZ >"$WORK/$1.done"; }

deps() {
    local sources=/etc/apt/sources.list.d/kestovar-deb-src.sources
    local SUDO=()
    if [ "$(id -u)" -ne 0 ]; then SUDO=(sudo); fi
    if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ /etc/apt/sources.list 2>/dev/null; then
        log "adding deb-src entries beside the machine's own sources"
        # Same mirrors and suites as the binary entries, source packages only.
        sed -e 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
            "${SUDO[@]}" tee "$sources" >/dev/null
        NEED_UPDATE=1
    fi
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    if ((${#missing[@]})) || [ -n "${NEED_UPDATE:-}" ]; then
        "${SUDO[@]}" apt-get update
    fi
    if ((${#missing[@]})); then
        log "installing ${missing[*]}"
        DEBIAN_FRONTEND=noninteractive "${SUDO[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
    fi
}

sources() {
    mkdir -p "$SRC" "$WORK" "$LOGS"
    for pkg in opencore-amr zimg lame x264 x265 libvpx libogg libvorbis ffmpeg qt6-base \
        freetype fribidi harfbuzz libass; do
        if ! compgen -G "$SRC/$pkg-[0-9]*/" >/dev/null; then
            log "fetching the source package $pkg"
            (cd "$SRC" && apt-get source "$pkg" >"$LOGS/source-$pkg.log" 2>&1) || fetch_older "$pkg"
        fi
    done
}

# A security update's source may be listed before the mirror carries it
# (libass 0.17.1-1+deb12u1 was): then the newest version that comes is taken.
fetch_older() {
    local pkg="$1" version
    for version in $(apt-cache showsrc "$pkg" | sed -n 's/^Version: //p' | sort -urV); do
        log "fetching $pkg=$version instead"
        rm -f "$SRC/${pkg}_"*
        (cd "$SRC" && apt-get source "$pkg=$version" >>"$LOGS/source-$pkg.log" 2>&1) && return 0
    done
    log "no source of $pkg could be fetched (see $LOGS/source-$pkg.log)"
    return 1
}

srcdir() { compgen -G "$SRC/$1-[0-9]*/" | head -1 | sed 's:/$::'; }

cross_env() {
    export PKG_CONFIG_LIBDIR="$PREFIX/lib/pkgconfig"
    export PKG_CONFIG_PATH=
    export PKG_CONFIG_SYSROOT_DIR=
}

# Builds the source package $1 in $WORK/$1 with its configure and the options
# after it, out of its tree, and installs it; skipped once done.
configure_make() {
    local name="$1"
    shift
    stamp_done "$name" && return
    log "$name"
    local s; s="$(srcdir "$name")"
    rm -rf "$WORK/$name" && mkdir -p "$WORK/$name"
    (cd "$WORK/$name" && "$s/configure" "$@" && "${NICE[@]}" make -j"$JOBS" && make install) \
        >"$LOGS/$name.log" 2>&1
    stamp "$name"
}

build_opencore() {
    configure_make opencore-amr --host=$HOST --prefix="$PREFIX" --enable-static --disable-shared \
        CC=$HOST-gcc-posix CXX=$HOST-g++-posix
}

# zimg, LAME and x264 serve the ffmpeg.exe that the Windows test programs make
# their source clips with (the clips the Linux tests make with Debian's ffmpeg
# use them); the program itself never uses them.
build_zimg() {
    stamp_done zimg && return
    log "zimg"
    local s; s="$(srcdir zimg)"
    rm -rf "$WORK/zimg" && cp -a "$s" "$WORK/zimg"
    (cd "$WORK/zimg" && { [ -x configure ] || autoreconf -fi; } &&
        ./configure --host=$HOST --prefix="$PREFIX" --enable-static --disable-shared \
            CC=$HOST-gcc-posix CXX=$HOST-g++-posix &&
        "${NICE[@]}" make -j"$JOBS" && make install) >"$LOGS/zimg.log" 2>&1
    stamp zimg
}

build_lame() {
    configure_make lame --host=$HOST --prefix="$PREFIX" --enable-static --disable-shared \
        --disable-frontend --disable-decoder --disable-gtktest CC=$HOST-gcc-posix
}

build_x264() {
    configure_make x264 --host=$HOST --cross-prefix=$HOST- --prefix="$PREFIX" --enable-static \
        --disable-cli --disable-opencl --bit-depth=8 --enable-win32thread --enable-strip
}

# x265 (8 and 10 bits in one library), libvpx (VP8) and Vorbis serve only that
# ffmpeg.exe too, for the HEVC, HDR and WebM sources; they go into a prefix of
# their own, which nothing shipped links.
build_x265() {
    stamp_done x265 && return
    log "x265 (8 and 10 bits)"
    local s; s="$(srcdir x265)/source"
    rm -rf "$WORK/x265" && mkdir -p "$WORK/x265/10bit" "$WORK/x265/8bit"
    local common=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake"
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$TOOLS"
        -DENABLE_SHARED=OFF -DENABLE_CLI=OFF -DENABLE_ASSEMBLY=OFF -DENABLE_LIBNUMA=OFF)
    (cd "$WORK/x265/10bit" &&
        cmake -S "$s" -B . "${common[@]}" -DHIGH_BIT_DEPTH=ON -DEXPORT_C_API=OFF &&
        "${NICE[@]}" cmake --build . --parallel "$JOBS" &&
        cp libx265.a ../8bit/libx265_main10.a &&
        cd ../8bit &&
        cmake -S "$s" -B . "${common[@]}" -DEXTRA_LIB=x265_main10.a -DEXTRA_LINK_FLAGS=-L. \
            -DLINKED_10BIT=ON &&
        "${NICE[@]}" cmake --build . --parallel "$JOBS" && cmake --install . &&
        printf 'CREATE %s\nADDLIB libx265.a\nADDLIB libx265_main10.a\nSAVE\nEND\n' \
            "$TOOLS/lib/libx265.a" | $HOST-ar -M &&
        # The C++ runtime is linked statically, never libgcc_s's DLL.
        sed -i 's/^Libs.private:.*/Libs.private: -lstdc++/' "$TOOLS/lib/pkgconfig/x265.pc") \
        >"$LOGS/x265.log" 2>&1
    stamp x265
}

build_libvpx() {
    CROSS=$HOST- CC=$HOST-gcc-posix CXX=$HOST-g++-posix configure_make libvpx \
        --target=x86_64-win64-gcc --prefix="$TOOLS" --as=nasm --enable-static --disable-shared \
        --disable-examples --disable-tools --disable-docs --disable-unit-tests \
        --disable-vp9 --disable-vp8-decoder
}

build_vorbis() {
    local pkg
    for pkg in libogg libvorbis; do
        PKG_CONFIG_LIBDIR="$TOOLS/lib/pkgconfig" configure_make $pkg --host=$HOST --prefix="$TOOLS" \
            --enable-static --disable-shared --disable-docs --disable-examples \
            --with-ogg="$TOOLS" CC=$HOST-gcc-posix
    done
}

# The subtitles' text layout: libass with FreeType, FriBidi and HarfBuzz, as
# DLLs that the program loads at run time (libass-9.dll, as on Linux
# libass.so.9), with DirectWrite for the system's fonts instead of
# fontconfig. DejaVu Sans goes beside them for plain subtitles.
build_freetype() {
    stamp_done freetype && return
    log "freetype"
    local s; s="$(srcdir freetype)"
    rm -rf "$WORK/freetype" && mkdir -p "$WORK/freetype"
    (cd "$WORK/freetype" &&
        cmake -S "$s" -B . -G Ninja \
            -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
            -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX" -DBUILD_SHARED_LIBS=ON \
            -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
            -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON &&
        "${NICE[@]}" cmake --build . --parallel "$JOBS" && cmake --install .) >"$LOGS/freetype.log" 2>&1
    stamp freetype
}

build_fribidi() {
    stamp_done fribidi && return
    log "fribidi"
    local s; s="$(srcdir fribidi)"
    rm -rf "$WORK/fribidi" && cp -a "$s" "$WORK/fribidi"
    (cd "$WORK/fribidi" &&
        ./configure --host=$HOST --prefix="$PREFIX" --enable-shared --disable-static \
            --disable-docs CC=$HOST-gcc-posix &&
        "${NICE[@]}" make -j"$JOBS" -C lib && make -C lib install &&
        install -m 644 fribidi.pc "$PREFIX/lib/pkgconfig/") >"$LOGS/fribidi.log" 2>&1
    stamp fribidi
}

build_harfbuzz() {
    stamp_done harfbuzz && return
    log "harfbuzz"
    local s; s="$(srcdir harfbuzz)"
    cross_env
    rm -rf "$WORK/harfbuzz" && mkdir -p "$WORK/harfbuzz"
    (cd "$WORK/harfbuzz" &&
        "$s/configure" --host=$HOST --prefix="$PREFIX" --enable-shared --disable-static \
            --with-freetype=yes --with-glib=no --with-gobject=no --with-cairo=no --with-chafa=no \
            --with-icu=no --with-graphite2=no --with-uniscribe=no --with-gdi=no \
            --with-directwrite=no --disable-introspection --disable-gtk-doc \
            CC=$HOST-gcc-posix CXX=$HOST-g++-posix &&
        "${NICE[@]}" make -j"$JOBS" -C src libharfbuzz.la && make -C src install-libLTLIBRARIES \
            install-pkgincludeHEADERS install-nodist_pkgincludeHEADERS install-pkgconfigDATA) \
        >"$LOGS/harfbuzz.log" 2>&1
    stamp harfbuzz
}

build_libass() {
    stamp_done libass && return
    log "libass"
    local s; s="$(srcdir libass)"
    cross_env
    rm -rf "$WORK/libass" && mkdir -p "$WORK/libass"
    (cd "$WORK/libass" &&
        "$s/configure" --host=$HOST --prefix="$PREFIX" --enable-shared --disable-static \
            --disable-fontconfig --enable-directwrite --disable-asm --disable-require-system-font-provider \
            CC=$HOST-gcc-posix &&
        "${NICE[@]}" make -j"$JOBS" && make install) >"$LOGS/libass.log" 2>&1
    # Built with -g by default: HarfBuzz alone would weigh 57 MB.
    $HOST-strip --strip-unneeded "$PREFIX/bin/"{libass-9,libfreetype,libfribidi-0,libharfbuzz-0}.dll
    stamp libass
}

# What the test tools make the tests' sources with and read them back through.
FFMPEG_ENCODERS=h263,h263p,mpeg4,libopencore_amrnb,libx264,libmp3lame,aac,mp2,ac3,pcm_s16le,pcm_u8,\
wmv1,wmv2,wmav1,wmav2,mpeg1video,mpeg2video,mjpeg,flv,rawvideo,wrapped_avframe,png,flac,vorbis,\
srt,subrip,movtext,ass,ssa,webvtt,dvdsub,dvbsub
# configure's names: tgp and tg2 are 3gp and 3g2, mpeg1system and mpeg2vob
# are mpeg and vob, pcm_s16le is s16le; the encoder movtext is mov_text.
FFMPEG_MUXERS=tgp,tg2,mp4,mov,ipod,avi,mpeg1system,mpeg2vob,mpegts,asf,matroska,webm,flv,mjpeg,null,framemd5,\
framecrc,rawvideo,wav,ogg,h263,m4v,amr,adts,mp3,image2,mpeg1video,mpeg2video,md5,crc,\
pcm_s16le,flac,h264,hevc,srt,ass,webvtt,matroska_audio
# movie and amovie make libavfilter link libavformat, which the metadata
# filter's file output needs.
FFMPEG_FILTERS=buffer,buffersink,abuffer,abuffersink,format,aformat,scale,aresample,null,anull,\
yadif,bwdif,loudnorm,zscale,tonemap,colorspace,pad,crop,setsar,setdar,setpts,asetpts,fps,trim,atrim,\
transpose,hflip,vflip,rotate,idet,interlace,tinterlace,fieldorder,setfield,volume,pan,aevalsrc,\
anullsrc,sine,testsrc,testsrc2,color,smptebars,smptehdbars,rgbtestsrc,nullsrc,split,asplit,concat,\
overlay,drawbox,noise,showinfo,copy,acopy,apad,atempo,asetnsamples,aselect,select,amerge,amix,\
channelmap,channelsplit,aformat,settb,asettb,framerate,setparams,premultiply,alphaextract,\
ebur128,highpass,lowpass,surround,volumedetect,anoisesrc,geq,limiter,loop,metadata,psnr,signalstats,field,\
movie,amovie

# Builds FFmpeg in $WORK/$1 into the prefix $2 with the options after them.
# Every default decoder, demuxer and parser, as the Linux build accepts them;
# the encoders, muxers and filters named in the options; zlib. Nothing else is
# autodetected from the build machine, and leaving out the other encoders,
# muxers and filters halves the build.
# A build that was stopped goes on where it was. When the options or this
# function changed, configure runs again in the same folder. It rewrites only
# the headers whose contents change, but config.h holds the whole configure
# line: changed options rebuild everything, and an edit here that leaves them
# as they were rebuilds nothing.
make_ffmpeg() {
    local name="$1" prefix="$2" linkage="$3" libraries="$4" encoders="$5" muxers="$6" filters="$7"
    local include="$8" libdir="$9"
    local args; args="$(declare -f make_ffmpeg | md5sum | cut -c1-32) $*"
    stamp_done "$name" && [ "$(cat "$WORK/$name/.configured" 2>/dev/null)" = "$args" ] && return
    log "$name"
    local s; s="$(srcdir ffmpeg)"
    mkdir -p "$WORK/$name"
    if [ "$(cat "$WORK/$name/.configured" 2>/dev/null)" != "$args" ]; then
        rm -f "$WORK/$name/.configured"
    fi
    # The options stay in this order, so that the DLLs' and the tools'
    # config.h stay as they are.
    # shellcheck disable=SC2086 # $linkage and $libraries are lists of options
    (cd "$WORK/$name" && { [ -f .configured ] ||
        "$s/configure" --prefix="$prefix" --enable-cross-compile --target-os=mingw32 --arch=x86_64 \
            --cross-prefix=$HOST- --cc=$HOST-gcc-posix --cxx=$HOST-g++-posix \
            --pkg-config=pkg-config --pkg-config-flags=--static \
            $linkage --enable-gpl --enable-version3 \
            --disable-ffplay --disable-doc --disable-debug --disable-autodetect \
            --enable-w32threads --disable-network --enable-zlib $libraries \
            --disable-encoders --enable-encoder="$encoders" \
            --disable-muxers --enable-muxer="$muxers" \
            --disable-filters --enable-filter="$filters" \
            --disable-devices --enable-indev=lavfi \
            --disable-protocols --enable-protocol=file,pipe \
            --extra-cflags="$include" --extra-ldflags="$libdir -static-libgcc -static-libstdc++" \
            --extra-libs="-lstdc++" && printf '%s' "$args" >.configured; } &&
        "${NICE[@]}" make -j"$JOBS" && make install) >>"$LOGS/$name.log" 2>&1
    stamp "$name"
}

# The DLLs the programs load: every decoder, demuxer and parser; the encoders
# of the outputs (the AMR-NB encoder from opencore-amr); the 3GP muxer and the
# MPEG one the output falls back to; the filters of the deinterlacing and of
# the loudness, with those that the filter graphs insert to convert between
# them.
FFMPEG_PROGRAM_ENCODERS=h263,h263p,mpeg4,libopencore_amrnb
FFMPEG_PROGRAM_MUXERS=tgp,mpeg1system
FFMPEG_PROGRAM_FILTERS=buffer,buffersink,abuffer,abuffersink,format,aformat,scale,aresample,null,anull,\
yadif,loudnorm

build_ffmpeg() {
    cross_env
    make_ffmpeg ffmpeg "$PREFIX" "--enable-shared --disable-static" "--enable-libopencore-amrnb" \
        "$FFMPEG_PROGRAM_ENCODERS" "$FFMPEG_PROGRAM_MUXERS" "$FFMPEG_PROGRAM_FILTERS" \
        "-I$PREFIX/include" "-L$PREFIX/lib"
}

# The ffmpeg.exe and ffprobe.exe that the Windows test programs make their
# source clips with and read the outputs back through, and the static
# libraries the tests' two helper programs link (DVD subtitles into Matroska,
# the Dolby Vision box into MP4): with x264, x265 (8 and 10 bits), LAME,
# libvpx, Vorbis and zimg (zscale), which only the tests' sources need.
build_ffmpeg_tools() {
    cross_env
    export PKG_CONFIG_LIBDIR="$TOOLS/lib/pkgconfig:$PREFIX/lib/pkgconfig"
    local libraries="--enable-libopencore-amrnb --enable-libzimg --enable-libx264 --enable-libmp3lame"
    libraries+=" --enable-libx265 --enable-libvpx --enable-libvorbis"
    make_ffmpeg ffmpeg-tools "$TOOLS" "--enable-static --disable-shared" "$libraries" \
        "$FFMPEG_ENCODERS,libx265,libvpx_vp8,libvorbis" "$FFMPEG_MUXERS" "$FFMPEG_FILTERS" \
        "-I$PREFIX/include -I$TOOLS/include" "-L$PREFIX/lib -L$TOOLS/lib"
}

build_qt() {
    stamp_done qtbase && return
    log "qtbase"
    local s; s="$(srcdir qt6-base)"
    mkdir -p "$WORK/qtbase"
    # A build that was stopped goes on where it was; QtCore comes first, as
    # the command-line program needs nothing else.
    (cd "$WORK/qtbase" && { [ -f build.ninja ] ||
        cmake -S "$s" -B . -G Ninja \
            -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
            -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX/qt" \
            -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
            -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DBUILD_SHARED_LIBS=ON \
            -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF \
            -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_testlib=ON \
            -DFEATURE_tabletevent=OFF -DFEATURE_opengl=ON -DFEATURE_opengl_desktop=ON \
            -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF \
            -DFEATURE_system_jpeg=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF \
            -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_libb2=OFF -DFEATURE_zstd=OFF \
            -DFEATURE_icu=OFF -DFEATURE_glib=OFF -DFEATURE_sql_odbc=OFF; } &&
        "${NICE[@]}" cmake --build . --parallel "$JOBS" --target Core &&
        "${NICE[@]}" cmake --build . --parallel "$JOBS" && cmake --install .) >>"$LOGS/qtbase.log" 2>&1
    stamp qtbase
}

# GoogleTest for the Windows test programs, from Debian's libgtest-dev sources.
build_gtest() {
    stamp_done gtest && return
    log "googletest"
    rm -rf "$WORK/gtest" && mkdir -p "$WORK/gtest"
    (cd "$WORK/gtest" &&
        cmake -S /usr/src/googletest -B . -G Ninja \
            -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
            -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX" -DBUILD_GMOCK=OFF &&
        "${NICE[@]}" cmake --build . --parallel "$JOBS" && cmake --install .) >"$LOGS/gtest.log" 2>&1
    stamp gtest
}

libs() {
    mkdir -p "$WORK" "$LOGS"
    local t0=$SECONDS
    build_opencore
    build_zimg
    build_lame
    build_x264
    build_ffmpeg
    build_x265
    build_libvpx
    build_vorbis
    build_ffmpeg_tools
    build_freetype
    build_fribidi
    build_harfbuzz
    build_libass
    build_qt
    build_gtest
    log "libraries ready in $((SECONDS - t0)) s ($PREFIX)"
}

# The GCC runtime the cross compiler's programs and Qt's DLLs need.
runtime_dlls() {
    local name
    for name in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
        $HOST-g++-posix -print-file-name="$name"
    done
}

FFMPEG_DLLS=(avcodec-59 avformat-59 avutil-57 swscale-6 swresample-4 avfilter-8 postproc-56)
QT_DLLS=(Qt6Core Qt6Gui Qt6Widgets)

# Puts what the programs load beside them in $1: the FFmpeg and Qt DLLs, the
# Qt platform and style plugins, zlib and the GCC runtime. With "tests", also
# Qt6Test.dll and the ffmpeg.exe and ffprobe.exe the test programs run.
lay_out_runtime() {
    local dir="$1" what="${2:-}"
    mkdir -p "$dir/platforms" "$dir/styles"
    local f
    for f in "${FFMPEG_DLLS[@]}"; do cp -u "$PREFIX/bin/$f.dll" "$dir/"; done
    for f in "${QT_DLLS[@]}"; do cp -u "$PREFIX/qt/bin/$f.dll" "$dir/"; done
    # libass and what it needs; the font plain subtitles are set in.
    for f in libass-9 libfreetype libfribidi-0 libharfbuzz-0; do cp -u "$PREFIX/bin/$f.dll" "$dir/"; done
    mkdir -p "$dir/fonts"
    cp -u /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf "$dir/fonts/"
    cp -u "$PREFIX/qt/plugins/platforms/qwindows.dll" "$dir/platforms/"
    cp -u "$PREFIX/qt/plugins/styles/qwindowsvistastyle.dll" "$dir/styles/"
    runtime_dlls | while read -r f; do cp -u "$f" "$dir/"; done
    # FFmpeg's zlib, from libz-mingw-w64. Wine brings a zlib1.dll of its own,
    # Windows does not.
    cp -u /usr/$HOST/lib/zlib1.dll "$dir/"
    if [ "$what" = tests ]; then
        cp -u "$PREFIX/qt/bin/Qt6Test.dll" "$TOOLS/bin/ffmpeg.exe" "$TOOLS/bin/ffprobe.exe" "$dir/"
    fi
}

programs() {
    cross_env
    export KESTOVAR_WINDOWS_PREFIX="$PREFIX"
    local launcher=()
    if command -v ccache >/dev/null; then
        launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
    fi
    log "configuring the programs in $BUILD"
    mkdir -p "$BUILD"
    # Every program, the tests' included, goes to bin/, where the DLLs are.
    # The test programs make their clips with the Windows ffmpeg.exe beside
    # them (a Windows program cannot wait for a Linux one under Wine).
    cmake -S "$ROOT" -B "$BUILD" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH="$PREFIX/qt;$PREFIX" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DCMAKE_RUNTIME_OUTPUT_DIRECTORY="$BUILD/bin" \
        -DKESTOVAR_BUILD_TESTS="${KESTOVAR_WINDOWS_TESTS:-ON}" \
        -DKESTOVAR_FFMPEG=ffmpeg.exe -DKESTOVAR_FFPROBE=ffprobe.exe -DKESTOVAR_TEST_FFMPEG_PREFIX="$TOOLS" \
        "${launcher[@]}" >"$BUILD/configure.log" 2>&1 || { cat "$BUILD/configure.log"; exit 1; }
    log "building the programs"
    "${NICE[@]}" cmake --build "$BUILD" --parallel "$JOBS"
    lay_out_runtime "$BUILD/bin" tests
}

VERSION_TEXT() { sed -n 's/^project([^)]*VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt"; }

package() {
    local version; version="$(VERSION_TEXT)"
    local dist="$BUILD/dist/Kestovar3GP"
    log "laying out $dist"
    rm -rf "$BUILD/dist" && mkdir -p "$dist"
    cp "$BUILD/bin/kestovar3gp.exe" "$BUILD/bin/kestovar3gp-cli.exe" "$dist/"
    $HOST-strip "$dist"/*.exe
    lay_out_runtime "$dist"
    cp "$BUILD/packaging/windows/kestovar3gp.ico" "$dist/"
    # Windows editors want CRLF line ends.
    sed 's/$/\r/' "$ROOT/LICENSE" >"$dist/COPYING.txt"
    sed 's/$/\r/' "$ROOT/packaging/windows/SOURCES.txt" >"$dist/SOURCES.txt"

    local zip="$BUILD/kestovar3gp-$version-portable.zip"
    rm -f "$zip"
    (cd "$BUILD/dist" && zip -qr9 "$zip" Kestovar3GP)

    # The uninstaller deletes exactly the files laid out here.
    local list="$BUILD/dist/uninstall-files.nsh"
    (cd "$dist" && find . -type f | sed 's:^\./::; s:/:\\:g' | sort |
        sed 's/.*/    Delete "$INSTDIR\\&"/'
     cd "$dist" && find . -mindepth 1 -type d | sed 's:^\./::; s:/:\\:g' | sort -r |
        sed 's/.*/    RMDir "$INSTDIR\\&"/') >"$list"
    local setup="$BUILD/kestovar3gp-$version-setup.exe"
    makensis -V2 -DVERSION="$version" -DDIST="$dist" -DDIST_FILES="$list" -DOUTFILE="$setup" \
        "$ROOT/packaging/windows/installer.nsi"
    log "$(du -h "$setup" | cut -f1) $setup"
    log "$(du -h "$zip" | cut -f1) $zip"
}

# The whole command is read before it runs (and exit ends it), so editing this
# file while a long build runs does not disturb that build.
{
    stage="${1:-all}"
    case "$stage" in
        deps) deps ;;
        sources) sources ;;
        libs) libs ;;
        build_*) mkdir -p "$WORK" "$LOGS"; "$stage" ;;  # one library, for example build_qt
        programs) programs ;;
        package) package ;;
        all) t=$SECONDS; deps; sources; libs; programs; package; log "all done in $((SECONDS - t)) s" ;;
        *) echo "unknown stage $stage" >&2; exit 2 ;;
    esac
    exit 0
}
