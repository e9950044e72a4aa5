// Set-up and tear-down of one file: the source and its decoders, the output
// with its streams and encoders, the temporary file and its final rename.
#include "Transcoder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <new>
#include <system_error>

#include "EngineError.h"
#include "TranscodeRateControl.h"
#include "TranscodeRotation.h"
#include "TranscodeState.h"

static_assert(TTranscoder::ScaleFlags == SWS_BICUBIC);

namespace {

// A note through the media library's own log, not the terminal: the programs
// keep that log quiet unless asked for it (the command line's --verbose).
void LogWarning(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    AV.av_vlog(nullptr, AV_LOG_WARNING, format, arguments);
    va_end(arguments);
}

std::filesystem::path PathFromUtf8(const std::string& path) {
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

// True when both names lead to one existing file (also through links).
bool SameFile(const std::string& first, const std::string& second) {
    std::error_code error;
    return std::filesystem::equivalent(PathFromUtf8(first), PathFromUtf8(second), error) && !error;
}

// The first stream of the kind, in stream order. A cover picture attached to a
// sound file is no video.
AVStream* FindStream(AVFormatContext& input, AVMediaType type) {
    for (unsigned i = 0; i < input.nb_streams; ++i) {
        AVStream* stream = input.streams[i];
        if (stream->codecpar->codec_type != type) continue;
        if (type == AVMEDIA_TYPE_VIDEO && (stream->disposition & AV_DISPOSITION_ATTACHED_PIC)) {
            continue;
        }
        return stream;
    }
    return nullptr;
}

// Opens the decoder of a source stream with the library's own threads.
// shrinksByHalf: the pictures end up at most half as wide and half as high as
// decoded. The deblocking of pictures that no other picture refers to is then
// skipped: it smooths block edges finer than the scaled picture can show, and
// since nothing is predicted from those pictures no error can carry over.
av::CodecContextPtr StartDecoder(const AVStream& stream, const char* openError,
                                 bool shrinksByHalf = false) {
    const AVCodec* decoder = AV.avcodec_find_decoder(stream.codecpar->codec_id);
    if (!decoder) throw EngineError("Codec not found\n");
    av::CodecContextPtr context(AV.avcodec_alloc_context3(decoder));
    if (!context) throw std::bad_alloc();
    if (AV.avcodec_parameters_to_context(context.get(), stream.codecpar) < 0) {
        throw EngineError(openError);
    }
    context->pkt_timebase = stream.time_base;
    context->thread_count = 0;
    context->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    if (shrinksByHalf) context->skip_loop_filter = AVDISCARD_NONREF;
    if (AV.avcodec_open2(context.get(), decoder, nullptr) < 0) throw EngineError(openError);
    return context;
}

// Creates a new empty file beside the output, named after it, with the
// permissions any new file gets; its name in UTF-8, or empty when the folder
// takes no new file.
std::string CreateTemporaryFile(const std::string& outputPath) {
    const QFileInfo final(QString::fromUtf8(outputPath));
    const QDir folder(final.absolutePath());
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString name = QStringLiteral("%1.%2.part")
                                 .arg(final.fileName())
                                 .arg(QRandomGenerator::global()->generate(), 8, 16, QChar('0'));
        QFile file(folder.filePath(name));
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            return file.fileName().toUtf8().toStdString();
        }
        if (file.error() != QFileDevice::OpenError || !folder.exists()) break;
    }
    return {};
}

av::FramePtr NewFrame() {
    av::FramePtr frame(AV.av_frame_alloc());
    if (!frame) throw std::bad_alloc();
    return frame;
}

av::FramePtr NewPicture(int32_t width, int32_t height) {
    av::FramePtr picture(AV.av_frame_alloc());
    if (!picture) return picture;
    picture->format = AV_PIX_FMT_YUV420P;
    picture->width = width;
    picture->height = height;
    if (AV.av_frame_get_buffer(picture.get(), 0) < 0) picture.reset();
    return picture;
}

}  // namespace

TTranscoder::TTranscoder(const ConversionParameters& parameters, TranscodeObserver& observer)
    : Parameters(parameters), Observer(observer) {
    ResetState();
}

TTranscoder::~TTranscoder() {
    ReleaseState();
}

void TTranscoder::ResetState() {
    State = std::make_unique<TranscodeState>();
}

void TTranscoder::ReleaseState() {
    if (State) {
        // The output file is closed before anything it was written from goes.
        State->Output.reset();
        State.reset();
    }
    ResetState();
}

