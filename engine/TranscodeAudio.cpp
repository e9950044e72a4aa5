// The audio path: decoded sound is resampled to the output's rate and channels,
// queued in a FIFO and leaves it in whole encoder frames (160 samples for AMR
// narrow-band), each encoded and written as soon as it is complete.
#include <algorithm>
#include <new>
#include <vector>

#include "EngineError.h"
#include "TranscodeState.h"
#include "Transcoder.h"

namespace {

constexpr const char* kConversionError = "Cannot initialize the audio conversion context\n";

// A frame of interleaved 16-bit sound with room for at least samples samples.
av::FramePtr NewSoundBuffer(int channels, int sampleRate, int samples) {
    av::FramePtr frame(AV.av_frame_alloc());
    if (!frame) throw std::bad_alloc();
    frame->format = AV_SAMPLE_FMT_S16;
    frame->sample_rate = sampleRate;
    frame->nb_samples = samples;
    AV.av_channel_layout_default(&frame->ch_layout, channels);
    if (AV.av_frame_get_buffer(frame.get(), 0) < 0) throw std::bad_alloc();
    return frame;
}

}  // namespace

// Hands one packet of the source's sound to its decoder (none: the input has
// ended) and passes on every sound frame the decoder gives.
void TTranscoder::DecodeAudioPacket(const AVPacket* packet) {
    TranscodeState& s = *State;
    AVCodecContext* decoder = s.AudioDecoder.get();
    const int sent = AV.avcodec_send_packet(decoder, packet);
    if (sent < 0 && sent != AVERROR_EOF) throw EngineError("Error while decoding frame \n");
    AVFrame* decoded = s.DecodedAudio.get();
    while (true) {
        const int result = AV.avcodec_receive_frame(decoder, decoded);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) break;
        if (result < 0) throw EngineError("Error while decoding frame \n");
        QueueAudio(*decoded);
        AV.av_frame_unref(decoded);
    }
    if (!packet && s.Resampler && s.ResampledAudio) {
        // The resampler's own delay, the very end of the sound.
        const int produced = AV.swr_convert(s.Resampler.get(), s.ResampledAudio->data,
                                            s.ResampledAudio->nb_samples, nullptr, 0);
        if (produced > 0) QueueSamples(s.ResampledAudio->data[0], produced);
    }
}

void TTranscoder::QueueAudio(const AVFrame& decoded) {
    TranscodeState& s = *State;
    const AVRational sampleBase{1, Parameters.SampleRate};
    if (!s.Resampler || s.ResamplerFormat != decoded.format ||
        s.ResamplerRate != decoded.sample_rate ||
        s.ResamplerChannels != decoded.ch_layout.nb_channels) {
        s.Resampler.reset();
        AVChannelLayout input{};
        if (decoded.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
            AV.av_channel_layout_default(&input, decoded.ch_layout.nb_channels);
        } else {
            input = decoded.ch_layout;
        }
        AVChannelLayout output{};
        AV.av_channel_layout_default(&output, Parameters.Channels);
        SwrContext* resampler = nullptr;
        const int result = AV.swr_alloc_set_opts2(
            &resampler, &output, AV_SAMPLE_FMT_S16, Parameters.SampleRate, &input,
            static_cast<AVSampleFormat>(decoded.format), decoded.sample_rate, 0, nullptr);
        AV.av_channel_layout_uninit(&output);
        s.Resampler.reset(resampler);
        if (result < 0 || !resampler || AV.swr_init(resampler) < 0) {
            throw EngineError(kConversionError);
        }
        s.ResamplerFormat = decoded.format;
        s.ResamplerRate = decoded.sample_rate;
        s.ResamplerChannels = decoded.ch_layout.nb_channels;
    }

    // The first sound is placed against the first picture: sound that starts
    // later gets as much silence in front, sound that starts earlier loses
    // what comes before the pictures.
    if (!s.AudioStartSeen) {
        s.AudioStartSeen = true;
        const int64_t pts = decoded.best_effort_timestamp;
        if (s.InputVideo && pts != AV_NOPTS_VALUE) {
            const int64_t offset =
                AV.av_rescale_q(pts, s.InputAudio->time_base, sampleBase) -
                AV.av_rescale_q(s.VideoStart, s.InputVideo->time_base, sampleBase);
            if (offset > 0) {
                QueueSilence(offset);
            } else {
                s.AudioSkip = -offset;
            }
        }
    }

    const int64_t pending =
        AV.swr_get_delay(s.Resampler.get(), decoded.sample_rate) + decoded.nb_samples;
    const int capacity =
        static_cast<int>(AV.av_rescale_q_rnd(pending, AVRational{1, decoded.sample_rate},
                                             sampleBase, AV_ROUND_UP)) +
        16;
    if (!s.ResampledAudio || s.ResampledAudio->nb_samples < capacity) {
        s.ResampledAudio =
            NewSoundBuffer(Parameters.Channels, Parameters.SampleRate, std::max(capacity, 4096));
    }
    const int produced =
        AV.swr_convert(s.Resampler.get(), s.ResampledAudio->data, s.ResampledAudio->nb_samples,
                       const_cast<const uint8_t**>(decoded.extended_data), decoded.nb_samples);
    if (produced < 0) throw EngineError(kConversionError);
    QueueSamples(s.ResampledAudio->data[0], produced);
}

