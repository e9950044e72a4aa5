#!/usr/bin/env bash
# Builds the Debian package with CPack into a folder of its own, checks its
# control fields and lintian's verdict, unpacks it and converts a generated
# clip with the unpacked CLI.
#   check_package.sh BUILD_DIR WORK_DIR WITH_GUI(0|1) FFMPEG FFPROBE
set -euo pipefail
build="$1" work="$2" with_gui="$3" ffmpeg="$4" ffprobe="$5"

for tool in cpack dpkg-deb dpkg-shlibdeps fakeroot lintian; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (scripts/setup.sh installs it)"; exit 77; }
done

rm -rf "$work"
mkdir -p "$work"
cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/kestovar3gp_*.deb)
echo "package: ${deb##*/}"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = kestovar3gp ]
[ "$(field Section)" = video ]
[ "$(field Maintainer)" = "Brenholt Software <support@brenholt-soft.example>" ]
[ "$(dpkg-deb -f "$deb" Description | wc -l)" -gt 3 ] || { echo "no extended description"; exit 1; }
depends=$(field Depends)
echo "Depends: $depends"
# The FFmpeg libraries and libass are loaded at run time, so dpkg-shlibdeps cannot find
# them; the plain libavcodec59 has no AMR encoder.
wanted="libavcodec-extra59 libavformat59 libavutil57 libswscale6 libswresample4 libavfilter8 libass9 libqt6core6 libc6"
if [ "$with_gui" = 1 ]; then wanted="$wanted libqt6widgets6"; fi
for package in $wanted; do
    grep -qE "(^|, )$package( |,|$)" <<<"$depends" || { echo "Depends lacks $package"; exit 1; }
done
if grep -qE '(^|, )libavcodec59( |,|$)' <<<"$depends"; then echo "Depends names libavcodec59"; exit 1; fi

# lintian exits non-zero on errors; its warnings are shown.
lintian --no-tag-display-limit "$deb" || { echo "lintian reported errors"; exit 1; }

dpkg-deb -x "$deb" "$work/root"
cli="$work/root/usr/bin/kestovar3gp-cli"
"$cli" --version | head -1 | grep -qx "kestovar3gp-cli $(field Version | sed 's/-[^-]*$//')"
[ "$with_gui" = 0 ] || [ -x "$work/root/usr/bin/kestovar3gp" ]

"$ffmpeg" -v error -f lavfi -i testsrc=size=160x120:rate=15:duration=1 \
    -f lavfi -i sine=frequency=440:duration=1 -c:v mpeg4 -c:a aac -shortest "$work/clip.mp4"
"$cli" -m "Nokia N93" -s 176x144 -q low -o "$work/out" "$work/clip.mp4"
codecs=$("$ffprobe" -v error -show_entries stream=codec_name -of csv=p=0 "$work/out/clip.3gp" | sort | tr '\n' ' ')
echo "unpacked CLI wrote clip.3gp: $codecs"
[ "$codecs" = "amr_nb mpeg4 " ] || [ "$codecs" = "amr_nb h263 " ]
