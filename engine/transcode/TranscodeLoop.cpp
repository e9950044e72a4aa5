// The conversion loop between the parts: pictures are read until the latest
// one reaches into the next output frame slot, and that picture alone is
// scaled and encoded into every slot it covers. A source with more pictures
// per second than the output thus drops pictures, one with fewer repeats them.
// Sound goes through the audio path as its packets come up.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "AudioPath.h"
#include "EngineError.h"
#include "LocalMedia.h"
#include "OutputFile.h"
#include "SubtitlePath.h"
#include "TimeText.h"
#include "TranscodeState.h"
#include "Transcoder.h"
#include "VideoPath.h"

namespace {

// Damage is passed over as long as pictures (sound) still come out of the
// decoder: a stream that gives none for this long of source despite its
// packets, or for this many damaged packets in a row, cannot go on.
constexpr int64_t kDamageSpan = 10 * int64_t{AV_TIME_BASE};
constexpr int32_t kDamagedPacketsInARow = 500;
// Sound read this far past the latest picture, with no new picture come, has
// the picture held under it as it goes, and pictures this far past the sound
// have silence put under them: no source's streams lag each other by that
// much, and a stop then finds the two almost level.
constexpr int64_t kSoundLead = 10 * int64_t{AV_TIME_BASE};

// The failure "Error while decoding frame \n", its reason saying where in the
// clip the decoding gave up.
TEngineError DecodingFailure(bool video, int64_t from) {
    const int64_t seconds = std::max<int64_t>(from, 0) / AV_TIME_BASE;
    const std::string where = std::string("No ") + (video ? "picture" : "sound") +
                              " could be decoded from " + ClockText(seconds) + " on";
    return SourceError("Error while decoding frame \n", 0, where);
}

}  // namespace

void TTranscoder::RunLoop() {
    TranscodeState& s = *State;
    const AVRational sampleBase{1, Current.SampleRate};
    // The sound's length that covers the part, for a source without pictures.
    const int64_t sampleLimit =
        PartLength > 0
            ? AV.av_rescale_q_rnd(static_cast<int64_t>(std::llround(PartLength * AV_TIME_BASE)),
                                  AVRational{1, AV_TIME_BASE}, sampleBase, AV_ROUND_UP)
            : std::numeric_limits<int64_t>::max();
    while (true) {
        // The pass check: end of input, frame limit, duration reached, stop.
        if (Video ? s.VideoDrained : s.InputEnded) break;
        if (Video && Video->FrameLimitReached()) break;
        if (!Video && PartLength > 0 && Audio->Queued() >= sampleLimit) break;
        if (StopSeen()) break;

        if (Video) {
            // Reading phase: until the latest picture reaches beyond the start of
            // the next slot to fill. Sound is handled as its packets come up.
            while (!s.VideoDrained && Video->NeedsPicture()) {
                if (!ReceivePicture()) s.VideoDrained = true;
            }
            // Encoding phase: the latest picture fills every slot that starts
            // before its end.
            while (Video->PictureFillsNextSlot()) Video->EncodeVideoFrame();
            FillSilenceUnderPictures(kSoundLead);
        } else {
            ReadPacket();
        }
        ReportProgress();
    }
}

