# The bench's sources, made once into $WORK ($SRC, $SRC_I, and $SRC_HDR when
# it is set); sourced by bench/run and bench/compare-outputs.
make_sources() {
    if [ ! -f "$SRC" ]; then
        echo "Making the 60 s source clip..."
        ffmpeg -v error -y \
            -f lavfi -i "testsrc2=size=1280x720:rate=30:duration=60" \
            -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=60" \
            -f lavfi -i "sine=frequency=660:sample_rate=44100:duration=60" \
            -filter_complex "[1:a][2:a]amerge=inputs=2[a]" -map 0:v -map "[a]" \
            -c:v libx264 -preset medium -pix_fmt yuv420p -c:a aac -b:a 128k -ac 2 "$SRC.tmp.mp4"
        mv "$SRC.tmp.mp4" "$SRC"
    fi

    if [ ! -f "$SRC_I" ]; then
        echo "Making the 60 s interlaced source clip..."
        ffmpeg -v error -y \
            -f lavfi -i "testsrc2=size=720x576:rate=50:duration=60" \
            -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=60" \
            -vf "tinterlace=mode=interleave_top,setfield=tff" \
            -c:v mpeg2video -flags +ilme+ildct -b:v 6M -maxrate 9M -bufsize 1835k \
            -c:a mp2 -b:a 224k -ac 2 -f mpeg "$SRC_I.tmp.mpg"
        mv "$SRC_I.tmp.mpg" "$SRC_I"
    fi
    if [ -n "${SRC_HDR:-}" ] && [ ! -f "$SRC_HDR" ]; then
        echo "Making the 2 s 4K HLG source clip..."
        ffmpeg -v error -y \
            -f lavfi -i "testsrc2=size=3840x2160:rate=25:duration=2" \
            -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=2" \
            -vf "zscale=tin=bt709:min=bt709:pin=bt709:rin=tv:t=arib-std-b67:m=bt2020nc:p=bt2020:r=tv:npl=203,format=yuv420p10le" \
            -c:v libx265 -preset ultrafast -x265-params log-level=error -color_primaries bt2020 \
            -color_trc arib-std-b67 -colorspace bt2020nc -c:a aac -b:a 128k "$SRC_HDR.tmp.mkv"
        mv "$SRC_HDR.tmp.mkv" "$SRC_HDR"
    fi
}
