// The video path: pictures are decoded, turned upright, scaled to the output
// size and encoded. A picture is scaled once however many output frame slots
// it fills.
#include "VideoPath.h"

#include <algorithm>
#include <new>

#include "CodecSetup.h"
#include "ColourConversion.h"
#include "EncoderDecisions.h"
#include "EngineError.h"
#include "H263Level.h"
#include "OutputFile.h"
#include "SubtitlePath.h"
#include "TranscodeRateControl.h"
#include "TranscodeRotation.h"

namespace transcode {

namespace {

// The picture scaler's algorithm: bicubic.
constexpr int kScaleFlags = SWS_BICUBIC;

// The length of one source picture in its stream's time base: what the
// container says, else one frame of the stream's nominal rate.
int64_t PictureDuration(int64_t packetDuration, const AVStream& stream) {
    if (packetDuration > 0) return packetDuration;
    AVRational rate = stream.avg_frame_rate;
    if (rate.num <= 0 || rate.den <= 0) rate = stream.r_frame_rate;
    if (rate.num <= 0 || rate.den <= 0) rate = AVRational{25, 1};
    return std::max<int64_t>(1, AV.av_rescale_q(1, av_inv_q(rate), stream.time_base));
}

// The shape of the source's pixels: the container's word first, else the
// picture's own, else square.
AVRational SampleAspect(const AVFrame& picture, const AVStream& stream) {
    const auto valid = [](AVRational r) { return r.num > 0 && r.den > 0; };
    if (valid(stream.sample_aspect_ratio)) return stream.sample_aspect_ratio;
    if (valid(picture.sample_aspect_ratio)) return picture.sample_aspect_ratio;
    return AVRational{1, 1};
}

// The colour description of the output's BT.601 pictures: the 625-line
// (PAL) primaries at 25 frames per second, the 525-line (NTSC) ones at the
// other rates.
void DescribeColours(AVCodecContext& encoder) {
    const bool pal = encoder.framerate.num == 25 * encoder.framerate.den;
    encoder.color_primaries = pal ? AVCOL_PRI_BT470BG : AVCOL_PRI_SMPTE170M;
    encoder.colorspace = pal ? AVCOL_SPC_BT470BG : AVCOL_SPC_SMPTE170M;
    encoder.color_trc = AVCOL_TRC_SMPTE170M;
    encoder.color_range = AVCOL_RANGE_MPEG;
    // The phone's pixels are square.
    encoder.sample_aspect_ratio = AVRational{1, 1};
}

constexpr char kEncodeError[] = "Error while encoding video frame\n";
constexpr char kWriteError[] = "Error while writing video frame\n";

// A 16-bit YUV 4:2:0 picture for the scaler's HDR output.
av::FramePtr NewHdrPicture(int32_t width, int32_t height) {
    av::FramePtr picture = NewFrame();
    picture->format = AV_PIX_FMT_YUV420P16;
    picture->width = width;
    picture->height = height;
    if (AV.av_frame_get_buffer(picture.get(), 0) < 0) throw std::bad_alloc();
    return picture;
}

}  // namespace

TVideoPath::TVideoPath(const ConversionParameters& parameters, const AVStream& source,
                       TOutputFile& output)
    : Parameters(parameters), Source(source), Output(output), Sink(output) {}

void TVideoPath::StartDecoder() {
    Rotation = UprightRotation(&Source);
    const bool swaps = SwapsSides(Rotation);
    const int64_t shownWidth = swaps ? Parameters.Height : Parameters.Width;
    const int64_t shownHeight = swaps ? Parameters.Width : Parameters.Height;
    const AVCodecParameters& source = *Source.codecpar;
    const bool shrinksByHalf = source.width >= 2 * shownWidth && source.height >= 2 * shownHeight;
    VideoDecoder =
        transcode::StartDecoder(Source, "Could not open in video codec\n", shrinksByHalf);
    DecodedPicture = NewFrame();
    IncomingPicture = NewFrame();
    Still = (Source.disposition & AV_DISPOSITION_ATTACHED_PIC) != 0;
    if (Still) {
        // The cover is decoded once, from the stream's own copy of it; the
        // demuxer's packets of it are passed over.
        AV.avcodec_send_packet(VideoDecoder.get(), &Source.attached_pic);
        AV.avcodec_send_packet(VideoDecoder.get(), nullptr);
        const double rate = static_cast<double>(Parameters.FrameRateNumerator) /
                            std::max(Parameters.FrameRateDenominator, 1);
        StillEvery = std::max<int64_t>(1, std::llround(rate));
        return;
    }
    LeavesOutUnshown =
        TUnshownPictures::Applies(source.codec_id) &&
        (source.field_order == AV_FIELD_PROGRESSIVE || source.field_order == AV_FIELD_UNKNOWN);
    if (Source.start_time != AV_NOPTS_VALUE && Source.start_time > 0) {
        VideoStart = Source.start_time;
    }
    UntimedNext = VideoStart;
}

void TVideoPath::NewVideoStream() {
    VideoEncoder = NewEncoder(Parameters.VideoCodecId, "No encoder for the phone's video format");
    OutputVideo = &Output.NewStream(0);

    AVCodecContext& c = *VideoEncoder;
    c.bit_rate = Parameters.VideoBitRate;
    c.width = Parameters.Width;
    c.height = Parameters.Height;
    c.time_base = AVRational{Parameters.FrameRateDenominator, Parameters.FrameRateNumerator};
    c.framerate = AVRational{Parameters.FrameRateNumerator, Parameters.FrameRateDenominator};
    c.gop_size = 12;
    c.pix_fmt = static_cast<AVPixelFormat>(Parameters.PixelFormat);
    ConfigureVideoRateControl(c);
    if (c.codec_id == AV_CODEC_ID_H263) {
        Output.DeclareH263Level(H263Level(c.width, c.height, c.framerate, c.bit_rate));
    }
    DescribeColours(c);
    // The codec's stream headers go into the container's header.
    if (Output.NeedsGlobalHeader()) c.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    OutputVideo->time_base = c.time_base;
    Slot = c.time_base;
}

void TVideoPath::StartVideoEncoder() {
    AVCodecContext& c = *VideoEncoder;
    OpenVideoEncoder(c, "Could not open out video codec\n");
    if (const int code = AV.avcodec_parameters_from_context(OutputVideo->codecpar, &c); code < 0) {
        throw DestinationError("Invalid output format parameters\n", code);
    }
    MakeOutputPictures(c.width, c.height);
    Encoding = std::make_unique<TEncoderThread>(
        [this](AVFrame& picture, TEncoderThread::Packets& made) { EncodePicture(picture, made); });
}

void TVideoPath::MakeOutputPictures(int32_t width, int32_t height) {
    OutputPicture = NewPicture(width, height);
    if (Rotation != 0) {
        if (SwapsSides(Rotation)) {
            TurnedPicture = NewPicture(height, width);
        } else {
            TurnedPicture = NewPicture(width, height);
        }
    }
    if (!OutputPicture || (Rotation != 0 && !TurnedPicture)) {
        throw DestinationError("Could not allocate picture\n", AVERROR(ENOMEM));
    }
}

void TVideoPath::StartStill() {
    Slot = AVRational{Parameters.FrameRateDenominator, Parameters.FrameRateNumerator};
    MakeOutputPictures(Parameters.Width, Parameters.Height);
}

const AVFrame& TVideoPath::ShownPicture() {
    if (!PictureScaled) ScalePicture();
    // With the subtitles shown at the next output frame's time.
    if (Subtitles) DrawSubtitlesAt(FramesEncoded);
    return *OutputPicture;
}

AVRational TVideoPath::SlotBase() const {
    // Kept apart from the encoder, which is busy on its own thread.
    return Slot;
}

bool TVideoPath::SendPacket(AVPacket& packet) {
    if (Still) {
        AV.av_packet_unref(&packet);
        return true;
    }
    const int64_t duration = PictureDuration(packet.duration, Source);
    // A picture no output frame shows is not decoded unless others refer to
    // it. The decoder takes the packet in at once: the loop sends only once it
    // has taken every picture it had.
    const bool leaveOut =
        LeavesOutUnshown && !Fields.IsStarted() &&
        Unshown.CanLeaveOut(packet, duration, VideoStart, Source.time_base, SlotBase());
    if (leaveOut) VideoDecoder->skip_frame = AVDISCARD_NONREF;
    const int result = AV.avcodec_send_packet(VideoDecoder.get(), &packet);
    VideoDecoder->skip_frame = AVDISCARD_DEFAULT;
    Unshown.Sent(packet, duration);
    AV.av_packet_unref(&packet);
    return result >= 0 || result == AVERROR_EOF;
}

void TVideoPath::SendEnd() {
    if (Still) return;  // told at the start
    AV.avcodec_send_packet(VideoDecoder.get(), nullptr);
}

TVideoPath::Received TVideoPath::NextPicture() {
    AVFrame* incoming = IncomingPicture.get();
    AV.av_frame_unref(incoming);
    while (true) {
        if (Fields.IsStarted()) {
            const int filtered = Fields.Receive(*incoming);
            if (filtered == 0) return Received::Picture;
            if (filtered == AVERROR_EOF) return Received::Ended;
            if (filtered != AVERROR(EAGAIN))
                throw SourceError("Error while decoding frame \n", filtered);
            if (DecoderEnded) return Received::Ended;
        }
        AVFrame* decoded = Fields.IsStarted() ? DecodedField.get() : incoming;
        const int result = AV.avcodec_receive_frame(VideoDecoder.get(), decoded);
        if (result == AVERROR_EOF) {
            if (!Fields.IsStarted()) return Received::Ended;
            // The deinterlacer still holds the last picture.
            DecoderEnded = true;
            Fields.Send(nullptr);
            continue;
        }
        if (result == AVERROR(EAGAIN)) return Received::NeedsInput;
        // A damaged packet: the decoder goes on with the next.
        if (result != 0) return Received::Damaged;
        if (!Fields.IsStarted()) {
            if (!TDeinterlacer::IsInterlaced(*decoded, Source)) return Received::Picture;
            // From the first interlaced picture on, every picture goes through
            // the deinterlacer, which needs its neighbours.
            Fields.Start(*decoded, Source, DeinterlacedWidth(*decoded));
            DecodedField = NewFrame();
            AV.av_frame_move_ref(DecodedField.get(), decoded);
            decoded = DecodedField.get();
        }
        Fields.Send(decoded);
    }
}

TVideoPath::Received TVideoPath::ReceivePicture() {
    const Received received = NextPicture();
    if (received != Received::Picture) return received;
    if (HavePicture && !Still && Encoding) HoldPictureBefore(*IncomingPicture);
    // The previous picture stays until a new one has arrived, so that the last
    // one can still fill slots after the decoder is drained.
    std::swap(DecodedPicture, IncomingPicture);
    AVFrame* picture = DecodedPicture.get();
    HavePicture = true;
    // The judgement of unshown pictures goes by the packets' times, which the
    // pictures must then keep.
    if (picture->best_effort_timestamp != picture->pts) LeavesOutUnshown = false;
    PictureScaled = false;
    if (Still) {
        // The still's time stamps say nothing: it starts the output.
        DecodedEndKnown = true;
        DecodedSlotsCeil = 1;
        return Received::Picture;
    }

    const int64_t duration = PictureDuration(picture->pkt_duration, Source);
    // A raw stream's pictures carry no time stamps: each follows the one
    // before, so that the pictures before a later start are still dropped.
    const int64_t pts = picture->best_effort_timestamp != AV_NOPTS_VALUE
                            ? picture->best_effort_timestamp
                            : UntimedNext;
    if (__builtin_add_overflow(pts, duration, &UntimedNext)) UntimedNext = pts;
    // A damaged file may carry any number as a time stamp; one whose sum would
    // overflow counts as unknown.
    int64_t end = 0;
    int64_t shown = 0;
    if (__builtin_sub_overflow(pts, VideoStart, &shown) ||
        __builtin_add_overflow(shown, duration, &end)) {
        if (__builtin_add_overflow(DecodedEndKnown ? DecodedEnd : 0, duration, &end)) {
            end = DecodedEnd;
        }
    }
    // Time never runs backwards for the output.
    if (DecodedEndKnown) end = std::max(end, DecodedEnd);
    DecodedEnd = end;
    DecodedEndKnown = true;
    DecodedSlotsCeil = AV.av_rescale_q_rnd(end, Source.time_base, SlotBase(), AV_ROUND_UP);
    return Received::Picture;
}

// A gap in the pictures' times (a recording that paused, a clock that went
// on later): the previous picture fills the slots up to the next one's time,
// as a player holds it, rather than the next one standing in for it early.
// Gaps of a tenth of a second or less are a variable rate's own.
void TVideoPath::HoldPictureBefore(const AVFrame& next) {
    const int64_t pts = next.best_effort_timestamp;
    int64_t shown = 0;
    if (pts == AV_NOPTS_VALUE || __builtin_sub_overflow(pts, VideoStart, &shown)) return;
    const int64_t tolerance = AV.av_rescale_q(1, AVRational{1, 10}, Source.time_base);
    if (shown <= DecodedEnd || shown - DecodedEnd <= tolerance) return;
    const int64_t startSlot = AV.av_rescale_q_rnd(shown, Source.time_base, SlotBase(),
                                                  static_cast<AVRounding>(AV_ROUND_NEAR_INF));
    DecodedSlotsCeil = std::max(DecodedSlotsCeil, startSlot);
    while (PictureFillsNextSlot()) EncodeVideoFrame();
}

// The width at which pictures like first go through the deinterlacer: that
// of the whole source at the output's scale, never wider than it is.
int32_t TVideoPath::DeinterlacedWidth(const AVFrame& first) const {
    const AVFrame* turned = Rotation != 0 ? TurnedPicture.get() : OutputPicture.get();
    if (!turned || first.width <= 0) return 0;
    const FitGeometry fit = FitPicture(Parameters.PictureFit, first.width, first.height,
                                       SampleAspect(first, Source), turned->width, turned->height);
    if (fit.Shown.Width <= 0) return 0;
    const int64_t width =
        (int64_t{fit.Placed.Width} * first.width + fit.Shown.Width - 1) / fit.Shown.Width;
    return static_cast<int32_t>(std::min<int64_t>(first.width, (width + 1) / 2 * 2));
}

// The shape of a picture's pixels. Narrowed by the deinterlacer, a picture's
// pixels are as much wider as it has fewer of them: the picture's own word
// says so already, the container's is widened here.
AVRational TVideoPath::PictureAspect(const AVFrame& picture) const {
    const AVRational aspect = SampleAspect(picture, Source);
    const int32_t taken = Fields.IsStarted() ? Fields.TakenWidth() : 0;
    if (taken <= 0 || picture.width <= 0 || picture.width == taken) return aspect;
    const AVRational container = Source.sample_aspect_ratio;
    if (container.num <= 0 || container.den <= 0) return aspect;
    return AV.av_mul_q(container, AVRational{taken, picture.width});
}

// Works out, for pictures like source, the fit, the colour conversion and the
// scaler from the shown part of the source to its place in turned.
void TVideoPath::PrepareScaler(const AVFrame& source, const AVFrame& turned) {
    const AVRational aspect = PictureAspect(source);
    // The turned picture has the source's orientation, so the fit is worked
    // out there; turning keeps the proportions.
    Fit = FitPicture(Parameters.PictureFit, source.width, source.height, aspect, turned.width,
                     turned.height);
    Colours.reset();
    Tones.reset();
    HdrPicture.reset();
    if (const auto transfer = HdrTransferOf(source.color_trc)) {
        Tones.emplace(*transfer, source);
        HdrPicture = NewHdrPicture(Fit.Placed.Width, Fit.Placed.Height);
    } else {
        Colours = ColourConversionFor(source);
    }
    const int32_t format = Colours ? ScalerSourceFormat(source.format) : source.format;
    Scaler.reset(AV.sws_getContext(
        Fit.Shown.Width, Fit.Shown.Height, static_cast<AVPixelFormat>(format), Fit.Placed.Width,
        Fit.Placed.Height, Tones ? AV_PIX_FMT_YUV420P16 : AV_PIX_FMT_YUV420P, kScaleFlags, nullptr,
        nullptr, nullptr));
    if (!Scaler) {
        throw SourceError("Cannot initialize the video conversion context\n", 0,
                          "The picture's size or pixel format cannot be scaled");
    }
    ScalerWidth = source.width;
    ScalerHeight = source.height;
    ScalerFormat = source.format;
    ScalerAspect = aspect;
    ScalerColourSpace = source.colorspace;
    ScalerRange = source.color_range;
    ScalerTransfer = source.color_trc;
    if (Subtitles) PlaceSubtitles(source);
}

// Tells the subtitles where the picture lies in the output: they go inside it
// (or into the bar below it), bitmaps scaled and moved with it.
void TVideoPath::PlaceSubtitles(const AVFrame& source) {
    const AVCodecParameters& codec = *Source.codecpar;
    subtitles::PicturePlace place;
    place.FrameWidth = OutputPicture->width;
    place.FrameHeight = OutputPicture->height;
    place.SourceWidth = codec.width > 0 ? codec.width : source.width;
    place.SourceHeight = codec.height > 0 ? codec.height : source.height;
    if (Rotation == 0 && source.width > 0 && source.height > 0) {
        place.Picture = {Fit.Placed.Left, Fit.Placed.Top, Fit.Placed.Width, Fit.Placed.Height};
        // The shown part in the source's coded pixels (the decoded picture may
        // be narrower: deinterlaced at the output's scale).
        const auto across = [](int32_t value, int32_t to, int32_t from) {
            return static_cast<int32_t>(int64_t{value} * to / from);
        };
        place.Shown = {across(Fit.Shown.Left, place.SourceWidth, source.width),
                       across(Fit.Shown.Top, place.SourceHeight, source.height),
                       across(Fit.Shown.Width, place.SourceWidth, source.width),
                       across(Fit.Shown.Height, place.SourceHeight, source.height)};
        place.Bars = Parameters.PictureFit == PictureFitMode::BlackBars;
    } else {
        // A turned picture fills the output; the subtitles go over all of it.
        place.Picture = {0, 0, place.FrameWidth, place.FrameHeight};
        place.Shown = {0, 0, place.SourceWidth, place.SourceHeight};
    }
    Subtitles->Place(place);
}

// Draws the subtitles shown at the output frame's time into OutputPicture,
// starting again from the clean picture when the previous frame had some.
void TVideoPath::DrawSubtitlesAt(int64_t frame) {
    const AVRational microseconds{1, AV_TIME_BASE};
    const int64_t time = AV.av_rescale_q(VideoStart, Source.time_base, microseconds) +
                         AV.av_rescale_q(frame, SlotBase(), microseconds);
    const bool shown = Subtitles->Prepare(time);
    if (!shown && !OutputDrawnOn) return;
    // The encoder may still hold the previous frame's buffer.
    if (AV.av_frame_make_writable(OutputPicture.get()) < 0) throw std::bad_alloc();
    if (OutputDrawnOn) {
        if (AV.av_frame_copy(OutputPicture.get(), CleanPicture.get()) < 0) {
            throw std::bad_alloc();
        }
        OutputDrawnOn = false;
    }
    if (shown) {
        Subtitles->DrawOn(*OutputPicture);
        OutputDrawnOn = true;
    }
}

void TVideoPath::ScalePicture() {
    AVFrame& source = *DecodedPicture;
    AVFrame& turned = Rotation != 0 ? *TurnedPicture : *OutputPicture;
    if (!Scaler || ScalerWidth != source.width || ScalerHeight != source.height ||
        ScalerFormat != source.format || av_cmp_q(ScalerAspect, PictureAspect(source)) ||
        ScalerColourSpace != source.colorspace || ScalerRange != source.color_range ||
        ScalerTransfer != source.color_trc) {
        PrepareScaler(source, turned);
    }
    // The encoder may still hold the previous picture's buffer.
    if (AV.av_frame_make_writable(OutputPicture.get()) < 0) throw std::bad_alloc();
    if (Fit.Crops(source.width, source.height)) {
        // The picture is scaled once, so its own frame may point at the part shown.
        source.crop_left = static_cast<size_t>(Fit.Shown.Left);
        source.crop_top = static_cast<size_t>(Fit.Shown.Top);
        source.crop_right = static_cast<size_t>(source.width - Fit.Shown.Left - Fit.Shown.Width);
        source.crop_bottom = static_cast<size_t>(source.height - Fit.Shown.Top - Fit.Shown.Height);
        if (AV.av_frame_apply_cropping(&source, AV_FRAME_CROP_UNALIGNED) < 0) {
            throw SourceError("Cannot initialize the video conversion context\n", 0,
                              "The picture cannot be cropped");
        }
    }
    const PictureRect& placed = Fit.Placed;
    uint8_t* destination[4] = {
        turned.data[0] + static_cast<ptrdiff_t>(placed.Top) * turned.linesize[0] + placed.Left,
        turned.data[1] + static_cast<ptrdiff_t>(placed.Top / 2) * turned.linesize[1] +
            placed.Left / 2,
        turned.data[2] + static_cast<ptrdiff_t>(placed.Top / 2) * turned.linesize[2] +
            placed.Left / 2,
        nullptr};
    if (Tones) {
        AV.sws_scale(Scaler.get(), source.data, source.linesize, 0, source.height, HdrPicture->data,
                     HdrPicture->linesize);
        Tones->Apply(*HdrPicture, turned, placed.Left, placed.Top);
    } else {
        AV.sws_scale(Scaler.get(), source.data, source.linesize, 0, source.height, destination,
                     turned.linesize);
    }
    if (Colours) {
        ConvertColours(*Colours, turned, placed.Left, placed.Top, placed.Width, placed.Height);
    }
    if (Fit.HasBars(turned.width, turned.height)) PaintBars(turned, placed);
    // Turning the small scaled picture shows the same as scaling the turned
    // source, at a fraction of the work.
    if (Rotation != 0) RotatePicture(turned, *OutputPicture, Rotation);
    PictureScaled = true;
    // From here on the slots are filled from the scaled picture: the decoded
    // one goes back to the decoder's pool at once instead of when the next
    // picture arrives, which saves the decoder a buffer of the source's size.
    AV.av_frame_unref(&source);
    OutputDrawnOn = false;
    if (Subtitles) {
        if (!CleanPicture) CleanPicture = NewPicture(OutputPicture->width, OutputPicture->height);
        if (!CleanPicture || AV.av_frame_copy(CleanPicture.get(), OutputPicture.get()) < 0) {
            throw std::bad_alloc();
        }
    }
}

void TVideoPath::EncodeVideoFrame() {
    if (!PictureScaled) ScalePicture();
    if (Still) {
        // One slot a second; the last slot is encoded at the end (FlushVideo),
        // so that the pictures last as long as the sound.
        StillBehind = FramesEncoded % StillEvery != 0;
        if (StillBehind) {
            ++FramesEncoded;
            return;
        }
    }
    if (Subtitles) DrawSubtitlesAt(FramesEncoded);
    AVFrame& picture = *OutputPicture;
    picture.pts = FramesEncoded;
    picture.pict_type = AV_PICTURE_TYPE_NONE;
    Encoding->Push(picture);
    ++FramesEncoded;
    WritePackets(Encoding->TakePackets());
}

// On the encoder's thread: the packets go back to the converting thread.
void TVideoPath::EncodePicture(AVFrame& picture, TEncoderThread::Packets& made) {
    if (const int code = AV.avcodec_send_frame(VideoEncoder.get(), &picture); code < 0) {
        throw DestinationError(kEncodeError, code);
    }
    while (true) {
        av::PacketPtr packet = NewPacket();
        if (!ReceivePacket(*VideoEncoder, *OutputVideo, *packet, kEncodeError)) return;
        made.push_back(std::move(packet));
    }
}

void TVideoPath::WritePackets(TEncoderThread::Packets packets) {
    for (const av::PacketPtr& packet : packets) Sink.WritePacket(*packet, kWriteError);
}

void TVideoPath::AbandonEncoding() noexcept {
    if (Encoding) Encoding->Abandon();
}

void TVideoPath::FlushVideo() {
    if (Still && StillBehind && Encoding) {
        StillBehind = false;
        AVFrame& picture = *OutputPicture;
        picture.pts = FramesEncoded - 1;
        picture.pict_type = AV_PICTURE_TYPE_NONE;
        Encoding->Push(picture);
    }
    if (Encoding) {
        Encoding->Finish();
        WritePackets(Encoding->TakePackets());
    }
    // The thread has ended: the encoder is this thread's now.
    AV.avcodec_send_frame(VideoEncoder.get(), nullptr);
    const av::PacketPtr packet = NewPacket();
    while (ReceivePacket(*VideoEncoder, *OutputVideo, *packet, kEncodeError)) {
        Sink.WritePacket(*packet, kWriteError);
    }
    Sink.EndStream(OutputVideo->index);
}

}  // namespace transcode
