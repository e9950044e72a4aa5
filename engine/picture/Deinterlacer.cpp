#include "Deinterlacer.h"

#include <new>
#include <string>

#include "EngineError.h"

namespace transcode {

namespace {

constexpr const char* kFilterError = "Cannot initialize the deinterlacer\n";

bool FieldsInterlaced(AVFieldOrder order) {
    return order == AV_FIELD_TT || order == AV_FIELD_BB || order == AV_FIELD_TB ||
           order == AV_FIELD_BT;
}

AVFilterContext* NewFilter(AVFilterGraph& graph, const char* filter, const char* name,
                           const std::string& arguments) {
    AVFilterContext* context = nullptr;
    const AVFilter* definition = AV.avfilter_get_by_name(filter);
    if (!definition || AV.avfilter_graph_create_filter(
                           &context, definition, name,
                           arguments.empty() ? nullptr : arguments.c_str(), nullptr, &graph) < 0) {
        throw SourceError(kFilterError, 0, "The deinterlacer could not take the pictures");
    }
    return context;
}

}  // namespace

bool TDeinterlacer::IsInterlaced(const AVFrame& picture, const AVStream& stream) {
    return picture.interlaced_frame || FieldsInterlaced(stream.codecpar->field_order);
}

void TDeinterlacer::Start(const AVFrame& first, const AVStream& stream, int32_t width) {
    TimeBase = stream.time_base;
    InputWidth = first.width;
    Graph.reset(AV.avfilter_graph_alloc());
    if (!Graph) throw std::bad_alloc();
    // Sources whose stream says interlaced are deinterlaced whole; others only
    // where a picture says so (progressive pictures pass unchanged).
    const AVFieldOrder order = stream.codecpar->field_order;
    const bool wholeStream = FieldsInterlaced(order);
    const char* parity = "auto";
    if (order == AV_FIELD_TT || order == AV_FIELD_TB) parity = "tff";
    if (order == AV_FIELD_BB || order == AV_FIELD_BT) parity = "bff";
    AVRational aspect = first.sample_aspect_ratio;
    if (aspect.num <= 0 || aspect.den <= 0) aspect = AVRational{1, 1};
    const std::string source =
        "video_size=" + std::to_string(first.width) + "x" + std::to_string(first.height) +
        ":pix_fmt=" + std::to_string(first.format) +
        ":time_base=" + std::to_string(stream.time_base.num) + "/" +
        std::to_string(stream.time_base.den) + ":pixel_aspect=" + std::to_string(aspect.num) + "/" +
        std::to_string(aspect.den);
    Source = NewFilter(*Graph, "buffer", "in", source);
    AVFilterContext* yadif = NewFilter(*Graph, "yadif", "deinterlace",
                                       std::string("mode=send_frame:parity=") + parity +
                                           ":deint=" + (wholeStream ? "all" : "interlaced"));
    // On the narrowed picture the deinterlacer has too little work per
    // picture to share out: waking a second thread for half of it cost more
    // than it saved.
    yadif->nb_threads = 1;
    Sink = NewFilter(*Graph, "buffersink", "out", {});
    // Narrowing the picture first leaves the deinterlacer a fraction of the
    // work: the columns are independent of the fields, and the output keeps
    // no more of them anyway. The rows, which the fields share, stay as they
    // are until the scaler.
    AVFilterContext* firstStage = yadif;
    if (width > 0 && width < first.width) {
        firstStage = NewFilter(*Graph, "scale", "narrow",
                               "w=" + std::to_string(width) + ":h=ih:flags=bicubic");
        if (AV.avfilter_link(firstStage, 0, yadif, 0) < 0) {
            throw SourceError(kFilterError, 0, "The deinterlacer could not take the pictures");
        }
    }
    if (AV.avfilter_link(Source, 0, firstStage, 0) < 0 || AV.avfilter_link(yadif, 0, Sink, 0) < 0 ||
        AV.avfilter_graph_config(Graph.get(), nullptr) < 0) {
        throw SourceError(kFilterError, 0, "The deinterlacer could not take the pictures");
    }
}

void TDeinterlacer::Send(AVFrame* picture) {
    // The filter keeps the time in pts; the decoder's best guess is the one
    // the output follows.
    if (picture) picture->pts = picture->best_effort_timestamp;
    if (AV.av_buffersrc_add_frame_flags(Source, picture, 0) < 0)
        throw SourceError(kFilterError, 0, "The deinterlacer could not take the pictures");
}

int TDeinterlacer::Receive(AVFrame& picture) {
    const int result = AV.av_buffersink_get_frame(Sink, &picture);
    if (result == 0) {
        if (picture.pts != AV_NOPTS_VALUE) {
            picture.pts =
                AV.av_rescale_q(picture.pts, AV.av_buffersink_get_time_base(Sink), TimeBase);
        }
        picture.best_effort_timestamp = picture.pts;
    }
    return result;
}

}  // namespace transcode
