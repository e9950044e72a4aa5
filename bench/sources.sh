# The bench's two sources, made once into $WORK ($SRC and $SRC_I); sourced by
# bench/run and bench/compare-outputs.
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
}
