// Owning pointers for the media library's objects: each kind is released with
// its own call, through the binding.
#pragma once

#include <memory>

#include "Dynamicavimport.h"

namespace av {

struct TInputContextDeleter {
    void operator()(AVFormatContext* context) const { AV.avformat_close_input(&context); }
};

// The output's file is closed before the context is freed.
struct TOutputContextDeleter {
    void operator()(AVFormatContext* context) const {
        if (context->pb && !(context->oformat->flags & AVFMT_NOFILE)) {
            AV.avio_closep(&context->pb);
        }
        AV.avformat_free_context(context);
    }
};

struct TCodecContextDeleter {
    void operator()(AVCodecContext* context) const { AV.avcodec_free_context(&context); }
};

struct TFrameDeleter {
    void operator()(AVFrame* frame) const { AV.av_frame_free(&frame); }
};

struct TPacketDeleter {
    void operator()(AVPacket* packet) const { AV.av_packet_free(&packet); }
};

struct TScalerDeleter {
    void operator()(SwsContext* scaler) const { AV.sws_freeContext(scaler); }
};

struct TResamplerDeleter {
    void operator()(SwrContext* resampler) const { AV.swr_free(&resampler); }
};

struct TAudioFifoDeleter {
    void operator()(AVAudioFifo* fifo) const { AV.av_audio_fifo_free(fifo); }
};

struct TFilterGraphDeleter {
    void operator()(AVFilterGraph* graph) const { AV.avfilter_graph_free(&graph); }
};

using InputContextPtr = std::unique_ptr<AVFormatContext, TInputContextDeleter>;
using OutputContextPtr = std::unique_ptr<AVFormatContext, TOutputContextDeleter>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, TCodecContextDeleter>;
using FramePtr = std::unique_ptr<AVFrame, TFrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, TPacketDeleter>;
using ScalerPtr = std::unique_ptr<SwsContext, TScalerDeleter>;
using ResamplerPtr = std::unique_ptr<SwrContext, TResamplerDeleter>;
using AudioFifoPtr = std::unique_ptr<AVAudioFifo, TAudioFifoDeleter>;
using FilterGraphPtr = std::unique_ptr<AVFilterGraph, TFilterGraphDeleter>;

}  // namespace av
