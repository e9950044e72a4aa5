/* Copies an HEVC file's streams into an MP4 file whose video stream says it
 * is Dolby Vision of the given profile (its dvcC box), with the given base
 * layer compatibility: 0 none (as profile 5 has), 1 HDR10, 2 SDR, 4 HLG.
 * The pictures stay the HEVC base layer; there are no Dolby Vision data in
 * them. The ffmpeg program cannot mark a stream this way.
 * Usage: MarkDolbyVision INPUT OUTPUT.mp4 PROFILE COMPATIBILITY */
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dovi_meta.h>
#include <libavutil/mem.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int Fail(const char* what) {
    fprintf(stderr, "MarkDolbyVision: %s\n", what);
    return 1;
}

int main(int argc, char** argv) {
    if (argc != 5) return Fail("usage: MarkDolbyVision INPUT OUTPUT.mp4 PROFILE COMPATIBILITY");
    AVFormatContext* input = NULL;
    if (avformat_open_input(&input, argv[1], NULL, NULL) < 0) return Fail("cannot read the input");
    if (avformat_find_stream_info(input, NULL) < 0) return Fail("cannot read the input's streams");
    AVFormatContext* output = NULL;
    if (avformat_alloc_output_context2(&output, NULL, "mp4", argv[2]) < 0) {
        return Fail("no MP4 muxer");
    }
    /* The muxer writes the dvcC box only when told that unofficial boxes
     * are wanted. */
    output->strict_std_compliance = FF_COMPLIANCE_UNOFFICIAL;
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVStream* in = input->streams[i];
        AVStream* out = avformat_new_stream(output, NULL);
        if (!out || avcodec_parameters_copy(out->codecpar, in->codecpar) < 0) {
            return Fail("cannot copy a stream");
        }
        out->codecpar->codec_tag = 0;
        out->time_base = in->time_base;
        if (in->codecpar->codec_type != AVMEDIA_TYPE_VIDEO) continue;
        size_t size = 0;
        AVDOVIDecoderConfigurationRecord* record = av_dovi_alloc(&size);
        if (!record) return Fail("out of memory");
        record->dv_version_major = 1;
        record->dv_version_minor = 0;
        record->dv_profile = (uint8_t)atoi(argv[3]);
        record->dv_level = 4;
        record->rpu_present_flag = 1;
        record->el_present_flag = 0;
        record->bl_present_flag = 1;
        record->dv_bl_signal_compatibility_id = (uint8_t)atoi(argv[4]);
        if (av_stream_add_side_data(out, AV_PKT_DATA_DOVI_CONF, (uint8_t*)record, size) < 0) {
            return Fail("cannot add the Dolby Vision record");
        }
    }
    if (avio_open(&output->pb, argv[2], AVIO_FLAG_WRITE) < 0) return Fail("cannot write");
    if (avformat_write_header(output, NULL) < 0) return Fail("cannot write the header");
    AVPacket* packet = av_packet_alloc();
    while (av_read_frame(input, packet) >= 0) {
        const AVStream* in = input->streams[packet->stream_index];
        av_packet_rescale_ts(packet, in->time_base,
                             output->streams[packet->stream_index]->time_base);
        packet->pos = -1;
        if (av_interleaved_write_frame(output, packet) < 0) return Fail("cannot write a packet");
    }
    av_packet_free(&packet);
    av_write_trailer(output);
    avio_closep(&output->pb);
    avformat_free_context(output);
    avformat_close_input(&input);
    return 0;
}
