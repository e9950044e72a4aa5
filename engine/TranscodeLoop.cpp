// The conversion loop and the video path: pictures are read until the latest
// one reaches into the next output frame slot, and that picture alone is
// scaled and encoded into every slot it covers. A source with more pictures
// per second than the output thus drops pictures, one with fewer repeats them.
#include <algorithm>

#include "EngineError.h"
#include "TranscodeRotation.h"
#include "TranscodeState.h"
#include "Transcoder.h"

namespace {

// The length of one source picture in its stream's time base: what the
// container says, else one frame of the stream's nominal rate.
int64_t PictureDuration(const AVFrame& picture, const AVStream& stream) {
    if (picture.pkt_duration > 0) return picture.pkt_duration;
    AVRational rate = stream.avg_frame_rate;
    if (rate.num <= 0 || rate.den <= 0) rate = stream.r_frame_rate;
    if (rate.num <= 0 || rate.den <= 0) rate = AVRational{25, 1};
    return std::max<int64_t>(1, AV.av_rescale_q(1, av_inv_q(rate), stream.time_base));
}

}  // namespace

void TTranscoder::RunLoop() {
    TranscodeState& s = *State;
    const AVRational sampleBase{1, Parameters.SampleRate};
    // The sound's length that covers the duration, for a source without pictures.
    const int64_t sampleLimit =
        Duration >= 0 ? AV.av_rescale_q_rnd(s.Input->duration, AVRational{1, AV_TIME_BASE},
                                            sampleBase, AV_ROUND_UP)
                      : std::numeric_limits<int64_t>::max();
    while (true) {
        // The pass check: end of input, frame limit, duration reached, stop.
        if (s.InputVideo ? s.VideoDrained : s.InputEnded) break;
        if (s.InputVideo && s.FramesEncoded >= s.FrameLimit) break;
        if (!s.InputVideo && s.SamplesQueued >= sampleLimit) break;
        if (Observer.IsStopRequested()) break;

        if (s.InputVideo) {
            // Reading phase: until the latest picture reaches beyond the start of
            // the next slot to fill. Sound is handled as its packets come up.
            while (!s.VideoDrained &&
                   (!s.DecodedEndKnown || s.FramesEncoded >= s.DecodedSlotsCeil)) {
                if (!ReceivePicture()) s.VideoDrained = true;
            }
            // Encoding phase: the latest picture fills every slot that starts
            // before its end.
            while (s.HavePicture && s.FramesEncoded < s.DecodedSlotsCeil &&
                   s.FramesEncoded < s.FrameLimit) {
                EncodeVideoFrame();
            }
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
            if (s.VideoDecoder && !s.VideoFinished)
                AV.avcodec_send_packet(s.VideoDecoder.get(), nullptr);
            if (s.AudioDecoder) DecodeAudioPacket(nullptr);
            return false;
        }
        const int index = packet->stream_index;
        if (packet->pos >= 0) s.BytesRead = std::max(s.BytesRead, packet->pos + packet->size);
        if (s.InputVideo && index == s.InputVideo->index) {
            if (!s.VideoFinished) {
                const int result = AV.avcodec_send_packet(s.VideoDecoder.get(), packet);
                AV.av_packet_unref(packet);
                if (result < 0 && result != AVERROR_EOF) {
                    throw EngineError("Error while decoding frame \n");
                }
            } else {
                if (packet->dts != AV_NOPTS_VALUE && packet->dts > s.SoundSearchEnd) {
                    s.SoundSearchOver = true;
                }
                AV.av_packet_unref(packet);
            }
            return true;
        }
        if (s.InputAudio && index == s.InputAudio->index) {
            DecodeAudioPacket(packet);
            AV.av_packet_unref(packet);
            return true;
        }
        // Another stream's packet: skipped.
        AV.av_packet_unref(packet);
    }
}

