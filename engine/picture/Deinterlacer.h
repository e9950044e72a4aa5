// FFmpeg's yadif deinterlacer between the video decoder and the scaler, for
// interlaced sources only. It gives one picture per decoded picture (each
// picture's own time), one picture behind the decoder: it looks at the next
// picture to rebuild the missing lines. (bwdif, the newer one, leaves fine
// moving detail that the idet filter still finds combed.)
#pragma once

#include <cstdint>

#include "AvPtr.h"

namespace transcode {

class TDeinterlacer {
public:
    // True when the picture (or the whole stream, by its field order) is
    // interlaced.
    static bool IsInterlaced(const AVFrame& picture, const AVStream& stream);

    bool IsStarted() const { return Graph != nullptr; }
    // Builds the filter for pictures like first, with timestamps in the
    // stream's time base. Pictures wider than width leave it scaled to that
    // width (their height kept); 0 keeps the width. Throws TEngineError when it
    // cannot be built.
    void Start(const AVFrame& first, const AVStream& stream, int32_t width);
    // The width of the pictures the filter takes.
    int32_t TakenWidth() const { return InputWidth; }
    // Hands a decoded picture over (its buffers move into the filter); none
    // tells the filter that the pictures ended.
    void Send(AVFrame* picture);
    // The next deinterlaced picture into picture, its time stamp back in the
    // stream's time base (yadif counts in half of it, to leave room for field
    // rate): 0, AVERROR(EAGAIN) when the filter wants more, AVERROR_EOF after
    // the last one.
    int Receive(AVFrame& picture);

private:
    av::FilterGraphPtr Graph;
    AVFilterContext* Source = nullptr;  // belong to the graph
    AVFilterContext* Sink = nullptr;
    AVRational TimeBase{0, 1};  // the stream's, which the pictures leave with
    int32_t InputWidth = 0;
};

}  // namespace transcode