// Reads the next packet of the two converted streams and hands it to its
// decoder; sound goes on through the audio path at once. At the end of the
// input the decoders are told so, and the sound they still hold is passed on.
// False once the input has ended.
bool TTranscoder::ReadPacket() {
    TranscodeState& s = *State;
    if (s.InputEnded) return false;
    AVPacket* packet = s.InputPacket.get();
    while (true) {
        const int read = AV.av_read_frame(s.Input.get(), packet);
        if (read < 0) {
            // The library reports most read errors as an end of file and keeps
            // the cause in the I/O context: a shortened source is no conversion.
            // A demuxer's own input/output error without a failed read is its
            // word for data it cannot follow.
            const AVIOContext* pb = s.Input->pb;
            if (pb && pb->error < 0) {
                throw SourceError("Error while reading source file\n", pb->error);
            }
            if (read == AVERROR(EIO)) {
                throw SourceError("Error while reading source file\n", 0, kInvalidSourceData);
            }
            s.InputEnded = true;
            if (Video && !s.VideoFinished) Video->SendEnd();
            if (Audio) Audio->DecodeAudioPacket(nullptr);
            return false;
        }
        const int index = packet->stream_index;
        if (packet->pos >= 0) s.BytesRead = std::max(s.BytesRead, packet->pos + packet->size);
        const bool video = s.InputVideo && index == s.InputVideo->index;
        const bool audio = s.InputAudio && index == s.InputAudio->index;
        if (video || audio) {
            const AVStream& stream = *s.Input->streams[index];
            if (s.Jumps->Follow(*packet, stream) && audio && Audio) {
                Audio->PlaceAgainFrom(packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts);
            }
            if (s.Jumps->Followed() && Duration >= 0 && Range.End <= 0) {
                // The container's duration measured across the jump: no limit.
                Duration = -1;
                PartLength = -1;
                if (Video) Video->LimitFrames(std::numeric_limits<int64_t>::max());
            }
            s.PacketsSeen = true;
            const int64_t stamp = packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
            const int64_t time =
                stamp != AV_NOPTS_VALUE
                    ? AV.av_rescale_q(stamp, stream.time_base, AVRational{1, AV_TIME_BASE})
                    : AV_NOPTS_VALUE;
            const int64_t start = s.Input->start_time;
            if (SaneMicroseconds(time)) {
                s.PacketTime = time - (SaneMicroseconds(start) ? start : 0);
                const int64_t shown = packet->pts != AV_NOPTS_VALUE ? packet->pts : stamp;
                const int64_t end = AV.av_rescale_q(shown + std::max<int64_t>(packet->duration, 0),
                                                    stream.time_base, AVRational{1, AV_TIME_BASE}) -
                                    (SaneMicroseconds(start) ? start : 0);
                if (SaneMicroseconds(end) &&
                    (s.FurthestEnd == AV_NOPTS_VALUE || end > s.FurthestEnd)) {
                    s.FurthestEnd = end;
                }
            }
        }
        if (video) {
            if (!s.VideoFinished) {
                // A packet the decoder rejects is passed over.
                if (!Video->SendPacket(*packet)) NoteDecoding(true, true);
            } else {
                if (packet->dts != AV_NOPTS_VALUE && packet->dts > s.SoundSearchEnd) {
                    s.SoundSearchOver = true;
                }
                AV.av_packet_unref(packet);
            }
            return true;
        }
        if (audio) {
            const auto decoded = Audio->DecodeAudioPacket(packet);
            AV.av_packet_unref(packet);
            if (decoded != transcode::TAudioPath::Decoded::Nothing) {
                NoteDecoding(false, decoded == transcode::TAudioPath::Decoded::Damaged);
            }
            return true;
        }
        if (s.InputSubtitle && index == s.InputSubtitle->index) {
            // A damaged cue is passed over, and told like damaged sound.
            if (Subtitles && !Subtitles->SendPacket(*packet) && !s.DamageReported) {
                s.DamageReported = true;
                Observer.DamagePassedOver(static_cast<double>(s.PacketTime) / AV_TIME_BASE);
            }
            AV.av_packet_unref(packet);
            return true;
        }
        // Another stream's packet: skipped.
        AV.av_packet_unref(packet);
    }
}

// Takes the decoder's next picture, reading packets as the decoder needs
// them. False when the decoder has given its last picture.
bool TTranscoder::ReceivePicture() {
    while (true) {
        switch (Video->ReceivePicture()) {
            case transcode::TVideoPath::Received::Picture:
                NoteDecoding(true, false);
                return true;
            case transcode::TVideoPath::Received::Ended:
                return false;
            case transcode::TVideoPath::Received::Damaged:
                NoteDecoding(true, true);
                break;
            case transcode::TVideoPath::Received::NeedsInput:
                // Once the input has ended the decoder has been told so and gives
                // its last pictures; it never waits for more bytes.
                if (State->InputEnded || State->VideoEndSent) return false;
                // Sound may run on long after the last picture: a stop acts and
                // the progress moves at every packet. At a stop the decoder
                // still gives the pictures of the packets it has had.
                if (StopSeen()) {
                    Video->SendEnd();
                    State->VideoEndSent = true;
                    break;
                }
                ReadPacket();
                HoldPictureUnderSound(kSoundLead);
                ReportProgress();
                break;
        }
    }
}