void TTranscoder::ConvertFile(const std::string& sourcePathUtf8,
                              const std::string& outputPathUtf8) {
    ResetState();
    Duration = 0;
    try {
        OpenSource(sourcePathUtf8, outputPathUtf8);
        StartDecoders();
        CreateOutput(outputPathUtf8);
        OpenDestination(outputPathUtf8);
        RunLoop();
        FinishStreams();
        CloseDestination(outputPathUtf8);
    } catch (const std::bad_alloc&) {
        DiscardDestination();
        throw EngineError("Memory error\n");
    } catch (...) {
        DiscardDestination();
        throw;
    }
    ReleaseState();
}

void TTranscoder::OpenSource(const std::string& sourcePath, const std::string& outputPath) {
    AVFormatContext* input = nullptr;
    if (AV.avformat_open_input(&input, sourcePath.c_str(), nullptr, nullptr) != 0) {
        throw EngineError("Could not open source file\n");
    }
    State->Input.reset(input);
    // Converting a .3gp into its own folder would overwrite the source while it
    // is read; refuse before anything is opened for writing.
    if (SameFile(sourcePath, outputPath)) {
        throw EngineError("Source and destination are the same file\n");
    }
    if (AV.avformat_find_stream_info(input, nullptr) < 0) {
        throw EngineError("Could not find stream info in source file\n");
    }
    State->InputVideo = FindStream(*input, AVMEDIA_TYPE_VIDEO);
    State->InputAudio = FindStream(*input, AVMEDIA_TYPE_AUDIO);
    if (!State->InputVideo && !State->InputAudio) {
        throw EngineError("The source file has neither pictures nor sound\n");
    }
    // Further sound tracks, subtitles and data are never read into memory.
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        AVStream* stream = input->streams[i];
        if (stream != State->InputVideo && stream != State->InputAudio) {
            stream->discard = AVDISCARD_ALL;
        }
    }
}

void TTranscoder::StartDecoders() {
    TranscodeState& s = *State;
    if (s.InputVideo) {
        s.Rotation = transcode::UprightRotation(s.InputVideo);
        const bool swaps = transcode::SwapsSides(s.Rotation);
        const int64_t shownWidth = swaps ? Parameters.Height : Parameters.Width;
        const int64_t shownHeight = swaps ? Parameters.Width : Parameters.Height;
        const AVCodecParameters& source = *s.InputVideo->codecpar;
        const bool shrinksByHalf =
            source.width >= 2 * shownWidth && source.height >= 2 * shownHeight;
        s.VideoDecoder =
            StartDecoder(*s.InputVideo, "Could not open in video codec\n", shrinksByHalf);
        s.DecodedPicture = NewFrame();
        s.IncomingPicture = NewFrame();
        if (s.InputVideo->start_time != AV_NOPTS_VALUE && s.InputVideo->start_time > 0) {
            s.VideoStart = s.InputVideo->start_time;
        }
    }
    // The exact length; an unknown one converts to the end of the input.
    const int64_t duration = s.Input->duration;
    Duration = duration == AV_NOPTS_VALUE ? -1.0 : static_cast<double>(duration) / AV_TIME_BASE;
    if (s.InputVideo && duration != AV_NOPTS_VALUE && duration >= 0) {
        // Output frames that cover the duration, the last one rounded up.
        s.FrameLimit = AV.av_rescale_q_rnd(
            duration, AVRational{1, AV_TIME_BASE},
            AVRational{Parameters.FrameRateDenominator, Parameters.FrameRateNumerator},
            AV_ROUND_UP);
    }
    if (s.InputAudio) {
        s.AudioDecoder = StartDecoder(*s.InputAudio, "Could not open in audio codec\n");
        s.DecodedAudio = NewFrame();
    }
    s.InputPacket.reset(AV.av_packet_alloc());
    s.OutputPacket.reset(AV.av_packet_alloc());
    if (!s.InputPacket || !s.OutputPacket) throw std::bad_alloc();
}

