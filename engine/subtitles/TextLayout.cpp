// libass lays the text out at every picture's time; plain text that would
// take more than two lines is set smaller first and cut only at the smallest
// readable size.
#include "TextLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>

#include "Dynamicavimport.h"
#include "LibassBinding.h"
#include "SubtitleBlend.h"
#include "SystemPlaces.h"

namespace subtitles {

namespace {

// Plain text (SubRip, mov_text, WebVTT) is laid out in this style: a white
// face with a dark outline, centred at the bottom. The size is that of a line
// in a picture 288 high; Place fits it to the phone's screen.
constexpr double kPlayResY = 288;
constexpr double kLineHeight = 36;  // an eighth of the screen's height
// Shrunk down to this share of the size before lines are cut: the line is
// then 1/10.7 of the screen's height.
constexpr double kSmallestScale = 0.75;
constexpr double kScaleStep = 0.05;
constexpr const char* kOwnHeader =
    "[Script Info]\n"
    "ScriptType: v4.00+\n"
    "PlayResX: 384\n"
    "PlayResY: 288\n"
    "ScaledBorderAndShadow: yes\n"
    "WrapStyle: 0\n"
    "\n"
    "[V4+ Styles]\n"
    "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, "
    "BackColour, Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, "
    "BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, MarginV, Encoding\n"
    "Style: Default,DejaVu Sans,36,&H00FFFFFF,&H00FFFFFF,&H00101010,&H80000000,0,0,0,0,100,"
    "100,0,0,1,2.6,0,2,12,12,10,1\n"
    "\n"
    "[Events]\n"
    "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n";

constexpr const char* kDefaultFontFamily = "DejaVu Sans";

struct TLibraryDone {
    void operator()(ASS_Library* library) const { Libass().ass_library_done(library); }
};
struct TRendererDone {
    void operator()(ASS_Renderer* renderer) const { Libass().ass_renderer_done(renderer); }
};
struct TTrackFree {
    void operator()(ASS_Track* track) const { Libass().ass_free_track(track); }
};

void Quiet(int, const char*, va_list, void*) {}

// The bytes of a font file; empty when it is missing or cannot be read, so
// that libass falls back on the system's fonts.
std::string ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return {};
    std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (file.bad() || bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        return {};
    }
    return bytes;
}

Rect Bounds(const ASS_Image* images) {
    int32_t left = std::numeric_limits<int32_t>::max();
    int32_t top = left;
    int32_t right = std::numeric_limits<int32_t>::min();
    int32_t bottom = right;
    for (const ASS_Image* image = images; image; image = image->next) {
        if (image->w <= 0 || image->h <= 0) continue;
        left = std::min(left, image->dst_x);
        top = std::min(top, image->dst_y);
        right = std::max(right, image->dst_x + image->w);
        bottom = std::max(bottom, image->dst_y + image->h);
    }
    if (right < left) return {};
    return {left, top, right - left, bottom - top};
}

}  // namespace

struct TTextLayout::TLibassState {
    // The library goes last: the renderer and the track belong to it.
    std::unique_ptr<ASS_Library, TLibraryDone> Library;
    std::unique_ptr<ASS_Renderer, TRendererDone> Renderer;
    std::unique_ptr<ASS_Track, TTrackFree> Track;
    ASS_Image* Images = nullptr;  // of the latest Prepare
    double Scale = 1.0;           // the font scale in use
    double BaseScale = 1.0;       // what the track's own sizes need to be readable
    bool LaidOut = false;         // Dy and CutRow fit the images
    int32_t Dy = 0;               // rows the images are moved down by
    // Images whose middle lies below this row (before the move) are left out:
    // the lines after the second.
    int32_t CutRow = std::numeric_limits<int32_t>::max();
};

TTextLayout::~TTextLayout() = default;

