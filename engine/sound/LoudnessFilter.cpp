#include "LoudnessFilter.h"

#include <cstring>
#include <new>
#include <string>

#include "EngineError.h"

namespace transcode {

namespace {

constexpr const char* kFilterError = "Cannot initialize the loudness filter\n";

AVFilterContext* NewFilter(AVFilterGraph& graph, const char* filter, const char* name,
                           const std::string& arguments) {
    AVFilterContext* context = nullptr;
    const AVFilter* definition = AV.avfilter_get_by_name(filter);
    if (!definition || AV.avfilter_graph_create_filter(&context, definition, name,
                                                       arguments.c_str(), nullptr, &graph) < 0) {
        throw TEngineError(kFilterError);
    }
    return context;
}

}  // namespace

TLoudnessFilter::TLoudnessFilter(int sampleRate, int channels)
    : SampleRate(sampleRate), Channels(channels) {
    Graph.reset(AV.avfilter_graph_alloc());
    Incoming.reset(AV.av_frame_alloc());
    Outgoing.reset(AV.av_frame_alloc());
    if (!Graph || !Incoming || !Outgoing) throw std::bad_alloc();
    const std::string rate = std::to_string(sampleRate);
    const std::string layout = channels == 1 ? "mono" : "stereo";
    Source = NewFilter(*Graph, "abuffer", "in",
                       "sample_rate=" + rate + ":sample_fmt=s16:channel_layout=" + layout +
                           ":time_base=1/" + rate);
    // -14 LUFS before the coder gives -16 after it; the true-peak ceiling of
    // -3.5 dBTP keeps the coded peaks below -1.5.
    AVFilterContext* loudnorm = NewFilter(*Graph, "loudnorm", "loudness", "I=-14:TP=-3.5:LRA=11");
    // The normaliser works at 192 kHz; back to the output's rate and format.
    AVFilterContext* resample = NewFilter(*Graph, "aresample", "rate", rate);
    AVFilterContext* format =
        NewFilter(*Graph, "aformat", "format", "sample_fmts=s16:channel_layouts=" + layout);
    Output = NewFilter(*Graph, "abuffersink", "out", {});
    if (AV.avfilter_link(Source, 0, loudnorm, 0) < 0 ||
        AV.avfilter_link(loudnorm, 0, resample, 0) < 0 ||
        AV.avfilter_link(resample, 0, format, 0) < 0 ||
        AV.avfilter_link(format, 0, Output, 0) < 0 ||
        AV.avfilter_graph_config(Graph.get(), nullptr) < 0) {
        throw TEngineError(kFilterError);
    }
}

void TLoudnessFilter::Push(const uint8_t* samples, int64_t count, const Sink& sink) {
    constexpr int64_t kChunk = 4096;
    while (count > 0) {
        const int part = static_cast<int>(std::min(count, kChunk));
        AVFrame* frame = Incoming.get();
        AV.av_frame_unref(frame);
        frame->format = AV_SAMPLE_FMT_S16;
        frame->sample_rate = SampleRate;
        frame->nb_samples = part;
        AV.av_channel_layout_default(&frame->ch_layout, Channels);
        if (AV.av_frame_get_buffer(frame, 0) < 0) throw std::bad_alloc();
        std::memcpy(frame->data[0], samples, static_cast<std::size_t>(part) * 2 * Channels);
        frame->pts = Pushed;
        Pushed += part;
        if (AV.av_buffersrc_add_frame_flags(Source, frame, 0) < 0) throw TEngineError(kFilterError);
        samples += static_cast<std::size_t>(part) * 2 * Channels;
        count -= part;
        Drain(sink);
    }
}

void TLoudnessFilter::Finish(const Sink& sink) {
    if (AV.av_buffersrc_add_frame_flags(Source, nullptr, 0) < 0) throw TEngineError(kFilterError);
    Drain(sink);
}

void TLoudnessFilter::Drain(const Sink& sink) {
    AVFrame* frame = Outgoing.get();
    while (true) {
        const int result = AV.av_buffersink_get_frame(Output, frame);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return;
        if (result < 0) throw TEngineError(kFilterError);
        sink(frame->data[0], frame->nb_samples);
        AV.av_frame_unref(frame);
    }
}

}  // namespace transcode
