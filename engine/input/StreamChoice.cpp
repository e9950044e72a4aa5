#include "StreamChoice.h"

#include "Dynamicavimport.h"

AVStream* ChooseVideoStream(AVFormatContext& input) {
    for (unsigned i = 0; i < input.nb_streams; ++i) {
        AVStream* stream = input.streams[i];
        if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
            !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC)) {
            return stream;
        }
    }
    return nullptr;
}

AVStream* ChooseCoverStream(AVFormatContext& input) {
    for (unsigned i = 0; i < input.nb_streams; ++i) {
        AVStream* stream = input.streams[i];
        if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
            (stream->disposition & AV_DISPOSITION_ATTACHED_PIC) && stream->attached_pic.size > 0) {
            return stream;
        }
    }
    return nullptr;
}

int32_t SoundTrackCount(const AVFormatContext& input) {
    int32_t count = 0;
    for (unsigned i = 0; i < input.nb_streams; ++i) {
        if (input.streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) ++count;
    }
    return count;
}

AVStream* ChooseSoundStream(AVFormatContext& input, const AVStream* video, int32_t track) {
    AVStream* flagged = nullptr;
    int32_t number = 0;
    for (unsigned i = 0; i < input.nb_streams; ++i) {
        AVStream* stream = input.streams[i];
        if (stream->codecpar->codec_type != AVMEDIA_TYPE_AUDIO) continue;
        ++number;
        if (track > 0 && number == track) return stream;
        if (!flagged && (stream->disposition & AV_DISPOSITION_DEFAULT)) flagged = stream;
    }
    if (track > 0 || number == 0) return nullptr;
    if (flagged) return flagged;
    const int best = AV.av_find_best_stream(&input, AVMEDIA_TYPE_AUDIO, -1,
                                            video ? video->index : -1, nullptr, 0);
    if (best >= 0) return input.streams[best];
    // The library finds none it could decode: the first, whose decoder then
    // says what is missing.
    for (unsigned i = 0; i < input.nb_streams; ++i) {
        if (input.streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) return input.streams[i];
    }
    return nullptr;
}

int32_t SoundTrackNumber(const AVFormatContext& input, const AVStream* stream) {
    int32_t number = 0;
    for (unsigned i = 0; i < input.nb_streams; ++i) {
        if (input.streams[i]->codecpar->codec_type != AVMEDIA_TYPE_AUDIO) continue;
        ++number;
        if (input.streams[i] == stream) return number;
    }
    return 0;
}
