// Set-up and tear-down of one file: the source, then its video path, audio
// path and output file.
#include "Transcoder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <new>
#include <system_error>

#include "AudioPath.h"
#include "EngineError.h"
#include "LocalMedia.h"
#include "OutputFile.h"
#include "SizeDecision.h"
#include "SizeLimit.h"
#include "SourceOpening.h"
#include "StreamChoice.h"
#include "SubtitleChoice.h"
#include "SubtitleFiles.h"
#include "SubtitlePath.h"
#include "TimeText.h"
#include "ToneMapping.h"
#include "TranscodeState.h"
#include "VideoPath.h"

namespace {

// True when both names lead to one existing file (also through links).
bool SameFile(const std::string& first, const std::string& second) {
    std::error_code error;
    return std::filesystem::equivalent(std::filesystem::path(first), std::filesystem::path(second),
                                       error) &&
           !error;
}

// The error with its reason line, naming the file it concerns.
TEngineError Completed(const TEngineError& error, const std::string& sourcePath,
                       const std::string& outputPath) {
    const bool output = error.Concern() == TEngineError::Concerns::Destination;
    return NamingFile(error, output ? outputPath : sourcePath);
}

}  // namespace

TTranscoder::TTranscoder(const ConversionParameters& parameters, TTranscodeObserver& observer)
    : Parameters(parameters), Observer(observer) {}

TTranscoder::~TTranscoder() {
    ReleaseState();
}

void TTranscoder::ReleaseState() noexcept {
    // The encoder's thread ends before the file it writes into, which is
    // closed before anything it was written from goes.
    if (Video) Video->AbandonEncoding();
    if (Output) Output->ReleaseState();
    Video.reset();
    Subtitles.reset();
    Audio.reset();
    Output.reset();
    State.reset();
}

namespace {

[[noreturn]] void StartPastEnd(double start, double length) {
    std::string message = "The clip is shorter than the start time " + ClipTimeText(start);
    if (length > 0) message += ": it lasts " + ClipTimeText(length);
    throw SourceError(message + "\n", 0, "The start time lies past the clip's end");
}

}  // namespace

void TTranscoder::ConvertFile(const std::string& sourcePathUtf8, const std::string& outputPathUtf8,
                              const ClipRange& range) {
    Range = range;
    EndedEarlyAt = -1;
    Current = Parameters;
    Planned = false;
    Remarked = false;
    const int64_t limit = Parameters.SizeLimitBytes;
    // A result within the limit, but far below it; removed unless committed.
    std::unique_ptr<TTemporaryOutputFile> kept;
    StoppedEmpty = false;
    for (int pass = 1;; ++pass) {
        if (pass > 1) Observer.FileRestarted();
        const int64_t size = EncodeOnce(sourcePathUtf8, outputPathUtf8);
        if (StoppedEmpty) {
            // A pass kept from before stays the result.
            if (kept) kept->Commit();
            return;
        }
        try {
            transcode::TSizePass done;
            done.Size = size;
            done.Number = pass;
            transcode::TSizeLimitRun run;
            run.Limit = limit;
            if (limit > 0 && size >= 0) {
                done.Stopped = Observer.IsStopRequested();
                done.VideoBytes = Video ? Output->StreamBytes(0) : 0;
                done.Quantiser = Video ? Output->AverageQuantiser(0) : 0;
                run.HasVideo = Video != nullptr;
                run.HasKept = kept != nullptr;
                run.VideoBitRate = Current.VideoBitRate;
                run.HighestVideoBitRate = Parameters.VideoBitRate;
            }
            const transcode::TSizeDecision decision = transcode::DecideAfterPass(run, done);
            if (decision.Verdict == transcode::TSizeVerdict::Retry) {
                if (decision.KeepThis) kept = Output->TakeTemporary();
                Current.VideoBitRate = decision.NextVideoBitRate;
                Output->Discard();
                ReleaseState();
                continue;
            }
            if (decision.Verdict == transcode::TSizeVerdict::Fail) {
                DiscardDestination();
                const double length = PartLength > 0 ? PartLength : 0;
                throw Completed(
                    SourceError(DoesNotFitMessage(limit, static_cast<int64_t>(
                                                             length * static_cast<double>(limit) /
                                                             static_cast<double>(size))) +
                                    "\n",
                                0, "Even at the lowest bitrate the file comes out larger"),
                    sourcePathUtf8, outputPathUtf8);
            }
            if (decision.Verdict == transcode::TSizeVerdict::Commit) {
                kept.reset();
                Output->Commit();
            } else {
                // The kept pass, or nothing: this pass's file goes first.
                ReleaseState();
                if (kept) kept->Commit();
            }
            break;
        } catch (...) {
            DiscardDestination();
            throw;
        }
    }
    Observer.TemporaryFileChanged({});
    ReleaseState();
    if (EndedEarlyAt >= 0 && !Observer.IsStopRequested()) {
        Observer.SourceEndsEarly(EndedEarlyAt, Duration);
    }
}

