#include "UnshownPictures.h"

#include <algorithm>

#include "Dynamicavimport.h"

namespace transcode {

bool TUnshownPictures::Applies(AVCodecID codec) {
    switch (codec) {
        case AV_CODEC_ID_H264:
        case AV_CODEC_ID_HEVC:
        case AV_CODEC_ID_MPEG1VIDEO:
        case AV_CODEC_ID_MPEG2VIDEO:
            return true;
        default:
            return false;
    }
}

bool TUnshownPictures::CanLeaveOut(const AVPacket& packet, int64_t duration, int64_t videoStart,
                                   AVRational timeBase, AVRational slotBase) const {
    const int64_t start = packet.pts;
    int64_t end = 0;
    if (start == AV_NOPTS_VALUE || (packet.flags & AV_PKT_FLAG_KEY) || duration <= 0 ||
        __builtin_add_overflow(start, duration, &end)) {
        return false;
    }
    // A later picture is on its way, and one already sent leads up to this one
    // without a gap that this one would have to fill.
    if (LatestStart == AV_NOPTS_VALUE || LatestStart < end) return false;
    const auto last = RecentEnds.begin() + static_cast<ptrdiff_t>(Remembered);
    if (std::find(RecentEnds.begin(), last, start) == last) return false;
    int64_t shownStart = 0;
    int64_t shownEnd = 0;
    if (__builtin_sub_overflow(start, videoStart, &shownStart) || shownStart < 0 ||
        __builtin_sub_overflow(end, videoStart, &shownEnd)) {
        return false;
    }
    // The output frames up to the one that starts at or after its start are
    // filled by the pictures before it; it would fill those that start before
    // its end.
    return AV.av_rescale_q_rnd(shownStart, timeBase, slotBase, AV_ROUND_UP) ==
           AV.av_rescale_q_rnd(shownEnd, timeBase, slotBase, AV_ROUND_UP);
}

void TUnshownPictures::Sent(const AVPacket& packet, int64_t duration) {
    int64_t end = 0;
    if (packet.pts == AV_NOPTS_VALUE || duration <= 0 ||
        __builtin_add_overflow(packet.pts, duration, &end)) {
        return;
    }
    RecentEnds[Next] = end;
    Next = (Next + 1) % kRemembered;
    Remembered = std::min(Remembered + 1, kRemembered);
    LatestStart = LatestStart == AV_NOPTS_VALUE ? packet.pts : std::max(LatestStart, packet.pts);
}

}  // namespace transcode
