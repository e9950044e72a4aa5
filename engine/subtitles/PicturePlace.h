// What the subtitle path shares with its parts: where the picture lies in
// the output, and the failure that leaves subtitles out.
#pragma once

#include <cstdint>
#include <stdexcept>

namespace subtitles {

// Subtitles that cannot be used: the clip converts without them and the
// reason becomes a warning.
class TSubtitleProblem : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Rect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t Right() const { return Left + Width; }
    int32_t Bottom() const { return Top + Height; }
};

// Where the picture lies in the output picture and what of the source it
// shows. Bars: the rest of the output is black bars that text may go into.
struct PicturePlace {
    int32_t FrameWidth = 0;
    int32_t FrameHeight = 0;
    Rect Picture;  // in the output picture
    Rect Shown;    // in the source's own pixels (its coded size)
    int32_t SourceWidth = 0;
    int32_t SourceHeight = 0;
    bool Bars = false;
};

}  // namespace subtitles