int64_t TTranscoder::EncodeOnce(const std::string& sourcePathUtf8,
                                const std::string& outputPathUtf8) {
    ReleaseState();
    Duration = 0;
    try {
        State = std::make_unique<TranscodeState>();
        Output = std::make_unique<transcode::TOutputFile>();
        OpenSource(sourcePathUtf8, outputPathUtf8);
        if (Parameters.SizeLimitBytes > 0 && !Planned) PlanForLimit();
        StartDecoders();
        StartSubtitles(sourcePathUtf8);
        SeekToStart();
        CreateOutput(outputPathUtf8);
        Observer.CreateTemporaryFile([&] {
            Output->Open(outputPathUtf8);
            return Output->TemporaryFilePath();
        });
        RunLoop();
        FinishStreams();
        // A stop before the first picture (the first sound, without pictures)
        // leaves no file: there would be nothing in it to play.
        if (State->Stopped && NothingEncoded()) {
            StoppedEmpty = true;
            DiscardDestination();
            return -1;
        }
        CheckSourceEnd();
        // Nothing came after the start: the source ends before it.
        if (Range.Start > 0 && !Observer.IsStopRequested() && NothingEncoded()) {
            StartPastEnd(Range.Start, Duration);
        }
        return Output->Finish();
    } catch (const std::bad_alloc&) {
        DiscardDestination();
        throw TEngineError("Memory error\n", 0, SystemErrorText(ENOMEM), sourcePathUtf8);
    } catch (const TEngineError& error) {
        DiscardDestination();
        throw Completed(error, sourcePathUtf8, outputPathUtf8);
    } catch (...) {
        DiscardDestination();
        throw;
    }
}

bool TTranscoder::NothingEncoded() const {
    return Video ? Video->FramesDone() == 0 : Audio->Queued() == 0;
}

void TTranscoder::PlanForLimit() {
    TranscodeState& s = *State;
    Planned = true;
    const int64_t duration = s.Input->duration;
    const double length =
        duration == AV_NOPTS_VALUE ? -1.0 : static_cast<double>(duration) / AV_TIME_BASE;
    double part = length;
    if (Range.End > 0) part = length > 0 ? std::min(Range.End, length) : Range.End;
    part -= Range.Start;
    if (length > 0 && Range.Start >= length) StartPastEnd(Range.Start, length);
    // An unknown length: the first pass keeps the chosen bitrates and the
    // corrections fit the result.
    if (part <= 0) return;
    const double frameRate = static_cast<double>(Parameters.FrameRateNumerator) /
                             std::max(Parameters.FrameRateDenominator, 1);
    const SizePlan plan = PlanForSize(Parameters.SizeLimitBytes, part, frameRate,
                                      s.InputVideo != nullptr, s.InputAudio != nullptr);
    if (!plan.Fits)
        throw SourceError(DoesNotFitMessage(Parameters.SizeLimitBytes, plan.FittingSeconds) + "\n",
                          0, "Even the lowest bitrates need more room for the clip's length");
    // A limit only lowers: where the chosen level's rates fit, they stay.
    if (plan.VideoBitRate > 0) {
        Current.VideoBitRate =
            std::min(static_cast<int32_t>(plan.VideoBitRate * transcode::kAimedShare),
                     Parameters.VideoBitRate);
    }
    if (plan.AudioBitRate > 0 && plan.AudioBitRate < AmrModes.front().BitRate) {
        Current.AudioBitRate = std::min(plan.AudioBitRate, Parameters.AudioBitRate);
    }
}