// Takes the decoder's next picture into DecodedPicture, reading packets as the
// decoder needs them. False when the decoder has given its last picture.
bool TTranscoder::ReceivePicture() {
    TranscodeState& s = *State;
    AVFrame* incoming = s.IncomingPicture.get();
    while (true) {
        AV.av_frame_unref(incoming);
        const int result = AV.avcodec_receive_frame(s.VideoDecoder.get(), incoming);
        if (result == 0) break;
        if (result == AVERROR_EOF) return false;
        if (result != AVERROR(EAGAIN)) throw EngineError("Error while decoding frame \n");
        // The decoder wants more input. Once the input has ended it has been
        // told so and gives its last pictures; it never waits for more bytes.
        if (s.InputEnded) return false;
        ReadPacket();
    }
    // The previous picture stays until a new one has arrived, so that the last
    // one can still fill slots after the decoder is drained.
    std::swap(s.DecodedPicture, s.IncomingPicture);
    AVFrame* picture = s.DecodedPicture.get();
    s.HavePicture = true;
    s.PictureScaled = false;

    const AVStream& stream = *s.InputVideo;
    const int64_t duration = PictureDuration(*picture, stream);
    const int64_t pts = picture->best_effort_timestamp;
    int64_t end = pts != AV_NOPTS_VALUE ? pts - s.VideoStart + duration
                                        : (s.DecodedEndKnown ? s.DecodedEnd : 0) + duration;
    // Time never runs backwards for the output.
    if (s.DecodedEndKnown) end = std::max(end, s.DecodedEnd);
    s.DecodedEnd = end;
    s.DecodedEndKnown = true;
    const AVRational slot = s.VideoEncoder->time_base;
    s.DecodedSlotsCeil = AV.av_rescale_q_rnd(end, stream.time_base, slot, AV_ROUND_UP);
    return true;
}

void TTranscoder::ScalePicture() {
    TranscodeState& s = *State;
    const AVFrame& source = *s.DecodedPicture;
    AVFrame& turned = s.Rotation != 0 ? *s.TurnedPicture : *s.OutputPicture;
    if (!s.Scaler || s.ScalerWidth != source.width || s.ScalerHeight != source.height ||
        s.ScalerFormat != source.format) {
        s.Scaler.reset(AV.sws_getContext(
            source.width, source.height, static_cast<AVPixelFormat>(source.format), turned.width,
            turned.height, AV_PIX_FMT_YUV420P, ScaleFlags, nullptr, nullptr, nullptr));
        if (!s.Scaler) throw EngineError("Cannot initialize the video conversion context\n");
        s.ScalerWidth = source.width;
        s.ScalerHeight = source.height;
        s.ScalerFormat = source.format;
    }
    // The encoder may still hold the previous picture's buffer.
    if (AV.av_frame_make_writable(s.OutputPicture.get()) < 0) throw std::bad_alloc();
    AV.sws_scale(s.Scaler.get(), source.data, source.linesize, 0, source.height, turned.data,
                 turned.linesize);
    // Turning the small scaled picture shows the same as scaling the turned
    // source, at a fraction of the work.
    if (s.Rotation != 0) transcode::RotatePicture(turned, *s.OutputPicture, s.Rotation);
    s.PictureScaled = true;
}

// Encodes the latest picture into the next output slot. A picture that fills
// several slots is scaled once.
void TTranscoder::EncodeVideoFrame() {
    TranscodeState& s = *State;
    if (!s.PictureScaled) ScalePicture();
    AVFrame& picture = *s.OutputPicture;
    picture.pts = s.FramesEncoded;
    picture.pict_type = AV_PICTURE_TYPE_NONE;
    if (AV.avcodec_send_frame(s.VideoEncoder.get(), &picture) < 0) {
        throw EngineError("Error while encoding video frame\n");
    }
    ++s.FramesEncoded;
    WritePackets(*s.VideoEncoder, *s.OutputVideo, "Error while encoding video frame\n",
                 "Error while writing video frame\n");
}

