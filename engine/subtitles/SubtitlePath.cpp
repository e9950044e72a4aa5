// Text cues go into a libass track as they are decoded and are laid out at
// every picture's time; bitmap cues are kept with their times and scaled to
// the output once, when first shown.
#include "SubtitlePath.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <new>
#include <system_error>

#include "LibassBinding.h"
#include "LocalMedia.h"
#include "SubtitleBlend.h"
#include "SubtitleChoice.h"

namespace subtitles {

namespace {

constexpr AVRational kMicroseconds{1, AV_TIME_BASE};
constexpr int64_t kOpenEnd = std::numeric_limits<int64_t>::max();
// A text cue without a length stays this long.
constexpr int64_t kTextCueLength = 5 * int64_t{AV_TIME_BASE};
// The cues of a later start are looked for in the source until the pictures
// are this far past it.
constexpr int64_t kReadAhead = 10 * int64_t{AV_TIME_BASE};

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

#ifdef _WIN32
constexpr const char* kDefaultFontFile = nullptr;
#else
constexpr const char* kDefaultFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
#endif
constexpr const char* kDefaultFontFamily = "DejaVu Sans";

bool IsBitmapCodec(int32_t codecId) {
    return codecId == AV_CODEC_ID_HDMV_PGS_SUBTITLE || codecId == AV_CODEC_ID_DVB_SUBTITLE ||
           codecId == AV_CODEC_ID_DVD_SUBTITLE;
}

struct SubtitleFree {
    void operator()(AVSubtitle* subtitle) const { AV.avsubtitle_free(subtitle); }
};

struct LibraryDone {
    void operator()(ASS_Library* library) const { Libass().ass_library_done(library); }
};
struct RendererDone {
    void operator()(ASS_Renderer* renderer) const { Libass().ass_renderer_done(renderer); }
};
struct TrackFree {
    void operator()(ASS_Track* track) const { Libass().ass_free_track(track); }
};

void Quiet(int, const char*, va_list, void*) {}

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

int64_t ToMicroseconds(int64_t stamp, AVRational base) {
    return stamp == AV_NOPTS_VALUE ? AV_NOPTS_VALUE : AV.av_rescale_q(stamp, base, kMicroseconds);
}

}  // namespace

struct SubtitlePath::Ass {
    // The library goes last: the renderer and the track belong to it.
    std::unique_ptr<ASS_Library, LibraryDone> Library;
    std::unique_ptr<ASS_Renderer, RendererDone> Renderer;
    std::unique_ptr<ASS_Track, TrackFree> Track;
    ASS_Image* Images = nullptr;  // of the latest Prepare
    double Scale = 1.0;           // the font scale in use
    double BaseScale = 1.0;       // what the track's own sizes need to be readable
    bool LaidOut = false;         // Dy and CutRow fit the images
    int32_t Dy = 0;               // rows the images are moved down by
    // Images whose middle lies below this row (before the move) are left out:
    // the lines after the second.
    int32_t CutRow = std::numeric_limits<int32_t>::max();
};

struct SubtitlePath::BitmapCue {
    struct Piece {
        Rect Where;
        std::vector<uint8_t> Rgba;  // Where.Width x Where.Height, alpha 255 opaque
    };
    int64_t Start = 0;  // microseconds on the source's clock
    int64_t End = kOpenEnd;
    int32_t CanvasWidth = 0;
    int32_t CanvasHeight = 0;
    std::vector<Piece> Pieces;  // in the canvas's pixels
    std::vector<Piece> Output;  // in the output picture's
    bool Scaled = false;
};

SubtitlePath::SubtitlePath(const AVFormatContext& input, const AVStream& stream)
    : Stream(stream.index) {
    OpenDecoder(*stream.codecpar, stream.time_base);
    if (Text) StartText(&input);
}

SubtitlePath::SubtitlePath(const std::string& filePath) {
    const std::string name = std::filesystem::path(filePath).filename().string();
    AVFormatContext* raw = nullptr;
    if (OpenLocalInput(&raw, filePath) != 0) {
        throw SubtitleProblem("The subtitle file " + name + " could not be read");
    }
    av::InputContextPtr input(raw);
    if (AV.avformat_find_stream_info(input.get(), nullptr) < 0) {
        throw SubtitleProblem("The subtitle file " + name + " could not be read");
    }
    const AVStream* stream = nullptr;
    for (unsigned i = 0; i < input->nb_streams && !stream; ++i) {
        const AVStream* candidate = input->streams[i];
        if (candidate->codecpar->codec_type == AVMEDIA_TYPE_SUBTITLE &&
            CanBurnIn(candidate->codecpar->codec_id)) {
            stream = candidate;
        }
    }
    if (!stream) throw SubtitleProblem("The file " + name + " holds no subtitles");
    OpenDecoder(*stream->codecpar, stream->time_base);
    if (Text) StartText(nullptr);
    av::PacketPtr packet(AV.av_packet_alloc());
    if (!packet) throw std::bad_alloc();
    while (AV.av_read_frame(input.get(), packet.get()) >= 0) {
        if (packet->stream_index == stream->index) Decode(*packet);
        AV.av_packet_unref(packet.get());
    }
    if (CuesDecoded == 0) {
        throw SubtitleProblem("The subtitle file " + name + " holds no cue that could be read");
    }
}

SubtitlePath::~SubtitlePath() = default;

void SubtitlePath::OpenDecoder(const AVCodecParameters& codec, AVRational timeBase) {
    const AVCodec* decoder = AV.avcodec_find_decoder(codec.codec_id);
    if (!decoder || !CanBurnIn(codec.codec_id)) {
        throw SubtitleProblem("The subtitle track's format cannot be drawn");
    }
    Decoder.reset(AV.avcodec_alloc_context3(decoder));
    if (!Decoder) throw std::bad_alloc();
    if (AV.avcodec_parameters_to_context(Decoder.get(), &codec) < 0) {
        throw SubtitleProblem("The subtitle track could not be opened");
    }
    Decoder->pkt_timebase = timeBase;
    if (AV.avcodec_open2(Decoder.get(), decoder, nullptr) < 0) {
        throw SubtitleProblem("The subtitle track could not be opened");
    }
    TimeBase = timeBase;
    Text = !IsBitmapCodec(codec.codec_id);
    OwnStyle = Text && codec.codec_id != AV_CODEC_ID_ASS && codec.codec_id != AV_CODEC_ID_SSA;
}

void SubtitlePath::StartText(const AVFormatContext* input) {
    const LibassBinding& ass = Libass();
    if (const std::string problem = ass.Problem(); !problem.empty()) {
        throw SubtitleProblem(problem);
    }
    Layout = std::make_unique<Ass>();
    Layout->Library.reset(ass.ass_library_init());
    if (!Layout->Library) throw SubtitleProblem("The subtitle library could not be started");
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
        throw SubtitleProblem("The subtitle library could not be started");
    }
    std::error_code error;
    const bool haveDefault =
        kDefaultFontFile && std::filesystem::is_regular_file(kDefaultFontFile, error);
    ass.ass_set_fonts(Layout->Renderer.get(), haveDefault ? kDefaultFontFile : nullptr,
                      kDefaultFontFamily, ASS_FONTPROVIDER_AUTODETECT, nullptr, 1);
    std::string header;
    if (OwnStyle || !Decoder->subtitle_header || Decoder->subtitle_header_size <= 0) {
        header = kOwnHeader;
    } else {
        header.assign(reinterpret_cast<const char*>(Decoder->subtitle_header),
                      static_cast<size_t>(Decoder->subtitle_header_size));
    }
    ass.ass_process_codec_private(Layout->Track.get(), header.data(),
                                  static_cast<int>(header.size()));
}