void TTranscoder::SeekToStart() {
    if (Range.Start <= 0) return;
    // What lies before the start is decoded and dropped; where seeking fails
    // everything before it is.
    SeekToKeyPictureBefore(*State->Input, Range.Start);
}

void TTranscoder::OpenSource(const std::string& sourcePath, const std::string& outputPath) {
    // Converting a .3gp into its own folder would overwrite the source while it
    // is read; refuse before anything is opened for writing.
    if (SameFile(sourcePath, outputPath)) {
        throw SourceError("Source and destination are the same file\n", 0,
                          "The output would replace the source");
    }
    State->Input = OpenSourceFile(sourcePath);
    AVFormatContext* input = State->Input.get();
    State->Jumps.emplace(*input);
    State->InputVideo = ChooseVideoStream(*input);
    State->InputAudio = ChooseSoundStream(*input, State->InputVideo, Range.AudioTrack);
    // Sound with a cover picture gets the cover as its picture.
    if (!State->InputVideo && State->InputAudio) State->InputVideo = ChooseCoverStream(*input);
    if (Range.AudioTrack > 0 && !State->InputAudio) {
        throw SourceError(
            "The source file has no sound track " + std::to_string(Range.AudioTrack) + "\n", 0,
            "It has " + std::to_string(SoundTrackCount(*input)) + " sound tracks");
    }
    if (!State->InputVideo && !State->InputAudio) {
        throw SourceError("The source file has neither pictures nor sound\n", 0,
                          "No video or audio stream");
    }
    if (Current.BurnSubtitles && State->InputVideo && Current.SubtitleFile.empty()) {
        const int32_t index = subtitles::ChooseSubtitleStream(*input, Current.SubtitleTrack);
        if (index >= 0) State->InputSubtitle = input->streams[index];
    }
    // Further sound tracks, subtitles and data are never read into memory.
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        AVStream* stream = input->streams[i];
        if (stream != State->InputVideo && stream != State->InputAudio &&
            stream != State->InputSubtitle) {
            stream->discard = AVDISCARD_ALL;
        }
    }
}

