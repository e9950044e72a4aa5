// A build without libass's header (where none was found to build against):
// text subtitles are left out with a warning, bitmap subtitles still work.
#include "TextLayout.h"

namespace subtitles {

struct TTextLayout::TLibassState {};

TTextLayout::TTextLayout(const AVFormatContext*, const std::string&) {
    throw TSubtitleProblem("This build of the program cannot draw text subtitles (no libass)");
}

TTextLayout::~TTextLayout() = default;

void TTextLayout::AddCue(const char*, int64_t, int64_t) {}
void TTextLayout::Place(const PicturePlace&) {}
bool TTextLayout::Prepare(int64_t) {
    return false;
}
void TTextLayout::DrawOn(AVFrame&) {}

}  // namespace subtitles