void SubtitlePath::ReadUpTo(const std::string& sourcePath, int64_t startMicroseconds) {
    AVFormatContext* raw = nullptr;
    if (OpenLocalInput(&raw, sourcePath) != 0) return;
    av::InputContextPtr input(raw);
    if (Stream < 0 || Stream >= static_cast<int32_t>(input->nb_streams)) return;
    int32_t video = -1;
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        AVStream* stream = input->streams[i];
        const bool picture = video < 0 && stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO;
        if (picture) video = static_cast<int32_t>(i);
        if (!picture && static_cast<int32_t>(i) != Stream) stream->discard = AVDISCARD_ALL;
    }
    av::PacketPtr packet(AV.av_packet_alloc());
    if (!packet) throw std::bad_alloc();
    while (AV.av_read_frame(input.get(), packet.get()) >= 0) {
        const AVStream& stream = *input->streams[packet->stream_index];
        const int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        const int64_t time = ToMicroseconds(stamp, stream.time_base);
        bool done = false;
        if (packet->stream_index == Stream) {
            if (time != AV_NOPTS_VALUE && time >= startMicroseconds) {
                done = true;
            } else {
                Decode(*packet);
            }
        } else if (time != AV_NOPTS_VALUE && time > startMicroseconds + kReadAhead) {
            done = true;
        }
        AV.av_packet_unref(packet.get());
        if (done) break;
    }
    PassOverBefore = AV.av_rescale_q(startMicroseconds, kMicroseconds, TimeBase);
}