void TTranscoder::FillSilenceUnderPictures(int64_t lead) {
    if (!Video || !Audio) return;
    const AVRational sampleBase{1, Current.SampleRate};
    const int64_t pictures = AV.av_rescale_q(Video->FramesDone(), Video->SlotBase(), sampleBase) -
                             AV.av_rescale_q(lead, AVRational{1, AV_TIME_BASE}, sampleBase);
    if (pictures > 0) Audio->FillSilenceUpTo(pictures);
}

void TTranscoder::HoldPictureUnderSound(int64_t lead) {
    if (!Video || !Audio || !Video->HasPicture()) return;
    const AVRational sampleBase{1, Current.SampleRate};
    const int64_t sound =
        Audio->Queued() - AV.av_rescale_q(lead, AVRational{1, AV_TIME_BASE}, sampleBase);
    if (sound <= 0) return;
    const int64_t slots = AV.av_rescale_q_rnd(sound, sampleBase, Video->SlotBase(), AV_ROUND_DOWN);
    while (Video->CanHoldPicture(slots)) Video->EncodeVideoFrame();
}

// After the loop: the sound is brought level with the pictures (more sound
// read, the last picture held, silence added), the sound still queued is
// encoded and both encoders give up what they hold.
void TTranscoder::FinishStreams() {
    TranscodeState& s = *State;
    CheckSomethingDecoded();
    if (Video && Audio) {
        const AVRational sampleBase{1, Current.SampleRate};
        const AVRational slot = Video->SlotBase();
        s.VideoFinished = true;
        // Sound that the source interleaves behind the last picture. No source
        // lags its sound by more than a few seconds, so the reading ends there
        // even when the sound track itself ended earlier.
        const int64_t videoSamples = AV.av_rescale_q(Video->FramesDone(), slot, sampleBase);
        s.SoundSearchEnd = AV.av_rescale_q(Video->FramesDone(), slot, s.InputVideo->time_base) +
                           Video->Start() +
                           AV.av_rescale_q(10, AVRational{1, 1}, s.InputVideo->time_base);
        // A still (a cover) lasts as long as all of the sound.
        const bool still = Video->IsStill();
        int64_t soundWanted = videoSamples;
        if (still) {
            const int64_t limit = Video->FrameLimitValue();
            soundWanted = limit == std::numeric_limits<int64_t>::max()
                              ? limit
                              : AV.av_rescale_q(limit, slot, sampleBase);
        }
        while (!s.InputEnded && (still || !s.SoundSearchOver) && Audio->Queued() < soundWanted &&
               !StopSeen()) {
            ReadPacket();
            // No picture comes any more: the last one keeps up with the sound.
            HoldPictureUnderSound(0);
            ReportProgress();
        }
        if (!s.InputEnded) Audio->DecodeAudioPacket(nullptr);
        // Sound that goes on after the pictures end: the last picture stays.
        // At a stop the file ends at the last picture written, and the sound
        // is cut there, what was read past it included.
        const int64_t soundSlots =
            AV.av_rescale_q_rnd(Audio->Queued(), sampleBase, slot, AV_ROUND_DOWN);
        while (Video->CanHoldPicture(soundSlots) && !StopSeen()) Video->EncodeVideoFrame();
        const int64_t framesEncoded = Video->FramesDone();
        if (s.Stopped && framesEncoded > 0) Output->CutSoundAt(framesEncoded, slot);
        const int64_t finalSamples = AV.av_rescale_q(framesEncoded, slot, sampleBase);
        if (framesEncoded > 0 && Audio->Queued() > finalSamples) {
            Audio->DropQueuedSamples(Audio->Queued() - finalSamples);
        } else if (framesEncoded > 0) {
            Audio->QueueSilence(finalSamples - Audio->Queued());
        }
    }
    if (Audio) Audio->FlushAudio();
    if (Video) Video->FlushVideo();
    if (!Observer.IsStopRequested() && s.LastPercent < 100) {
        s.LastPercent = 100;
        Observer.FilePercent(100);
    }
}

