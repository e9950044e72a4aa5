// Owning pointers for the media library's objects: each kind is released with
// its own call, through the binding.
#pragma once

#include <memory>

#include "Dynamicavimport.h"

namespace av {

struct InputContextDeleter {
    void operator()(AVFormatContext* context) const { AV.avformat_close_input(&context); }
};

// The output's file is closed before the context is freed.
struct OutputContextDeleter {
    void operator()(AVFormatContext* context) const {
        if (context->pb && !(context->oformat->flags & AVFMT_NOFILE)) {
            AV.avio_closep(&context->pb);
        }
        AV.avformat_free_context(context);
    }
};

struct CodecContextDeleter {
    void operator()(AVCodecContext* context) const { AV.avcodec_free_context(&context); }
};

struct FrameDeleter {
    void operator()(AVFrame* frame) const { AV.av_frame_free(&frame); }
};

struct PacketDeleter {
    void operator()(AVPacket* packet) const { AV.av_packet_free(&packet); }
};

struct ScalerDeleter {
    void operator()(SwsContext* scaler) const { AV.sws_freeContext(scaler); }
};

struct ResamplerDeleter {
    void operator()(SwrContext* resampler) const { AV.swr_free(&resampler); }
};

struct AudioFifoDeleter {
    void operator()(AVAudioFifo* fifo) const { AV.av_audio_fifo_free(fifo); }
};

struct FilterGraphDeleter {
    void operator()(AVFilterGraph* graph) const { AV.avfilter_graph_free(&graph); }
};

using InputContextPtr = std::unique_ptr<AVFormatContext, InputContextDeleter>;
using OutputContextPtr = std::unique_ptr<AVFormatContext, OutputContextDeleter>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using ScalerPtr = std::unique_ptr<SwsContext, ScalerDeleter>;
using ResamplerPtr = std::unique_ptr<SwrContext, ResamplerDeleter>;
using AudioFifoPtr = std::unique_ptr<AVAudioFifo, AudioFifoDeleter>;
using FilterGraphPtr = std::unique_ptr<AVFilterGraph, FilterGraphDeleter>;

}  // namespace av
