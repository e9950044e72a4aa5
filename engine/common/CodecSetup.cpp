#include "CodecSetup.h"

#include <new>

#include "EngineError.h"

namespace transcode {

av::CodecContextPtr StartDecoder(const AVStream& stream, const char* openError,
                                 bool shrinksByHalf) {
    const AVCodec* decoder = AV.avcodec_find_decoder(stream.codecpar->codec_id);
    if (!decoder) throw SourceError("Codec not found\n", 0, "No decoder for this stream's format");
    av::CodecContextPtr context(AV.avcodec_alloc_context3(decoder));
    if (!context) throw std::bad_alloc();
    if (const int code = AV.avcodec_parameters_to_context(context.get(), stream.codecpar);
        code < 0) {
        throw SourceError(openError, code);
    }
    context->pkt_timebase = stream.time_base;
    context->thread_count = 0;
    context->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    if (shrinksByHalf) context->skip_loop_filter = AVDISCARD_NONREF;
    if (const int code = AV.avcodec_open2(context.get(), decoder, nullptr); code < 0) {
        throw SourceError(openError, code);
    }
    return context;
}

av::CodecContextPtr NewEncoder(int32_t codecId, const char* missing) {
    const AVCodec* encoder = AV.avcodec_find_encoder(static_cast<AVCodecID>(codecId));
    if (!encoder) throw DestinationError("Codec not found\n", 0, missing);
    // The context takes the codec's id and kind from the codec itself.
    av::CodecContextPtr context(AV.avcodec_alloc_context3(encoder));
    if (!context) throw std::bad_alloc();
    return context;
}

av::FramePtr NewFrame() {
    av::FramePtr frame(AV.av_frame_alloc());
    if (!frame) throw std::bad_alloc();
    return frame;
}

av::FramePtr NewPicture(int32_t width, int32_t height) {
    av::FramePtr picture(AV.av_frame_alloc());
    if (!picture) return picture;
    picture->format = AV_PIX_FMT_YUV420P;
    picture->width = width;
    picture->height = height;
    if (AV.av_frame_get_buffer(picture.get(), 0) < 0) picture.reset();
    return picture;
}

}  // namespace transcode
