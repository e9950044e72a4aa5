// Set-up and tear-down of one file: the source, then its video path, audio
// path and output file.
#include "Transcoder.h"

#include <filesystem>
#include <new>
#include <system_error>

#include "AudioPath.h"
#include "EngineError.h"
#include "OutputFile.h"
#include "TranscodeState.h"
#include "VideoPath.h"

static_assert(TTranscoder::ScaleFlags == SWS_BICUBIC);

namespace {

// True when both names lead to one existing file (also through links).
bool SameFile(const std::string& first, const std::string& second) {
    std::error_code error;
    return std::filesystem::equivalent(transcode::PathFromUtf8(first),
                                       transcode::PathFromUtf8(second), error) &&
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
        RunLoop();
        FinishStreams();
        Output->Close(outputPathUtf8);
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
        Video = std::make_unique<transcode::VideoPath>(Parameters, *s.InputVideo, *Output);
        Video->StartDecoder();
    }
    // The exact length; an unknown one converts to the end of the input.
    const int64_t duration = s.Input->duration;
    Duration = duration == AV_NOPTS_VALUE ? -1.0 : static_cast<double>(duration) / AV_TIME_BASE;
    if (Video && duration != AV_NOPTS_VALUE && duration >= 0) {
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
        throw EngineError("Invalid output format parameters\n");
    }

    if (Video) Video->StartVideoEncoder();
    if (Audio) Audio->StartAudioEncoder();
}

void TTranscoder::DiscardDestination() noexcept {
    if (Output) Output->Discard();
    ReleaseState();
}
