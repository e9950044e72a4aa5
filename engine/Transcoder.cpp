// Set-up and tear-down of one file: the source, then its video path, audio
// path and output file.
#include "Transcoder.h"

#include <filesystem>
#include <new>
#include <system_error>

#include "AudioPath.h"
#include "EngineError.h"
#include "LocalMedia.h"
#include "OutputFile.h"
#include "TranscodeState.h"
#include "VideoPath.h"

static_assert(TTranscoder::ScaleFlags == SWS_BICUBIC);

namespace {

// True when both names lead to one existing file (also through links).
bool SameFile(const std::string& first, const std::string& second) {
    std::error_code error;
    return std::filesystem::equivalent(std::filesystem::path(first), std::filesystem::path(second),
                                       error) &&
           !error;
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

// The error with its reason line, naming the file it concerns.
EngineError Completed(const EngineError& error, const std::string& sourcePath,
                      const std::string& outputPath) {
    if (!error.Path().empty()) return error;
    std::string reason = error.Reason();
    if (reason.empty()) {
        reason = error.Code() < 0 ? LibraryErrorText(error.Code()) : "Unknown cause";
    }
    const bool output = error.Concern() == EngineError::Concerns::Destination;
    return EngineError(error.FirstLine(), error.Code(), reason, output ? outputPath : sourcePath);
}

}  // namespace

TTranscoder::TTranscoder(const ConversionParameters& parameters, TranscodeObserver& observer)
    : Parameters(parameters), Observer(observer) {}

TTranscoder::~TTranscoder() {
    ReleaseState();
}

void TTranscoder::ReleaseState() noexcept {
    // The output file is closed before anything it was written from goes.
    if (Output) Output->ReleaseState();
    Video.reset();
    Audio.reset();
    Output.reset();
    State.reset();
}

void TTranscoder::ConvertFile(const std::string& sourcePathUtf8,
                              const std::string& outputPathUtf8) {
    ReleaseState();
    Duration = 0;
    try {
        State = std::make_unique<TranscodeState>();
        Output = std::make_unique<transcode::OutputFile>();
        OpenSource(sourcePathUtf8, outputPathUtf8);
        StartDecoders();
        CreateOutput(outputPathUtf8);
        Output->Open(outputPathUtf8);
        Observer.TemporaryFileChanged(Output->TemporaryFilePath());
        RunLoop();
        FinishStreams();
        Output->Close();
        Observer.TemporaryFileChanged({});
    } catch (const std::bad_alloc&) {
        DiscardDestination();
        throw EngineError("Memory error\n", 0, SystemErrorText(ENOMEM), sourcePathUtf8);
    } catch (const EngineError& error) {
        DiscardDestination();
        throw Completed(error, sourcePathUtf8, outputPathUtf8);
    } catch (...) {
        DiscardDestination();
        throw;
    }
    ReleaseState();
}

void TTranscoder::OpenSource(const std::string& sourcePath, const std::string& outputPath) {
    // A pipe or a device is never opened: the open could wait for good.
    if (const std::string problem = SourceFileProblem(sourcePath); !problem.empty()) {
        throw SourceError("Could not open source file\n", 0, problem);
    }
    AVFormatContext* input = nullptr;
    if (const int code = OpenLocalInput(&input, sourcePath); code != 0) {
        throw SourceError("Could not open source file\n", code);
    }
    State->Input.reset(input);
    // Converting a .3gp into its own folder would overwrite the source while it
    // is read; refuse before anything is opened for writing.
    if (SameFile(sourcePath, outputPath)) {
        throw SourceError("Source and destination are the same file\n", 0,
                          "The output would replace the source");
    }
    if (const int code = AV.avformat_find_stream_info(input, nullptr); code < 0) {
        throw SourceError("Could not find stream info in source file\n", code);
    }
    State->Jumps.emplace(*input);
    State->InputVideo = FindStream(*input, AVMEDIA_TYPE_VIDEO);
    State->InputAudio = FindStream(*input, AVMEDIA_TYPE_AUDIO);
    if (!State->InputVideo && !State->InputAudio) {
        throw SourceError("The source file has neither pictures nor sound\n", 0,
                          "No video or audio stream");
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
        Video = std::make_unique<transcode::VideoPath>(Parameters, *s.InputVideo, *Output);
        Video->StartDecoder();
    }
    // The exact length; an unknown one converts to the end of the input. Where
    // time stamps jump the container's duration spans the jumps, not the
    // content: once a jump is followed the file is converted to its end and
    // its progress told by bytes (ReadPacket).
    const int64_t duration = s.Input->duration;
    Duration = duration == AV_NOPTS_VALUE ? -1.0 : static_cast<double>(duration) / AV_TIME_BASE;
    if (Video && duration != AV_NOPTS_VALUE && duration > 0) {
        // Output frames that cover the duration, the last one rounded up.
        Video->LimitFrames(AV.av_rescale_q_rnd(
            duration, AVRational{1, AV_TIME_BASE},
            AVRational{Parameters.FrameRateDenominator, Parameters.FrameRateNumerator},
            AV_ROUND_UP));
    }
    if (s.InputAudio) {
        Audio = std::make_unique<transcode::AudioPath>(Parameters, *s.InputAudio, *Output);
        Audio->StartDecoder();
        if (Video) Audio->PlaceAgainstVideo(*s.InputVideo, Video->Start());
    }
    s.InputPacket.reset(AV.av_packet_alloc());
    if (!s.InputPacket) throw std::bad_alloc();
}

void TTranscoder::CreateOutput(const std::string& outputPath) {
    Output->Create(outputPath);

    // Only the kinds the source has: a silent clip gives a video-only file, a
    // sound file an AMR-only one.
    if (Video) Video->NewVideoStream();
    if (Audio) Audio->NewAudioStream();

    const ConversionParameters& p = Parameters;
    const bool videoValid = p.Width > 0 && p.Height > 0 && p.FrameRateNumerator > 0 &&
                            p.FrameRateDenominator > 0 && p.VideoBitRate > 0;
    const bool audioValid = p.SampleRate > 0 && p.Channels > 0 && p.AudioBitRate > 0;
    if ((Video && !videoValid) || (Audio && !audioValid)) {
        throw DestinationError("Invalid output format parameters\n", 0,
                               "A picture size, frame rate, bit rate or sample rate is zero");
    }

    if (Video) Video->StartVideoEncoder();
    if (Audio) Audio->StartAudioEncoder();
}

void TTranscoder::DiscardDestination() noexcept {
    if (Output) Output->Discard();
    Observer.TemporaryFileChanged({});
    ReleaseState();
}