void TTranscoder::CreateOutput(const std::string& outputPath) {
    TranscodeState& s = *State;
    AVFormatContext* output = nullptr;
    int result = AV.avformat_alloc_output_context2(&output, nullptr, nullptr, outputPath.c_str());
    if (result == AVERROR(ENOMEM)) throw EngineError("Memory error\n");
    if (!output) {
        LogWarning("Could not deduce output format from file extension: using MPEG.\n");
        result = AV.avformat_alloc_output_context2(&output, nullptr, "mpeg", outputPath.c_str());
        if (result == AVERROR(ENOMEM)) throw EngineError("Memory error\n");
        if (!output) throw EngineError("Could not find suitable output format\n");
    }
    s.Output.reset(output);

    // Only the kinds the source has: a silent clip gives a video-only file, a
    // sound file an AMR-only one.
    if (s.InputVideo) NewVideoStream();
    if (s.InputAudio) NewAudioStream();

    const ConversionParameters& p = Parameters;
    const bool videoValid = p.Width > 0 && p.Height > 0 && p.FrameRateNumerator > 0 &&
                            p.FrameRateDenominator > 0 && p.VideoBitRate > 0;
    const bool audioValid = p.SampleRate > 0 && p.Channels > 0 && p.AudioBitRate > 0;
    if ((s.InputVideo && !videoValid) || (s.InputAudio && !audioValid)) {
        throw EngineError("Invalid output format parameters\n");
    }

    if (s.InputVideo) StartVideoEncoder();
    if (s.InputAudio) StartAudioEncoder();
}

void TTranscoder::NewVideoStream() {
    TranscodeState& s = *State;
    const AVCodec* encoder =
        AV.avcodec_find_encoder(static_cast<AVCodecID>(Parameters.VideoCodecId));
    if (!encoder) throw EngineError("Codec not found\n");
    s.OutputVideo = AV.avformat_new_stream(s.Output.get(), nullptr);
    if (!s.OutputVideo) throw EngineError("Could not alloc stream\n");
    s.OutputVideo->id = 0;
    s.VideoEncoder.reset(AV.avcodec_alloc_context3(encoder));
    if (!s.VideoEncoder) throw std::bad_alloc();

    AVCodecContext& c = *s.VideoEncoder;
    c.codec_id = encoder->id;
    c.codec_type = AVMEDIA_TYPE_VIDEO;
    c.bit_rate = Parameters.VideoBitRate;
    c.width = Parameters.Width;
    c.height = Parameters.Height;
    c.time_base = AVRational{Parameters.FrameRateDenominator, Parameters.FrameRateNumerator};
    c.framerate = AVRational{Parameters.FrameRateNumerator, Parameters.FrameRateDenominator};
    c.gop_size = 12;
    c.pix_fmt = static_cast<AVPixelFormat>(Parameters.PixelFormat);
    transcode::ConfigureVideoRateControl(c);
    // The codec's stream headers go into the container's header.
    if (s.Output->oformat->flags & AVFMT_GLOBALHEADER) c.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    s.OutputVideo->time_base = c.time_base;
}

void TTranscoder::NewAudioStream() {
    TranscodeState& s = *State;
    const AVCodec* encoder =
        AV.avcodec_find_encoder(static_cast<AVCodecID>(Parameters.AudioCodecId));
    if (!encoder) throw EngineError("Codec not found\n");
    s.OutputAudio = AV.avformat_new_stream(s.Output.get(), nullptr);
    if (!s.OutputAudio) throw EngineError("Could not alloc stream\n");
    s.OutputAudio->id = 1;
    s.AudioEncoder.reset(AV.avcodec_alloc_context3(encoder));
    if (!s.AudioEncoder) throw std::bad_alloc();

    AVCodecContext& c = *s.AudioEncoder;
    c.codec_id = encoder->id;
    c.codec_type = AVMEDIA_TYPE_AUDIO;
    c.bit_rate = Parameters.AudioBitRate;
    c.sample_rate = Parameters.SampleRate;
    AV.av_channel_layout_default(&c.ch_layout, Parameters.Channels);
    c.sample_fmt = AV_SAMPLE_FMT_S16;
    c.time_base = AVRational{1, Parameters.SampleRate};
    s.OutputAudio->time_base = c.time_base;
}

void TTranscoder::StartVideoEncoder() {
    TranscodeState& s = *State;
    AVCodecContext& c = *s.VideoEncoder;
    if (AV.avcodec_open2(&c, c.codec, nullptr) < 0) {
        throw EngineError("Could not open out video codec\n");
    }
    if (AV.avcodec_parameters_from_context(s.OutputVideo->codecpar, &c) < 0) {
        throw EngineError("Invalid output format parameters\n");
    }
    s.OutputPicture = NewPicture(c.width, c.height);
    if (s.Rotation != 0) {
        if (transcode::SwapsSides(s.Rotation)) {
            s.TurnedPicture = NewPicture(c.height, c.width);
        } else {
            s.TurnedPicture = NewPicture(c.width, c.height);
        }
    }
    if (!s.OutputPicture || (s.Rotation != 0 && !s.TurnedPicture)) {
        throw EngineError("Could not allocate picture\n");
    }
}