void TTranscoder::WritePackets(AVCodecContext& encoder, AVStream& stream, const char* encodeError,
                               const char* writeError) {
    TranscodeState& s = *State;
    AVPacket* packet = s.OutputPacket.get();
    while (true) {
        const int result = AV.avcodec_receive_packet(&encoder, packet);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return;
        if (result < 0) throw EngineError(encodeError);
        // Each picture fills one frame slot; players and the index need that length.
        if (packet->duration <= 0 && encoder.codec_type == AVMEDIA_TYPE_VIDEO) packet->duration = 1;
        AV.av_packet_rescale_ts(packet, encoder.time_base, stream.time_base);
        packet->stream_index = stream.index;
        if (AV.av_interleaved_write_frame(s.Output.get(), packet) < 0) {
            throw EngineError(writeError);
        }
    }
}

// After the loop: the sound is brought level with the pictures (more sound
// read, the last picture held, silence added), the sound still queued is
// encoded and both encoders give up what they hold.
void TTranscoder::FinishStreams() {
    TranscodeState& s = *State;
    if (s.InputVideo && s.InputAudio) {
        const AVRational sampleBase{1, Parameters.SampleRate};
        const AVRational slot = s.VideoEncoder->time_base;
        s.VideoFinished = true;
        // Sound that the source interleaves behind the last picture. No source
        // lags its sound by more than a few seconds, so the reading ends there
        // even when the sound track itself ended earlier.
        const int64_t videoSamples = AV.av_rescale_q(s.FramesEncoded, slot, sampleBase);
        s.SoundSearchEnd = AV.av_rescale_q(s.FramesEncoded, slot, s.InputVideo->time_base) +
                           s.VideoStart +
                           AV.av_rescale_q(10, AVRational{1, 1}, s.InputVideo->time_base);
        while (!s.InputEnded && !s.SoundSearchOver && s.SamplesQueued < videoSamples) {
            ReadPacket();
        }
        if (!s.InputEnded) DecodeAudioPacket(nullptr);
        // Sound that goes on after the pictures end: the last picture stays.
        const int64_t soundSlots =
            AV.av_rescale_q_rnd(s.SamplesQueued, sampleBase, slot, AV_ROUND_DOWN);
        while (s.HavePicture && s.FramesEncoded < soundSlots && s.FramesEncoded < s.FrameLimit) {
            EncodeVideoFrame();
        }
        const int64_t finalSamples = AV.av_rescale_q(s.FramesEncoded, slot, sampleBase);
        if (s.FramesEncoded > 0 && s.SamplesQueued > finalSamples) {
            DropQueuedSamples(s.SamplesQueued - finalSamples);
        } else if (s.FramesEncoded > 0) {
            QueueSilence(finalSamples - s.SamplesQueued);
        }
    }
    if (s.InputAudio) FlushAudio();
    if (s.InputVideo) {
        AV.avcodec_send_frame(s.VideoEncoder.get(), nullptr);
        WritePackets(*s.VideoEncoder, *s.OutputVideo, "Error while encoding video frame\n",
                     "Error while writing video frame\n");
    }
    if (!Observer.IsStopRequested() && s.LastPercent < 100) {
        s.LastPercent = 100;
        Observer.FilePercent(100);
    }
}

// The file's percentage: output time against the source's length, or, when the
// length is unknown, the bytes read against the file's size. The output time
// counts from the start of the source's pictures, and the library gives the
// length without that start, so the two compare directly.
void TTranscoder::ReportProgress() {
    TranscodeState& s = *State;
    int64_t percent = 0;
    if (Duration > 0) {
        const double position =
            s.InputVideo ? static_cast<double>(s.FramesEncoded) * av_q2d(s.VideoEncoder->time_base)
                         : static_cast<double>(s.SamplesQueued) / Parameters.SampleRate;
        percent = static_cast<int64_t>(position * 100.0 / Duration);
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
