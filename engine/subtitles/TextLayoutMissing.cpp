// A build without libass's header (where none was found to build against):
// text subtitles are left out with a warning, bitmap subtitles still work.
#include "TextLayout.h"

namespace subtitles {

struct TextLayout::Ass {};

TextLayout::TextLayout(const AVFormatContext*, const std::string&) {
    throw SubtitleProblem("This build of the program cannot draw text subtitles (no libass)");
}

TextLayout::~TextLayout() = default;

void TextLayout::AddCue(const char*, int64_t, int64_t) {}
void TextLayout::Place(const PicturePlace&) {}
bool TextLayout::Prepare(int64_t) {
    return false;
}
void TextLayout::DrawOn(AVFrame&) {}

}  // namespace subtitles
