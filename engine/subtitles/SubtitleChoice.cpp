#include "SubtitleChoice.h"

#include <vector>

namespace subtitles {

namespace {

bool IsSubtitle(const AVStream& stream) {
    return stream.codecpar->codec_type == AVMEDIA_TYPE_SUBTITLE;
}

}  // namespace

int32_t CountSubtitleTracks(const AVFormatContext& input) {
    int32_t count = 0;
    for (unsigned i = 0; i < input.nb_streams; ++i) {
        if (IsSubtitle(*input.streams[i])) ++count;
    }
    return count;
}

int32_t ChooseSubtitleStream(const AVFormatContext& input, int32_t track) {
    std::vector<int32_t> tracks;
    for (unsigned i = 0; i < input.nb_streams; ++i) {
        if (IsSubtitle(*input.streams[i])) tracks.push_back(static_cast<int32_t>(i));
    }
    if (track > 0) return track <= static_cast<int32_t>(tracks.size()) ? tracks[track - 1] : -1;
    for (const int flag : {AV_DISPOSITION_FORCED, AV_DISPOSITION_DEFAULT}) {
        for (const int32_t index : tracks) {
            const AVStream& stream = *input.streams[index];
            if ((stream.disposition & flag) && CanBurnIn(stream.codecpar->codec_id)) return index;
        }
    }
    for (const int32_t index : tracks) {
        if (CanBurnIn(input.streams[index]->codecpar->codec_id)) return index;
    }
    return -1;
}

bool CanBurnIn(int32_t codecId) {
    switch (codecId) {
        case AV_CODEC_ID_SUBRIP:
        case AV_CODEC_ID_SRT:
        case AV_CODEC_ID_ASS:
        case AV_CODEC_ID_SSA:
        case AV_CODEC_ID_MOV_TEXT:
        case AV_CODEC_ID_WEBVTT:
        case AV_CODEC_ID_TEXT:
        case AV_CODEC_ID_HDMV_PGS_SUBTITLE:
        case AV_CODEC_ID_DVB_SUBTITLE:
        case AV_CODEC_ID_DVD_SUBTITLE:
            return true;
        default:
            return false;
    }
}

}  // namespace subtitles