// Appends interleaved output samples to the FIFO (less what is still to be
// dropped) and encodes every whole frame it then holds.
void TTranscoder::QueueSamples(const uint8_t* samples, int64_t count) {
    TranscodeState& s = *State;
    if (s.AudioSkip > 0) {
        const int64_t skipped = std::min(s.AudioSkip, count);
        s.AudioSkip -= skipped;
        samples += skipped * s.BytesPerSample;
        count -= skipped;
    }
    if (count <= 0) return;
    void* planes[1] = {const_cast<uint8_t*>(samples)};
    if (AV.av_audio_fifo_write(s.AudioFifo.get(), planes, static_cast<int>(count)) < count) {
        throw std::bad_alloc();
    }
    s.SamplesQueued += count;
    while (AV.av_audio_fifo_size(s.AudioFifo.get()) >= s.AudioFrameSamples) EncodeAudioFrame();
}

void TTranscoder::QueueSilence(int64_t count) {
    if (count <= 0) return;
    constexpr int64_t kChunk = 4096;
    const std::vector<uint8_t> silence(kChunk * State->BytesPerSample, 0);
    while (count > 0) {
        const int64_t part = std::min(count, kChunk);
        QueueSamples(silence.data(), part);
        count -= part;
    }
}

// Takes back up to count samples from the end of the queue; what was already
// encoded stays.
void TTranscoder::DropQueuedSamples(int64_t count) {
    TranscodeState& s = *State;
    AVAudioFifo* fifo = s.AudioFifo.get();
    const int64_t queued = AV.av_audio_fifo_size(fifo);
    int64_t keep = queued - std::min(count, queued);
    s.SamplesQueued -= queued - keep;
    // The FIFO is emptied through a scratch buffer and refilled with what stays.
    av::FramePtr scratch =
        NewSoundBuffer(Parameters.Channels, Parameters.SampleRate, static_cast<int>(queued) + 1);
    void* planes[1] = {scratch->data[0]};
    if (queued > 0 && AV.av_audio_fifo_read(fifo, planes, static_cast<int>(queued)) < queued) {
        throw EngineError("Error while reading audio FIFO buffer\n");
    }
    if (keep > 0 && AV.av_audio_fifo_write(fifo, planes, static_cast<int>(keep)) < keep) {
        throw std::bad_alloc();
    }
}

// Takes exactly one encoder frame from the FIFO, encodes and writes it.
void TTranscoder::EncodeAudioFrame() {
    TranscodeState& s = *State;
    AVFrame& frame = *s.AudioFrame;
    // The encoder may still hold the previous frame's buffer.
    if (AV.av_frame_make_writable(&frame) < 0) throw std::bad_alloc();
    frame.nb_samples = s.AudioFrameSamples;
    if (AV.av_audio_fifo_read(s.AudioFifo.get(), reinterpret_cast<void**>(frame.data),
                              s.AudioFrameSamples) < s.AudioFrameSamples) {
        throw EngineError("Error while reading audio FIFO buffer\n");
    }
    frame.pts = s.SamplesEncoded;
    s.SamplesEncoded += s.AudioFrameSamples;
    if (AV.avcodec_send_frame(s.AudioEncoder.get(), &frame) < 0) {
        throw EngineError("Error while encoding audio frame\n");
    }
    WritePackets(*s.AudioEncoder, *s.OutputAudio, "Error while encoding audio frame\n",
                 "Error while writing audio frame\n");
}

// The last sound: a part frame is completed with silence, then the encoder
// gives up what it holds.
void TTranscoder::FlushAudio() {
    TranscodeState& s = *State;
    const int remainder = AV.av_audio_fifo_size(s.AudioFifo.get());
    if (remainder > 0) QueueSilence(s.AudioFrameSamples - remainder);
    AV.avcodec_send_frame(s.AudioEncoder.get(), nullptr);
    WritePackets(*s.AudioEncoder, *s.OutputAudio, "Error while encoding audio frame\n",
                 "Error while writing audio frame\n");
}
