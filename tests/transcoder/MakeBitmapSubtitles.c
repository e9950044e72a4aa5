/* Writes a Matroska file with one DVD (VobSub) subtitle track of two cues:
 * a white box with a black edge from 1 s to 2 s and from 3 s to 4 s, at the
 * bottom of a 320 x 240 canvas. The ffmpeg program cannot make bitmap
 * subtitles from text, so the cues are drawn here and encoded with
 * libavcodec's dvdsub encoder. Usage: MakeBitmapSubtitles OUTPUT.mkv */
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/mem.h>
#include <stdio.h>
#include <string.h>

enum { kWidth = 320, kHeight = 240, kBoxWidth = 160, kBoxHeight = 24 };

static int Fail(const char* what) {
    fprintf(stderr, "MakeBitmapSubtitles: %s\n", what);
    return 1;
}

int main(int argc, char** argv) {
    if (argc != 2) return Fail("usage: MakeBitmapSubtitles OUTPUT.mkv");
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_DVD_SUBTITLE);
    if (!codec) return Fail("no dvdsub encoder");
    AVCodecContext* encoder = avcodec_alloc_context3(codec);
    encoder->width = kWidth;
    encoder->height = kHeight;
    encoder->time_base = (AVRational){1, 1000};
    AVFormatContext* output = NULL;
    if (avformat_alloc_output_context2(&output, NULL, "matroska", argv[1]) < 0) {
        return Fail("no Matroska muxer");
    }
    if (output->oformat->flags & AVFMT_GLOBALHEADER) encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(encoder, codec, NULL) < 0) return Fail("cannot open the encoder");
    AVStream* stream = avformat_new_stream(output, NULL);
    avcodec_parameters_from_context(stream->codecpar, encoder);
    stream->time_base = (AVRational){1, 1000};
    if (avio_open(&output->pb, argv[1], AVIO_FLAG_WRITE) < 0) return Fail("cannot write");
    if (avformat_write_header(output, NULL) < 0) return Fail("cannot write the header");

    /* Palette: transparent, white, black. */
    static uint32_t palette[4] = {0x00000000u, 0xffffffffu, 0xff000000u, 0x00000000u};
    static uint8_t pixels[kBoxWidth * kBoxHeight];
    for (int y = 0; y < kBoxHeight; ++y) {
        for (int x = 0; x < kBoxWidth; ++x) {
            const int edge = x < 2 || y < 2 || x >= kBoxWidth - 2 || y >= kBoxHeight - 2;
            pixels[y * kBoxWidth + x] = edge ? 2 : 1;
        }
    }
    const int starts[2] = {1000, 3000};
    for (int i = 0; i < 2; ++i) {
        AVSubtitleRect rect;
        memset(&rect, 0, sizeof rect);
        rect.type = SUBTITLE_BITMAP;
        rect.x = (kWidth - kBoxWidth) / 2;
        rect.y = kHeight - kBoxHeight - 16;
        rect.w = kBoxWidth;
        rect.h = kBoxHeight;
        rect.nb_colors = 4;
        rect.data[0] = pixels;
        rect.linesize[0] = kBoxWidth;
        rect.data[1] = (uint8_t*)palette;
        rect.linesize[1] = 4 * 4;
        AVSubtitleRect* rects[1] = {&rect};
        AVSubtitle subtitle;
        memset(&subtitle, 0, sizeof subtitle);
        subtitle.start_display_time = 0;
        subtitle.end_display_time = 1000;
        subtitle.num_rects = 1;
        subtitle.rects = rects;
        subtitle.pts = (int64_t)starts[i] * 1000;
        uint8_t buffer[65536];
        const int size = avcodec_encode_subtitle(encoder, buffer, sizeof buffer, &subtitle);
        if (size <= 0) return Fail("cannot encode a cue");
        AVPacket* packet = av_packet_alloc();
        av_new_packet(packet, size);
        memcpy(packet->data, buffer, (size_t)size);
        packet->pts = packet->dts = starts[i];
        packet->duration = 1000;
        packet->stream_index = stream->index;
        av_packet_rescale_ts(packet, (AVRational){1, 1000}, stream->time_base);
        if (av_interleaved_write_frame(output, packet) < 0) return Fail("cannot write a cue");
        av_packet_free(&packet);
    }
    av_write_trailer(output);
    avio_closep(&output->pb);
    avformat_free_context(output);
    avcodec_free_context(&encoder);
    return 0;
}