bool SubtitlePath::SendPacket(AVPacket& packet) {
    const int64_t stamp = packet.pts != AV_NOPTS_VALUE ? packet.pts : packet.dts;
    const bool readBefore =
        PassOverBefore != AV_NOPTS_VALUE && stamp != AV_NOPTS_VALUE && stamp < PassOverBefore;
    const bool decoded = readBefore || Decode(packet);
    AV.av_packet_unref(&packet);
    return decoded;
}

bool SubtitlePath::Decode(AVPacket& packet) {
    AVSubtitle subtitle{};
    int got = 0;
    // A damaged packet gives nothing and is passed over.
    if (AV.avcodec_decode_subtitle2(Decoder.get(), &subtitle, &got, &packet) < 0) return false;
    if (!got) return true;
    const std::unique_ptr<AVSubtitle, SubtitleFree> owned(&subtitle);
    const int64_t stamp = packet.pts != AV_NOPTS_VALUE ? packet.pts : packet.dts;
    const int64_t base =
        subtitle.pts != AV_NOPTS_VALUE ? subtitle.pts : ToMicroseconds(stamp, TimeBase);
    if (base == AV_NOPTS_VALUE) return true;
    const int64_t start = base + int64_t{subtitle.start_display_time} * 1000;
    int64_t end = kOpenEnd;
    if (subtitle.end_display_time > subtitle.start_display_time &&
        subtitle.end_display_time != UINT32_MAX) {
        end = base + int64_t{subtitle.end_display_time} * 1000;
    } else if (packet.duration > 0) {
        end = start + ToMicroseconds(packet.duration, TimeBase);
    }
    if (!Text) {
        TakeBitmaps(subtitle, start, end);
        return true;
    }
    if (end == kOpenEnd) end = start + kTextCueLength;
    for (unsigned i = 0; i < subtitle.num_rects; ++i) {
        const AVSubtitleRect& rect = *subtitle.rects[i];
        if (!rect.ass) continue;
        Libass().ass_process_chunk(Layout->Track.get(), rect.ass,
                                   static_cast<int>(std::strlen(rect.ass)), start / 1000,
                                   (end - start) / 1000);
        ++CuesDecoded;
    }
    Layout->LaidOut = false;
    return true;
}

void SubtitlePath::TakeBitmaps(const AVSubtitle& subtitle, int64_t start, int64_t end) {
    // A cue without an end lasts until the next one (or an empty one) starts.
    for (BitmapCue& cue : Bitmaps) {
        if (cue.End == kOpenEnd && cue.Start < start) cue.End = start;
    }
    BitmapCue cue;
    cue.Start = start;
    cue.End = end;
    cue.CanvasWidth = Decoder->width;
    cue.CanvasHeight = Decoder->height;
    for (unsigned i = 0; i < subtitle.num_rects; ++i) {
        const AVSubtitleRect& rect = *subtitle.rects[i];
        if (rect.type != SUBTITLE_BITMAP || rect.w <= 0 || rect.h <= 0 || !rect.data[0] ||
            !rect.data[1]) {
            continue;
        }
        BitmapCue::Piece piece;
        piece.Where = {rect.x, rect.y, rect.w, rect.h};
        piece.Rgba.resize(static_cast<size_t>(rect.w) * rect.h * 4);
        const auto* palette = reinterpret_cast<const uint32_t*>(rect.data[1]);
        const int32_t colours = std::clamp(rect.nb_colors, 0, 256);
        for (int32_t y = 0; y < rect.h; ++y) {
            for (int32_t x = 0; x < rect.w; ++x) {
                const uint8_t index = rect.data[0][y * rect.linesize[0] + x];
                // The palette's entries are 0xAARRGGBB.
                const uint32_t argb = index < colours ? palette[index] : 0;
                uint8_t* out = &piece.Rgba[(static_cast<size_t>(y) * rect.w + x) * 4];
                out[0] = static_cast<uint8_t>(argb >> 16);
                out[1] = static_cast<uint8_t>(argb >> 8);
                out[2] = static_cast<uint8_t>(argb);
                out[3] = static_cast<uint8_t>(argb >> 24);
            }
        }
        cue.Pieces.push_back(std::move(piece));
    }
    if (cue.Pieces.empty()) return;
    ++CuesDecoded;
    Bitmaps.push_back(std::move(cue));
}

