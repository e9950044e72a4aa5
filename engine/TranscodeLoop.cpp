// The conversion loop between the parts: pictures are read until the latest
// one reaches into the next output frame slot, and that picture alone is
// scaled and encoded into every slot it covers. A source with more pictures
// per second than the output thus drops pictures, one with fewer repeats them.
// Sound goes through the audio path as its packets come up.
#include <algorithm>
#include <cmath>

#include "AudioPath.h"
#include "EngineError.h"
#include "OutputFile.h"
#include "TranscodeState.h"
#include "Transcoder.h"
#include "VideoPath.h"

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
        if (!Video && Audio->Queued() >= sampleLimit) break;
        if (Observer.IsStopRequested()) break;

        if (Video) {
            // Reading phase: until the latest picture reaches beyond the start of
            // the next slot to fill. Sound is handled as its packets come up.
            while (!s.VideoDrained && Video->NeedsPicture()) {
                if (!ReceivePicture()) s.VideoDrained = true;
            }
            // Encoding phase: the latest picture fills every slot that starts
            // before its end.
            while (Video->PictureFillsNextSlot()) Video->EncodeVideoFrame();
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
        if (AV.av_read_frame(s.Input.get(), packet) < 0) {
            s.InputEnded = true;
            if (Video && !s.VideoFinished) Video->SendEnd();
            if (Audio) Audio->DecodeAudioPacket(nullptr);
            return false;
        }
        const int index = packet->stream_index;
        if (packet->pos >= 0) s.BytesRead = std::max(s.BytesRead, packet->pos + packet->size);
        if (s.InputVideo && index == s.InputVideo->index) {
            if (!s.VideoFinished) {
                Video->SendPacket(*packet);
            } else {
                if (packet->dts != AV_NOPTS_VALUE && packet->dts > s.SoundSearchEnd) {
                    s.SoundSearchOver = true;
                }
                AV.av_packet_unref(packet);
            }
            return true;
        }
        if (s.InputAudio && index == s.InputAudio->index) {
            Audio->DecodeAudioPacket(packet);
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
            case transcode::VideoPath::Received::Picture:
                return true;
            case transcode::VideoPath::Received::Ended:
                return false;
            case transcode::VideoPath::Received::NeedsInput:
                // Once the input has ended the decoder has been told so and gives
                // its last pictures; it never waits for more bytes.
                if (State->InputEnded) return false;
                ReadPacket();
                break;
        }
    }
}

// After the loop: the sound is brought level with the pictures (more sound
// read, the last picture held, silence added), the sound still queued is
// encoded and both encoders give up what they hold.
void TTranscoder::FinishStreams() {
    TranscodeState& s = *State;
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
        while (!s.InputEnded && !s.SoundSearchOver && Audio->Queued() < videoSamples) {
            ReadPacket();
        }
        if (!s.InputEnded) Audio->DecodeAudioPacket(nullptr);
        // Sound that goes on after the pictures end: the last picture stays.
        const int64_t soundSlots =
            AV.av_rescale_q_rnd(Audio->Queued(), sampleBase, slot, AV_ROUND_DOWN);
        while (Video->CanHoldPicture(soundSlots)) Video->EncodeVideoFrame();
        const int64_t framesEncoded = Video->FramesDone();
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
        const double position =
            Video ? static_cast<double>(Video->FramesDone()) * av_q2d(Video->SlotBase())
                  : static_cast<double>(Audio->Queued()) / Current.SampleRate;
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
