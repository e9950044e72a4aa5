// The subtitle path of one conversion: a track's (or a file's) cues decoded
// with libavcodec, text laid out by libass at the phone's size, bitmaps
// scaled with the picture, and whichever is shown at a picture's time drawn
// into it after the fit.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "AvPtr.h"
#include "PicturePlace.h"

namespace subtitles {

class TTextLayout;

class TSubtitlePath {
public:
    // Throws TSubtitleProblem for a track that cannot be decoded or text that
    // cannot be laid out (libass missing).
    TSubtitlePath(const AVFormatContext& input, const AVStream& stream);
    // Reads and decodes the whole file; throws TSubtitleProblem when it cannot
    // be read or holds no cue.
    explicit TSubtitlePath(const std::string& filePath);
    ~TSubtitlePath();
    TSubtitlePath(const TSubtitlePath&) = delete;
    TSubtitlePath& operator=(const TSubtitlePath&) = delete;

    // The stream index in the source, -1 for a file.
    int32_t StreamIndex() const { return Stream; }

    // Decodes the cues from the start of the source up to startMicroseconds
    // (from a second reading of the source), for a conversion that starts
    // later: a cue begun before the start is then shown from the first
    // picture. Packets before that time in SendPacket are then passed over.
    void ReadUpTo(const std::string& sourcePath, int64_t startMicroseconds);

    // One packet of the track; a damaged one is passed over (false). Unrefs
    // it.
    bool SendPacket(AVPacket& packet);

    // Where the pictures go; again whenever it changes.
    void Place(const PicturePlace& place);

    // True when a cue is shown at the time (microseconds on the source's
    // clock); the picture is then drawn by DrawOn.
    bool Prepare(int64_t timeMicroseconds);
    void DrawOn(AVFrame& picture);

private:
    struct BitmapCue;

    void OpenDecoder(const AVCodecParameters& codec, AVRational timeBase);
    void StartText(const AVFormatContext* input);
    // False when the packet was damaged.
    bool Decode(AVPacket& packet);
    void TakeBitmaps(const AVSubtitle& subtitle, int64_t start, int64_t end);
    bool PrepareBitmaps(int64_t timeMicroseconds);
    void ScaleBitmap(BitmapCue& cue);

    av::CodecContextPtr Decoder;
    AVRational TimeBase{1, AV_TIME_BASE};
    int32_t Stream = -1;
    int32_t CanvasWidth = 0;  // the bitmaps' coordinate space
    int32_t CanvasHeight = 0;
    bool Text = false;
    bool OwnStyle = false;  // plain text in the program's style (not the track's ASS styles)
    int64_t PassOverBefore = AV_NOPTS_VALUE;  // stream time base
    int64_t CuesDecoded = 0;
    PicturePlace Place_;
    bool Placed = false;
    std::unique_ptr<TTextLayout> Layout;
    std::vector<BitmapCue> Bitmaps;
    std::vector<size_t> Showing;  // bitmap cues shown at the prepared time
};

}  // namespace subtitles