TTextLayout::TTextLayout(const AVFormatContext* input, const std::string& header)
    : OwnStyle(header.empty()) {
    const TLibassBinding& ass = Libass();
    if (const std::string problem = ass.Problem(); !problem.empty()) {
        throw TSubtitleProblem(problem);
    }
    Layout = std::make_unique<TLibassState>();
    Layout->Library.reset(ass.ass_library_init());
    if (!Layout->Library) throw TSubtitleProblem("The subtitle library could not be started");
    ass.ass_set_message_cb(Layout->Library.get(), Quiet, nullptr);
    ass.ass_set_extract_fonts(Layout->Library.get(), 0);
    // The fonts the source carries with it, for its styles.
    for (unsigned i = 0; input && i < input->nb_streams; ++i) {
        const AVStream& stream = *input->streams[i];
        const AVCodecParameters& codec = *stream.codecpar;
        if (codec.codec_type != AVMEDIA_TYPE_ATTACHMENT || !codec.extradata ||
            codec.extradata_size <= 0) {
            continue;
        }
        const AVDictionaryEntry* mime = AV.av_dict_get(stream.metadata, "mimetype", nullptr, 0);
        const bool font = codec.codec_id == AV_CODEC_ID_TTF || codec.codec_id == AV_CODEC_ID_OTF ||
                          (mime && std::strstr(mime->value, "font"));
        if (!font) continue;
        const AVDictionaryEntry* name = AV.av_dict_get(stream.metadata, "filename", nullptr, 0);
        ass.ass_add_font(Layout->Library.get(), name ? name->value : "attached font",
                         reinterpret_cast<const char*>(codec.extradata), codec.extradata_size);
    }
    Layout->Renderer.reset(ass.ass_renderer_init(Layout->Library.get()));
    Layout->Track.reset(ass.ass_new_track(Layout->Library.get()));
    if (!Layout->Renderer || !Layout->Track) {
        throw TSubtitleProblem("The subtitle library could not be started");
    }
    // The default font is handed over in memory rather than by its name:
    // FreeType opens named files with the system's narrow calls, which on
    // Windows cannot reach a program folder with a name outside its code page.
    const std::string defaultFont = ReadWholeFile(platform::SubtitleFontFile());
    if (!defaultFont.empty()) {
        ass.ass_add_font(Layout->Library.get(), "DejaVuSans.ttf", defaultFont.data(),
                         static_cast<int>(defaultFont.size()));
    }
    ass.ass_set_fonts(Layout->Renderer.get(), nullptr, kDefaultFontFamily,
                      ASS_FONTPROVIDER_AUTODETECT, nullptr, 1);
    std::string styles = OwnStyle ? std::string(kOwnHeader) : header;
    ass.ass_process_codec_private(Layout->Track.get(), styles.data(),
                                  static_cast<int>(styles.size()));
}

void TTextLayout::AddCue(const char* line, int64_t startMilliseconds,
                         int64_t durationMilliseconds) {
    Libass().ass_process_chunk(Layout->Track.get(), const_cast<char*>(line),
                               static_cast<int>(std::strlen(line)), startMilliseconds,
                               durationMilliseconds);
    Layout->LaidOut = false;
}

void TTextLayout::Place(const PicturePlace& place) {
    Place_ = place;
    const TLibassBinding& ass = Libass();
    ASS_Renderer* renderer = Layout->Renderer.get();
    const Rect& area = place.Picture;
    ass.ass_set_frame_size(renderer, place.FrameWidth, place.FrameHeight);
    ass.ass_set_margins(renderer, area.Top, place.FrameHeight - area.Bottom(), area.Left,
                        place.FrameWidth - area.Right());
    ass.ass_set_use_margins(renderer, 0);
    ASS_Track& track = *Layout->Track;
    const double screenLine = place.FrameHeight / 11.0;
    if (OwnStyle) {
        // The picture's proportions, so that the letters keep theirs; the size
        // a share of the screen's height, not of the picture's.
        ass.ass_set_storage_size(renderer, area.Width, area.Height);
        track.PlayResY = static_cast<int>(kPlayResY);
        track.PlayResX =
            std::max(1, static_cast<int>(std::lround(kPlayResY * area.Width / area.Height)));
        for (int i = 0; i < track.n_styles; ++i) {
            track.styles[i].FontSize = kLineHeight * place.FrameHeight / area.Height;
        }
        Layout->BaseScale = 1.0;
    } else {
        // The track's own styles, scaled with the picture; a size too small for
        // the phone's screen is brought up to the smallest readable one.
        ass.ass_set_storage_size(renderer, place.SourceWidth, place.SourceHeight);
        const ASS_Style* style = track.n_styles > 0 ? &track.styles[0] : nullptr;
        for (int i = 0; i < track.n_styles; ++i) {
            if (track.styles[i].Name && std::strcmp(track.styles[i].Name, "Default") == 0) {
                style = &track.styles[i];
            }
        }
        const double playResY = track.PlayResY > 0 ? track.PlayResY : kPlayResY;
        const double line = style ? style->FontSize * area.Height / playResY : screenLine;
        Layout->BaseScale = line > 0 ? std::max(1.0, screenLine / line) : 1.0;
    }
    Layout->Scale = Layout->BaseScale;
    ass.ass_set_font_scale(renderer, Layout->Scale);
    Layout->LaidOut = false;
}