void SubtitlePath::Place(const PicturePlace& place) {
    Place_ = place;
    Placed = true;
    for (BitmapCue& cue : Bitmaps) cue.Scaled = false;
    if (!Layout) return;
    const LibassBinding& ass = Libass();
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

bool SubtitlePath::Prepare(int64_t timeMicroseconds) {
    if (!Placed) return false;
    const bool text = Layout && PrepareText(timeMicroseconds);
    const bool bitmaps = PrepareBitmaps(timeMicroseconds);
    return text || bitmaps;
}

bool SubtitlePath::PrepareText(int64_t timeMicroseconds) {
    const LibassBinding& ass = Libass();
    Ass& layout = *Layout;
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

bool SubtitlePath::PrepareBitmaps(int64_t timeMicroseconds) {
    Showing.clear();
    for (size_t i = 0; i < Bitmaps.size(); ++i) {
        const BitmapCue& cue = Bitmaps[i];
        if (cue.Start <= timeMicroseconds && timeMicroseconds < cue.End) Showing.push_back(i);
    }
    return !Showing.empty();
}

void SubtitlePath::ScaleBitmap(BitmapCue& cue) {
    cue.Output.clear();
    cue.Scaled = true;
    const PicturePlace& p = Place_;
    if (p.Shown.Width <= 0 || p.Shown.Height <= 0) return;
    // Canvas pixels to source pixels to output pixels.
    const int32_t canvasWidth = cue.CanvasWidth > 0 ? cue.CanvasWidth : p.SourceWidth;
    const int32_t canvasHeight = cue.CanvasHeight > 0 ? cue.CanvasHeight : p.SourceHeight;
    if (canvasWidth <= 0 || canvasHeight <= 0) return;
    const double sx =
        static_cast<double>(p.SourceWidth) / canvasWidth * p.Picture.Width / p.Shown.Width;
    const double sy =
        static_cast<double>(p.SourceHeight) / canvasHeight * p.Picture.Height / p.Shown.Height;
    const double ox =
        p.Picture.Left - p.Shown.Left * static_cast<double>(p.Picture.Width) / p.Shown.Width;
    const double oy =
        p.Picture.Top - p.Shown.Top * static_cast<double>(p.Picture.Height) / p.Shown.Height;
    for (const BitmapCue::Piece& piece : cue.Pieces) {
        BitmapCue::Piece out;
        const auto left = static_cast<int32_t>(std::lround(ox + piece.Where.Left * sx));
        const auto top = static_cast<int32_t>(std::lround(oy + piece.Where.Top * sy));
        const auto right = static_cast<int32_t>(std::lround(ox + piece.Where.Right() * sx));
        const auto bottom = static_cast<int32_t>(std::lround(oy + piece.Where.Bottom() * sy));
        out.Where = {left, top, std::max(1, right - left), std::max(1, bottom - top)};
        out.Rgba.resize(static_cast<size_t>(out.Where.Width) * out.Where.Height * 4);
        av::ScalerPtr scaler(AV.sws_getContext(
            piece.Where.Width, piece.Where.Height, AV_PIX_FMT_RGBA, out.Where.Width,
            out.Where.Height, AV_PIX_FMT_RGBA, SWS_BILINEAR, nullptr, nullptr, nullptr));
        if (!scaler) continue;
        const uint8_t* source[4] = {piece.Rgba.data(), nullptr, nullptr, nullptr};
        const int sourceStride[4] = {piece.Where.Width * 4, 0, 0, 0};
        uint8_t* target[4] = {out.Rgba.data(), nullptr, nullptr, nullptr};
        const int targetStride[4] = {out.Where.Width * 4, 0, 0, 0};
        AV.sws_scale(scaler.get(), source, sourceStride, 0, piece.Where.Height, target,
                     targetStride);
        cue.Output.push_back(std::move(out));
    }
}

void SubtitlePath::DrawOn(AVFrame& picture) {
    if (Layout && Layout->Images) {
        for (const ASS_Image* image = Layout->Images; image; image = image->next) {
            if (image->dst_y + image->h / 2 >= Layout->CutRow) continue;
            BlendMask(picture, image->bitmap, image->stride, image->w, image->h, image->dst_x,
                      image->dst_y + Layout->Dy, image->color, RowBand{0, picture.height});
        }
    }
    for (const size_t index : Showing) {
        BitmapCue& cue = Bitmaps[index];
        if (!cue.Scaled) ScaleBitmap(cue);
        for (const BitmapCue::Piece& piece : cue.Output) {
            BlendImage(picture, piece.Rgba.data(), piece.Where.Width * 4, piece.Where.Width,
                       piece.Where.Height, piece.Where.Left, piece.Where.Top,
                       RowBand{0, picture.height});
        }
    }
}

}  // namespace subtitles