// The file's percentage: output time against the length converted (the
// source's, or the part of it the range leaves), or, when the length is
// unknown, the bytes read against the file's size. The output time counts
// from the start of the source's pictures (or the range's start), and the
// library gives the length without that start, so the two compare directly.
void TTranscoder::ReportProgress() {
    TranscodeState& s = *State;
    int64_t percent = 0;
    if (PartLength > 0) {
        // The further of the two streams: sound read behind the last picture
        // moves the progress as well.
        double position = 0;
        if (Video) position = static_cast<double>(Video->FramesDone()) * av_q2d(Video->SlotBase());
        if (Audio) {
            position =
                std::max(position, static_cast<double>(Audio->Queued()) / Current.SampleRate);
        }
        percent = static_cast<int64_t>(position * 100.0 / PartLength);
    } else if (AVIOContext* pb = s.Input->pb) {
        // The packets converted so far say how far into the file they came
        // from; the reading position runs ahead of them by what the demuxer
        // has buffered.
        const int64_t size = AV.avio_size(pb);
        const int64_t position = s.BytesRead > 0 ? s.BytesRead : AV.avio_seek(pb, 0, SEEK_CUR);
        if (size > 0 && position > 0) percent = position * 100 / size;
    }
    percent = std::clamp<int64_t>(percent, 0, 100);
    if (percent > s.LastPercent) {
        s.LastPercent = static_cast<int32_t>(percent);
        Observer.FilePercent(s.LastPercent);
    }
}

void TTranscoder::CheckSourceEnd() {
    TranscodeState& s = *State;
    EndedEarlyAt = -1;
    // Only a length the container states: one guessed from the bitrate, or
    // one measured across jumping time stamps, says nothing of the file's end.
    if (!s.InputEnded || s.Stopped || Duration <= 0 || s.FurthestEnd == AV_NOPTS_VALUE ||
        s.Jumps->Followed() || s.Input->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE) {
        return;
    }
    const double wanted = Range.End > 0 ? std::min(Range.End, Duration) : Duration;
    const double reached = static_cast<double>(s.FurthestEnd) / AV_TIME_BASE;
    // A second, or a fiftieth of the length, is left to the containers'
    // rounding and to sound that stops a little before the pictures.
    if (wanted - reached > std::max(1.0, wanted / 50)) EndedEarlyAt = std::max(reached, 0.0);
}

bool TTranscoder::StopSeen() {
    TranscodeState& s = *State;
    if (!s.Stopped) s.Stopped = Observer.IsStopRequested();
    return s.Stopped;
}

void TTranscoder::NoteDecoding(bool video, bool damaged) {
    TranscodeState& s = *State;
    TranscodeState::DamageWatch& watch = video ? s.VideoDamage : s.AudioDamage;
    if (!damaged) {
        watch.LastGood = s.PacketTime;
        watch.Failures = 0;
        return;
    }
    if (watch.Failures++ == 0) watch.FirstFailure = s.PacketTime;
    if (s.PacketTime - watch.LastGood > kDamageSpan || watch.Failures > kDamagedPacketsInARow) {
        throw DecodingFailure(video, watch.FirstFailure);
    }
    if (!s.DamageReported) {
        s.DamageReported = true;
        Observer.DamagePassedOver(static_cast<double>(s.PacketTime) / AV_TIME_BASE);
    }
}

// A source whose pictures all fail gives no file, not even one of its sound:
// nothing of what was meant to be seen would be in it.
void TTranscoder::CheckSomethingDecoded() {
    TranscodeState& s = *State;
    if (s.Stopped || (Video ? Video->HasPicture() : Audio->HasSound())) return;
    if (!s.PacketsSeen) {
        throw SourceError("The source file has neither pictures nor sound\n", 0,
                          "No picture or sound in the file");
    }
    throw DecodingFailure(Video != nullptr, 0);
}