void TTranscoder::StartAudioEncoder() {
    TranscodeState& s = *State;
    AVCodecContext& c = *s.AudioEncoder;
    bool takesS16 = !c.codec->sample_fmts;
    for (const AVSampleFormat* f = c.codec->sample_fmts; f && *f != AV_SAMPLE_FMT_NONE; ++f) {
        takesS16 = takesS16 || *f == AV_SAMPLE_FMT_S16;
    }
    if (!takesS16 || AV.avcodec_open2(&c, c.codec, nullptr) < 0) {
        throw EngineError("Could not open out audio codec\n");
    }
    if (AV.avcodec_parameters_from_context(s.OutputAudio->codecpar, &c) < 0) {
        throw EngineError("Invalid output format parameters\n");
    }
    // 160 samples per channel for AMR narrow-band.
    s.AudioFrameSamples = c.frame_size > 0 ? c.frame_size : 1024;
    s.BytesPerSample = 2 * c.ch_layout.nb_channels;
    s.AudioFifo.reset(
        AV.av_audio_fifo_alloc(c.sample_fmt, c.ch_layout.nb_channels, 262144 / s.BytesPerSample));
    s.AudioFrame = NewFrame();
    s.AudioFrame->format = c.sample_fmt;
    s.AudioFrame->sample_rate = c.sample_rate;
    s.AudioFrame->nb_samples = s.AudioFrameSamples;
    AV.av_channel_layout_default(&s.AudioFrame->ch_layout, c.ch_layout.nb_channels);
    if (!s.AudioFifo || AV.av_frame_get_buffer(s.AudioFrame.get(), 0) < 0) {
        throw std::bad_alloc();
    }
}

void TTranscoder::OpenDestination(const std::string& outputPath) {
    TranscodeState& s = *State;
    AVFormatContext& output = *s.Output;
    AV.av_dump_format(&output, 0, outputPath.c_str(), 1);
    if (!(output.oformat->flags & AVFMT_NOFILE)) {
        // A fresh file beside the final one; it takes the final name only when
        // complete, so a failed conversion never leaves a half-written file
        // under that name nor harms one that is already there.
        s.TemporaryPath = CreateTemporaryFile(outputPath);
        if (s.TemporaryPath.empty()) throw EngineError("Could not open destination file");
        // The muxer reads its own file back to put the index in front.
        AV.av_free(output.url);
        output.url = AV.av_strdup(s.TemporaryPath.c_str());
        if (!output.url) throw std::bad_alloc();
        if (AV.avio_open(&output.pb, s.TemporaryPath.c_str(), AVIO_FLAG_WRITE) < 0) {
            throw EngineError("Could not open destination file");
        }
    }
    // The index (moov) before the media data, so that players start at once.
    AVDictionary* options = nullptr;
    AV.av_dict_set(&options, "movflags", "+faststart", 0);
    const int result = AV.avformat_write_header(&output, &options);
    AV.av_dict_free(&options);
    if (result < 0) throw EngineError("Could not write header of destination file\n");
}

void TTranscoder::CloseDestination(const std::string& outputPath) {
    TranscodeState& s = *State;
    if (AV.av_write_trailer(s.Output.get()) < 0) {
        throw EngineError("Could not finish destination file\n");
    }
    if (s.Output->pb && !(s.Output->oformat->flags & AVFMT_NOFILE)) {
        if (AV.avio_closep(&s.Output->pb) < 0) {
            throw EngineError("Could not finish destination file\n");
        }
    }
    if (!s.TemporaryPath.empty()) {
        std::error_code error;
        std::filesystem::rename(PathFromUtf8(s.TemporaryPath), PathFromUtf8(outputPath), error);
        if (error) throw EngineError("Could not replace destination file\n");
        s.TemporaryPath.clear();
    }
}

void TTranscoder::DiscardDestination() {
    const std::string temporary = State ? State->TemporaryPath : std::string();
    ReleaseState();
    if (!temporary.empty()) {
        std::error_code error;
        std::filesystem::remove(PathFromUtf8(temporary), error);
    }
}
