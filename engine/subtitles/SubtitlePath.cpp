// Text cues go to the text layout as they are decoded and are laid out at
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

#include "LocalMedia.h"
#include "SubtitleBlend.h"
#include "SubtitleChoice.h"
#include "TextLayout.h"

namespace subtitles {

namespace {

constexpr AVRational kMicroseconds{1, AV_TIME_BASE};
constexpr int64_t kOpenEnd = std::numeric_limits<int64_t>::max();
// A text cue without a length stays this long.
constexpr int64_t kTextCueLength = 5 * int64_t{AV_TIME_BASE};
// The cues of a later start are looked for in the source until the pictures
// are this far past it.
constexpr int64_t kReadAhead = 10 * int64_t{AV_TIME_BASE};

bool IsBitmapCodec(int32_t codecId) {
    return codecId == AV_CODEC_ID_HDMV_PGS_SUBTITLE || codecId == AV_CODEC_ID_DVB_SUBTITLE ||
           codecId == AV_CODEC_ID_DVD_SUBTITLE;
}

struct TSubtitleFree {
    void operator()(AVSubtitle* subtitle) const { AV.avsubtitle_free(subtitle); }
};

int64_t ToMicroseconds(int64_t stamp, AVRational base) {
    return stamp == AV_NOPTS_VALUE ? AV_NOPTS_VALUE : AV.av_rescale_q(stamp, base, kMicroseconds);
}

}  // namespace

struct TSubtitlePath::BitmapCue {
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

TSubtitlePath::TSubtitlePath(const AVFormatContext& input, const AVStream& stream)
    : Stream(stream.index) {
    OpenDecoder(*stream.codecpar, stream.time_base);
    if (Text) StartText(&input);
}

TSubtitlePath::TSubtitlePath(const std::string& filePath) {
    const std::string name = std::filesystem::path(filePath).filename().string();
    AVFormatContext* raw = nullptr;
    if (OpenLocalInput(&raw, filePath) != 0) {
        throw TSubtitleProblem("The subtitle file " + name + " could not be read");
    }
    av::InputContextPtr input(raw);
    if (AV.avformat_find_stream_info(input.get(), nullptr) < 0) {
        throw TSubtitleProblem("The subtitle file " + name + " could not be read");
    }
    const AVStream* stream = nullptr;
    for (unsigned i = 0; i < input->nb_streams && !stream; ++i) {
        const AVStream* candidate = input->streams[i];
        if (candidate->codecpar->codec_type == AVMEDIA_TYPE_SUBTITLE &&
            CanBurnIn(candidate->codecpar->codec_id)) {
            stream = candidate;
        }
    }
    if (!stream) throw TSubtitleProblem("The file " + name + " holds no subtitles");
    OpenDecoder(*stream->codecpar, stream->time_base);
    if (Text) StartText(nullptr);
    av::PacketPtr packet(AV.av_packet_alloc());
    if (!packet) throw std::bad_alloc();
    while (AV.av_read_frame(input.get(), packet.get()) >= 0) {
        if (packet->stream_index == stream->index) Decode(*packet);
        AV.av_packet_unref(packet.get());
    }
    if (CuesDecoded == 0) {
        throw TSubtitleProblem("The subtitle file " + name + " holds no cue that could be read");
    }
}

TSubtitlePath::~TSubtitlePath() = default;

void TSubtitlePath::OpenDecoder(const AVCodecParameters& codec, AVRational timeBase) {
    const AVCodec* decoder = AV.avcodec_find_decoder(codec.codec_id);
    if (!decoder || !CanBurnIn(codec.codec_id)) {
        throw TSubtitleProblem("The subtitle track's format cannot be drawn");
    }
    Decoder.reset(AV.avcodec_alloc_context3(decoder));
    if (!Decoder) throw std::bad_alloc();
    if (AV.avcodec_parameters_to_context(Decoder.get(), &codec) < 0) {
        throw TSubtitleProblem("The subtitle track could not be opened");
    }
    Decoder->pkt_timebase = timeBase;
    if (AV.avcodec_open2(Decoder.get(), decoder, nullptr) < 0) {
        throw TSubtitleProblem("The subtitle track could not be opened");
    }
    TimeBase = timeBase;
    Text = !IsBitmapCodec(codec.codec_id);
    OwnStyle = Text && codec.codec_id != AV_CODEC_ID_ASS && codec.codec_id != AV_CODEC_ID_SSA;
}

void TSubtitlePath::StartText(const AVFormatContext* input) {
    std::string header;
    if (!OwnStyle && Decoder->subtitle_header && Decoder->subtitle_header_size > 0) {
        header.assign(reinterpret_cast<const char*>(Decoder->subtitle_header),
                      static_cast<size_t>(Decoder->subtitle_header_size));
    }
    Layout = std::make_unique<TTextLayout>(input, header);
}

void TSubtitlePath::ReadUpTo(const std::string& sourcePath, int64_t startMicroseconds) {
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

bool TSubtitlePath::SendPacket(AVPacket& packet) {
    const int64_t stamp = packet.pts != AV_NOPTS_VALUE ? packet.pts : packet.dts;
    const bool readBefore =
        PassOverBefore != AV_NOPTS_VALUE && stamp != AV_NOPTS_VALUE && stamp < PassOverBefore;
    const bool decoded = readBefore || Decode(packet);
    AV.av_packet_unref(&packet);
    return decoded;
}

bool TSubtitlePath::Decode(AVPacket& packet) {
    AVSubtitle subtitle{};
    int got = 0;
    // A damaged packet gives nothing and is passed over.
    if (AV.avcodec_decode_subtitle2(Decoder.get(), &subtitle, &got, &packet) < 0) return false;
    if (!got) return true;
    const std::unique_ptr<AVSubtitle, TSubtitleFree> owned(&subtitle);
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
        Layout->AddCue(rect.ass, start / 1000, (end - start) / 1000);
        ++CuesDecoded;
    }
    return true;
}

void TSubtitlePath::TakeBitmaps(const AVSubtitle& subtitle, int64_t start, int64_t end) {
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

void TSubtitlePath::Place(const PicturePlace& place) {
    Place_ = place;
    Placed = true;
    for (BitmapCue& cue : Bitmaps) cue.Scaled = false;
    if (Layout) Layout->Place(place);
}

bool TSubtitlePath::Prepare(int64_t timeMicroseconds) {
    if (!Placed) return false;
    const bool text = Layout && Layout->Prepare(timeMicroseconds);
    const bool bitmaps = PrepareBitmaps(timeMicroseconds);
    return text || bitmaps;
}

bool TSubtitlePath::PrepareBitmaps(int64_t timeMicroseconds) {
    Showing.clear();
    for (size_t i = 0; i < Bitmaps.size(); ++i) {
        const BitmapCue& cue = Bitmaps[i];
        if (cue.Start <= timeMicroseconds && timeMicroseconds < cue.End) Showing.push_back(i);
    }
    return !Showing.empty();
}

void TSubtitlePath::ScaleBitmap(BitmapCue& cue) {
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

void TSubtitlePath::DrawOn(AVFrame& picture) {
    if (Layout) Layout->DrawOn(picture);
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