bool TTextLayout::Prepare(int64_t timeMicroseconds) {
    const TLibassBinding& ass = Libass();
    TLibassState& layout = *Layout;
    ASS_Renderer* renderer = layout.Renderer.get();
    ASS_Track* track = layout.Track.get();
    const long long now = timeMicroseconds / 1000;
    int changed = 0;
    layout.Images = ass.ass_render_frame(renderer, track, now, &changed);
    if (!layout.Images) return false;
    if (layout.LaidOut && changed == 0) return true;
    layout.Dy = 0;
    layout.CutRow = std::numeric_limits<int32_t>::max();
    layout.LaidOut = true;
    if (!OwnStyle) return true;

    // At most two lines: a longer cue is set smaller, down to the smallest
    // readable size, and only then are the lines after the second left out.
    const auto render = [&](double scale) {
        layout.Scale = scale;
        ass.ass_set_font_scale(renderer, scale);
        layout.Images = ass.ass_render_frame(renderer, track, now, &changed);
    };
    const double line = kLineHeight / kPlayResY * Place_.FrameHeight;
    const auto tooTall = [&](const Rect& box) { return box.Height > 2.5 * line * layout.Scale; };
    if (layout.Scale != 1.0) render(1.0);
    Rect box = Bounds(layout.Images);
    while (layout.Images && tooTall(box) && layout.Scale > kSmallestScale + 1e-9) {
        render(std::max(kSmallestScale, layout.Scale - kScaleStep));
        box = Bounds(layout.Images);
    }
    if (!layout.Images) return false;
    int32_t shownTop = box.Top;
    int32_t shownHeight = box.Height;
    if (tooTall(box)) {
        // The first two lines stay, moved down to where the block ended. libass
        // gives each line images of its own, one line's pitch apart.
        layout.CutRow = box.Top + static_cast<int32_t>(std::lround(2 * line * layout.Scale));
        int32_t keptBottom = box.Top;
        for (const ASS_Image* image = layout.Images; image; image = image->next) {
            if (image->w > 0 && image->h > 0 && image->dst_y + image->h / 2 < layout.CutRow) {
                keptBottom = std::max(keptBottom, image->dst_y + image->h);
            }
        }
        shownHeight = keptBottom - box.Top;
        layout.Dy = box.Bottom() - keptBottom;
        shownTop = box.Top + layout.Dy;
    }
    // Below the picture when the bar there has room for it.
    const int32_t pictureBottom = Place_.Picture.Bottom();
    const int32_t bar = Place_.FrameHeight - pictureBottom;
    if (Place_.Bars && bar >= shownHeight + 2) {
        const int32_t move = pictureBottom + (bar - shownHeight) / 2 - shownTop;
        layout.Dy += move;
    }
    return true;
}

void TTextLayout::DrawOn(AVFrame& picture) {
    if (!Layout->Images) return;
    for (const ASS_Image* image = Layout->Images; image; image = image->next) {
        if (image->dst_y + image->h / 2 >= Layout->CutRow) continue;
        BlendMask(picture, image->bitmap, image->stride, image->w, image->h, image->dst_x,
                  image->dst_y + Layout->Dy, image->color, RowBand{0, picture.height});
    }
}

}  // namespace subtitles
