// Text subtitles laid out by libass at the phone's size: plain text (SubRip,
// mov_text, WebVTT) in the program's own readable style, ASS tracks in their
// own styles scaled to the picture.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

extern "C" {
#include <libavformat/avformat.h>
}

#include "PicturePlace.h"

namespace subtitles {

class TTextLayout {
public:
    // header: the track's ASS header with its styles; empty for plain text,
    // which is set white with a dark outline, an eighth of the screen high,
    // in at most two lines. input: the source, whose attached fonts are used
    // (null for a subtitle file). Throws TSubtitleProblem when text cannot be
    // laid out (libass missing).
    TTextLayout(const AVFormatContext* input, const std::string& header);
    ~TTextLayout();
    TTextLayout(const TTextLayout&) = delete;
    TTextLayout& operator=(const TTextLayout&) = delete;

    // One cue: an ASS event line as libavcodec's decoders give it (ReadOrder,
    // Layer, Style, ..., Text), from start for duration milliseconds on the
    // source's clock.
    void AddCue(const char* line, int64_t startMilliseconds, int64_t durationMilliseconds);
    void Place(const PicturePlace& place);
    // True when text is shown at the time; DrawOn then draws it.
    bool Prepare(int64_t timeMicroseconds);
    void DrawOn(AVFrame& picture);

private:
    struct TLibassState;
    std::unique_ptr<TLibassState> Layout;
    bool OwnStyle = false;
    PicturePlace Place_;
};

}  // namespace subtitles