void TTranscoder::StartDecoders() {
    TranscodeState& s = *State;
    // The exact length; an unknown one converts to the end of the input. Where
    // time stamps jump the container's duration spans the jumps, not the
    // content: once a jump is followed the file is converted to its end and
    // its progress told by bytes (ReadPacket).
    const int64_t duration = s.Input->duration;
    Duration = duration == AV_NOPTS_VALUE ? -1.0 : static_cast<double>(duration) / AV_TIME_BASE;
    if (Duration > 0 && Range.Start >= Duration) StartPastEnd(Range.Start, Duration);
    // The part converted: up to the range's end, never past the source's.
    PartLength = Duration;
    if (Range.End > 0) PartLength = Duration > 0 ? std::min(Range.End, Duration) : Range.End;
    if (PartLength > 0) PartLength -= Range.Start;
    const int64_t startMicroseconds =
        static_cast<int64_t>(std::llround(Range.Start * AV_TIME_BASE));

    if (s.InputVideo && !Remarked) {
        Remarked = true;
        if (const std::string remark = transcode::ToneMappingRemark(*s.InputVideo); !remark.empty())
            Observer.Remark(remark);
        if (const std::string warning = transcode::DolbyVisionWarning(*s.InputVideo);
            !warning.empty())
            Observer.Warning(warning);
    }
    if (s.InputVideo) {
        Video = std::make_unique<transcode::TVideoPath>(Current, *s.InputVideo, *Output);
        Video->StartDecoder();
        // A transport stream that began just before its clock wrapped starts
        // at a negative time once the library has unwrapped it: its first
        // pictures are shown like any others.
        const int64_t videoStart = s.InputVideo->start_time;
        if (s.Jumps->Possible() && videoStart != AV_NOPTS_VALUE && videoStart < 0) {
            Video->StartFrom(videoStart);
        }
        Video->StartFrom(AV.av_rescale_q(startMicroseconds, AVRational{1, AV_TIME_BASE},
                                         s.InputVideo->time_base));
        if (PartLength > 0) {
            // Output frames that cover the part, the last one rounded up.
            Video->LimitFrames(AV.av_rescale_q_rnd(
                static_cast<int64_t>(std::llround(PartLength * AV_TIME_BASE)),
                AVRational{1, AV_TIME_BASE},
                AVRational{Current.FrameRateDenominator, Current.FrameRateNumerator}, AV_ROUND_UP));
        }
    }
    if (s.InputAudio) {
        Audio = std::make_unique<transcode::TAudioPath>(Current, *s.InputAudio, *Output);
        Audio->StartDecoder();
        if (Video) {
            Audio->PlaceAgainstVideo(*s.InputVideo, Video->Start());
        } else if (Range.Start > 0) {
            // Sound alone: placed against the start of the range.
            const AVStream& sound = *s.InputAudio;
            const int64_t soundStart =
                sound.start_time != AV_NOPTS_VALUE && sound.start_time > 0 ? sound.start_time : 0;
            Audio->PlaceAgainstVideo(
                sound, soundStart + AV.av_rescale_q(startMicroseconds, AVRational{1, AV_TIME_BASE},
                                                    sound.time_base));
        }
    }
    s.InputPacket.reset(AV.av_packet_alloc());
    if (!s.InputPacket) throw std::bad_alloc();
}

void TTranscoder::StartSubtitles(const std::string& sourcePath) {
    TranscodeState& s = *State;
    if (!Video || !Current.BurnSubtitles) return;
    try {
        if (!Current.SubtitleFile.empty()) {
            Subtitles = std::make_unique<subtitles::TSubtitlePath>(Current.SubtitleFile);
        } else if (s.InputSubtitle) {
            Subtitles = std::make_unique<subtitles::TSubtitlePath>(*s.Input, *s.InputSubtitle);
            // Cues begun before a later start come from the source's beginning.
            if (Range.Start > 0) {
                Subtitles->ReadUpTo(sourcePath,
                                    AV.av_rescale_q(Video->Start(), s.InputVideo->time_base,
                                                    AVRational{1, AV_TIME_BASE}));
            }
        } else if (const std::string beside = SubtitleFileBeside(sourcePath); !beside.empty()) {
            Subtitles = std::make_unique<subtitles::TSubtitlePath>(beside);
        }
    } catch (const subtitles::TSubtitleProblem& problem) {
        Subtitles.reset();
        if (s.InputSubtitle) s.InputSubtitle->discard = AVDISCARD_ALL;
        s.InputSubtitle = nullptr;
        Observer.SubtitlesLeftOut(problem.what());
    }
    if (Subtitles) Video->DrawSubtitles(*Subtitles);
}

void TTranscoder::CreateOutput(const std::string& outputPath) {
    Output->Create(outputPath);

    // Only the kinds the source has: a silent clip gives a video-only file, a
    // sound file an AMR-only one.
    if (Video) Video->NewVideoStream();
    if (Audio) Audio->NewAudioStream();
    // A stop ends the file at the last picture and the sound with it.
    if (Video && Audio)
        Output->InterleavePicturesAndSound(Video->OutputIndex(), Audio->OutputIndex());

    const ConversionParameters& p = Current;
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
    if (Video) Video->AbandonEncoding();
    if (Output) Output->Discard();
    Observer.TemporaryFileChanged({});
    ReleaseState();
    if (EndedEarlyAt >= 0 && !Observer.IsStopRequested()) {
        Observer.SourceEndsEarly(EndedEarlyAt, Duration);
    }
}
