// The audio path: decoded sound is resampled to the output's rate and channels,
// queued in a FIFO and leaves it in whole encoder frames (160 samples for AMR
// narrow-band), each encoded and written as soon as it is complete.
#include "AudioPath.h"

#include <algorithm>
#include <new>
#include <vector>

#include "CodecSetup.h"
#include "EngineError.h"
#include "OutputFile.h"

namespace transcode {

namespace {

// The most, in seconds, by which sound is placed again after a jump.
constexpr int64_t kLargestPlacement = 10;

// A break in the sound's time stamps of more than this, in microseconds,
// places the sound again: more than any rounding of the formats' clocks.
constexpr int64_t kGapTolerance = AV_TIME_BASE / 10;

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

constexpr char kEncodeError[] = "Error while encoding audio frame\n";
constexpr char kWriteError[] = "Error while writing audio frame\n";

}  // namespace

TAudioPath::TAudioPath(const ConversionParameters& parameters, const AVStream& source,
                       TOutputFile& output)
    : Parameters(parameters), Source(source), Output(output), Sink(output) {}

void TAudioPath::StartDecoder() {
    AudioDecoder = transcode::StartDecoder(Source, "Could not open in audio codec\n");
    DecodedAudio = NewFrame();
}

void TAudioPath::PlaceAgainstVideo(const AVStream& video, int64_t videoStart) {
    PlacedAgainstVideo = true;
    VideoStartSamples =
        AV.av_rescale_q(videoStart, video.time_base, AVRational{1, Parameters.SampleRate});
}

void TAudioPath::PlaceAgainFrom(int64_t time) {
    if (PlacedAgainstVideo && AudioStartSeen) PlaceAgainAt = time;
}

void TAudioPath::NewAudioStream() {
    AudioEncoder = NewEncoder(Parameters.AudioCodecId, "No AMR narrow-band encoder");
    OutputAudio = &Output.NewStream(1);

    AVCodecContext& c = *AudioEncoder;
    c.bit_rate = Parameters.AudioBitRate;
    c.sample_rate = Parameters.SampleRate;
    AV.av_channel_layout_default(&c.ch_layout, Parameters.Channels);
    c.sample_fmt = AV_SAMPLE_FMT_S16;
    c.time_base = AVRational{1, Parameters.SampleRate};
    OutputAudio->time_base = c.time_base;
}

void TAudioPath::StartAudioEncoder() {
    AVCodecContext& c = *AudioEncoder;
    bool takesS16 = !c.codec->sample_fmts;
    for (const AVSampleFormat* f = c.codec->sample_fmts; f && *f != AV_SAMPLE_FMT_NONE; ++f) {
        takesS16 = takesS16 || *f == AV_SAMPLE_FMT_S16;
    }
    if (!takesS16) {
        throw DestinationError("Could not open out audio codec\n", 0,
                               "The encoder takes no 16-bit samples");
    }
    if (const int code = AV.avcodec_open2(&c, c.codec, nullptr); code < 0) {
        throw DestinationError("Could not open out audio codec\n", code);
    }
    if (const int code = AV.avcodec_parameters_from_context(OutputAudio->codecpar, &c); code < 0) {
        throw DestinationError("Invalid output format parameters\n", code);
    }
    // 160 samples per channel for AMR narrow-band.
    AudioFrameSamples = c.frame_size > 0 ? c.frame_size : 1024;
    BytesPerSample = 2 * c.ch_layout.nb_channels;
    AudioFifo.reset(
        AV.av_audio_fifo_alloc(c.sample_fmt, c.ch_layout.nb_channels, 262144 / BytesPerSample));
    AudioFrame = NewFrame();
    AudioFrame->format = c.sample_fmt;
    AudioFrame->sample_rate = c.sample_rate;
    AudioFrame->nb_samples = AudioFrameSamples;
    AV.av_channel_layout_default(&AudioFrame->ch_layout, c.ch_layout.nb_channels);
    if (!AudioFifo || AV.av_frame_get_buffer(AudioFrame.get(), 0) < 0) {
        throw std::bad_alloc();
    }
    if (Parameters.EvenLoudness) {
        Loudness = std::make_unique<TLoudnessFilter>(c.sample_rate, c.ch_layout.nb_channels);
    }
}

TAudioPath::Decoded TAudioPath::DecodeAudioPacket(const AVPacket* packet) {
    AVCodecContext* decoder = AudioDecoder.get();
    const int sent = AV.avcodec_send_packet(decoder, packet);
    Decoded outcome = Decoded::Nothing;
    if (sent < 0 && sent != AVERROR_EOF) outcome = Decoded::Damaged;
    AVFrame* decoded = DecodedAudio.get();
    // A damaged packet makes the decoder report an error once and go on; a
    // decoder that keeps reporting them is left for the next packet.
    for (int errors = 0; errors < 16;) {
        const int result = AV.avcodec_receive_frame(decoder, decoded);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) break;
        if (result < 0) {
            outcome = Decoded::Damaged;
            ++errors;
            continue;
        }
        SoundDecoded = true;
        if (outcome == Decoded::Nothing) outcome = Decoded::Sound;
        QueueAudio(*decoded);
        AV.av_frame_unref(decoded);
    }
    if (!packet && Downmix) {
        Downmix->Finish(
            [this](const uint8_t* samples, int64_t count) { QueueSamples(samples, count); });
    }
    if (!packet && Resampler && ResampledAudio) {
        // The resampler's own delay, the very end of the sound.
        const int produced = AV.swr_convert(Resampler.get(), ResampledAudio->data,
                                            ResampledAudio->nb_samples, nullptr, 0);
        if (produced > 0) QueueSamples(ResampledAudio->data[0], produced);
    }
    return outcome;
}

void TAudioPath::QueueAudio(const AVFrame& decoded) {
    const AVRational sampleBase{1, Parameters.SampleRate};
    if (TDialogueDownmix::Applies(decoded.ch_layout, Parameters.Channels)) {
        if (!Downmix || !Downmix->Matches(decoded)) {
            // What the previous kind of sound left in the mix comes first.
            if (Downmix)
                Downmix->Finish([this](const uint8_t* s, int64_t n) { QueueSamples(s, n); });
            Downmix = std::make_unique<TDialogueDownmix>(decoded, Parameters.SampleRate);
        }
        PlaceFirstSound(decoded);
        PlaceAgainIfDue(decoded, 0);
        Downmix->Convert(decoded, [this](const uint8_t* s, int64_t n) { QueueSamples(s, n); });
        return;
    }
    if (!Resampler || ResamplerFormat != decoded.format || ResamplerRate != decoded.sample_rate ||
        ResamplerChannels != decoded.ch_layout.nb_channels) {
        Resampler.reset();
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
        Resampler.reset(resampler);
        const int code = result < 0 || !resampler ? result : AV.swr_init(resampler);
        if (code < 0 || !resampler) {
            throw SourceError(kConversionError, code < 0 ? code : AVERROR(ENOMEM));
        }
        ResamplerFormat = decoded.format;
        ResamplerRate = decoded.sample_rate;
        ResamplerChannels = decoded.ch_layout.nb_channels;
    }

    PlaceFirstSound(decoded);

    PlaceAgainIfDue(decoded, AV.swr_get_delay(Resampler.get(), Parameters.SampleRate));

    const int64_t pending =
        AV.swr_get_delay(Resampler.get(), decoded.sample_rate) + decoded.nb_samples;
    const int capacity =
        static_cast<int>(AV.av_rescale_q_rnd(pending, AVRational{1, decoded.sample_rate},
                                             sampleBase, AV_ROUND_UP)) +
        16;
    if (!ResampledAudio || ResampledAudio->nb_samples < capacity) {
        ResampledAudio =
            NewSoundBuffer(Parameters.Channels, Parameters.SampleRate, std::max(capacity, 4096));
    }
    const int produced =
        AV.swr_convert(Resampler.get(), ResampledAudio->data, ResampledAudio->nb_samples,
                       const_cast<const uint8_t**>(decoded.extended_data), decoded.nb_samples);
    if (produced < 0) throw SourceError(kConversionError, produced);
    QueueSamples(ResampledAudio->data[0], produced);
}

// Where the sound's time stamps break from one decoded frame to the next by
// more than kGapTolerance (a gap in the recording, or a jump the input's
// clock followed), its next sound is placed again against the pictures: a
// gap is filled with silence and an overlap dropped, so that the sound stays
// in step with the pictures, which keep their own times.
void TAudioPath::PlaceAgainIfDue(const AVFrame& decoded, int64_t delay) {
    const int64_t pts = decoded.best_effort_timestamp;
    if (pts == AV_NOPTS_VALUE) return;
    if (NextSoundPts != AV_NOPTS_VALUE && PlaceAgainAt == AV_NOPTS_VALUE) {
        const int64_t apart =
            AV.av_rescale_q(pts - NextSoundPts, Source.time_base, AVRational{1, AV_TIME_BASE});
        if (apart > kGapTolerance || apart < -kGapTolerance) PlaceAgainFrom(pts);
    }
    NextSoundPts = pts + AV.av_rescale_q(decoded.nb_samples, AVRational{1, decoded.sample_rate},
                                         Source.time_base);
    if (PlaceAgainAt == AV_NOPTS_VALUE || pts < PlaceAgainAt) return;
    PlaceAgainAt = AV_NOPTS_VALUE;
    const AVRational sampleBase{1, Parameters.SampleRate};
    // Where this sound's first sample would land, the conversion's delay and
    // the samples still to drop counted, against where its time says.
    const int64_t landing = SamplesQueued - AudioSkip + delay;
    const int64_t wanted = AV.av_rescale_q(pts, Source.time_base, sampleBase) - VideoStartSamples;
    int64_t late = wanted - landing;
    // Times that far apart are no join's doing: the sound runs on as it is.
    if (late <= -kLargestPlacement * Parameters.SampleRate ||
        late >= kLargestPlacement * Parameters.SampleRate) {
        return;
    }
    const int64_t undropped = std::clamp<int64_t>(late, 0, AudioSkip);
    AudioSkip -= undropped;
    late -= undropped;
    if (late > 0) {
        QueueSilence(late);
    } else {
        AudioSkip -= late;
    }
}

// The first sound is placed against the first picture: sound that starts
// later gets as much silence in front, sound that starts earlier loses what
// comes before the pictures.
void TAudioPath::PlaceFirstSound(const AVFrame& decoded) {
    if (AudioStartSeen) return;
    AudioStartSeen = true;
    const AVRational sampleBase{1, Parameters.SampleRate};
    const int64_t pts = decoded.best_effort_timestamp;
    if (PlacedAgainstVideo && pts != AV_NOPTS_VALUE) {
        // Silence queued before it (FillSilenceUpTo) counts.
        const int64_t offset =
            AV.av_rescale_q(pts, Source.time_base, sampleBase) - VideoStartSamples - SamplesQueued;
        if (offset > 0) {
            QueueSilence(offset);
        } else {
            AudioSkip = -offset;
        }
    }
}

// Appends interleaved output samples to the FIFO (less what is still to be
// dropped) and encodes every whole frame it then holds.
void TAudioPath::QueueSamples(const uint8_t* samples, int64_t count) {
    if (AudioSkip > 0) {
        const int64_t skipped = std::min(AudioSkip, count);
        AudioSkip -= skipped;
        samples += skipped * BytesPerSample;
        count -= skipped;
    }
    if (count <= 0) return;
    SamplesQueued += count;
    if (Loudness && !LoudnessFinished) {
        Loudness->Push(samples, count, [this](const uint8_t* out, int64_t n) { FillFifo(out, n); });
    } else {
        FillFifo(samples, count);
    }
}

void TAudioPath::FillFifo(const uint8_t* samples, int64_t count) {
    count = std::min(count, FifoLimit - SamplesToFifo);
    if (count <= 0) return;
    void* planes[1] = {const_cast<uint8_t*>(samples)};
    if (AV.av_audio_fifo_write(AudioFifo.get(), planes, static_cast<int>(count)) < count) {
        throw std::bad_alloc();
    }
    SamplesToFifo += count;
    while (AV.av_audio_fifo_size(AudioFifo.get()) >= AudioFrameSamples) EncodeAudioFrame();
}

void TAudioPath::FinishLoudness(int64_t total) {
    if (!Loudness || LoudnessFinished) return;
    LoudnessFinished = true;
    FifoLimit = total;
    Loudness->Finish([this](const uint8_t* out, int64_t n) { FillFifo(out, n); });
    FifoLimit = std::numeric_limits<int64_t>::max();
    if (SamplesToFifo < total) {
        const std::vector<uint8_t> silence(
            static_cast<std::size_t>(total - SamplesToFifo) * BytesPerSample, 0);
        FillFifo(silence.data(), total - SamplesToFifo);
    }
}

void TAudioPath::QueueSilence(int64_t count) {
    if (count <= 0) return;
    constexpr int64_t kChunk = 4096;
    const std::vector<uint8_t> silence(kChunk * BytesPerSample, 0);
    while (count > 0) {
        const int64_t part = std::min(count, kChunk);
        QueueSamples(silence.data(), part);
        count -= part;
    }
}

void TAudioPath::FillSilenceUpTo(int64_t samples) {
    if (SamplesQueued >= samples) return;
    QueueSilence(samples - SamplesQueued);
    if (NextSoundPts != AV_NOPTS_VALUE) PlaceAgainFrom(NextSoundPts);
}

// Takes back up to count samples from the end of the queue; what was already
// encoded stays.

void TAudioPath::DropQueuedSamples(int64_t count) {
    if (Loudness && !LoudnessFinished) {
        // The filter still holds the end of the queue: it ends short of it.
        count = std::min(count, SamplesQueued);
        FinishLoudness(SamplesQueued - count);
        SamplesQueued -= count;
        return;
    }
    AVAudioFifo* fifo = AudioFifo.get();
    const int64_t queued = AV.av_audio_fifo_size(fifo);
    int64_t keep = queued - std::min(count, queued);
    SamplesQueued -= queued - keep;
    // The FIFO is emptied through a scratch buffer and refilled with what stays.
    av::FramePtr scratch =
        NewSoundBuffer(Parameters.Channels, Parameters.SampleRate, static_cast<int>(queued) + 1);
    void* planes[1] = {scratch->data[0]};
    if (queued > 0 && AV.av_audio_fifo_read(fifo, planes, static_cast<int>(queued)) < queued) {
        throw SourceError("Error while reading audio FIFO buffer\n", 0,
                          "Fewer samples queued than needed");
    }
    if (keep > 0 && AV.av_audio_fifo_write(fifo, planes, static_cast<int>(keep)) < keep) {
        throw std::bad_alloc();
    }
}

// Takes exactly one encoder frame from the FIFO, encodes and writes it.
void TAudioPath::EncodeAudioFrame() {
    AVFrame& frame = *AudioFrame;
    // The encoder may still hold the previous frame's buffer.
    if (AV.av_frame_make_writable(&frame) < 0) throw std::bad_alloc();
    frame.nb_samples = AudioFrameSamples;
    if (AV.av_audio_fifo_read(AudioFifo.get(), reinterpret_cast<void**>(frame.data),
                              AudioFrameSamples) < AudioFrameSamples) {
        throw SourceError("Error while reading audio FIFO buffer\n", 0,
                          "Fewer samples queued than needed");
    }
    frame.pts = SamplesEncoded;
    SamplesEncoded += AudioFrameSamples;
    if (const int code = AV.avcodec_send_frame(AudioEncoder.get(), &frame); code < 0) {
        throw DestinationError(kEncodeError, code);
    }
    WritePackets();
}

void TAudioPath::WritePackets() {
    if (!Packet) Packet = NewPacket();
    while (ReceivePacket(*AudioEncoder, *OutputAudio, *Packet, kEncodeError)) {
        Sink.WritePacket(*Packet, kWriteError);
    }
}

// The last sound: a part frame is completed with silence, then the encoder
// gives up what it holds.
void TAudioPath::FlushAudio() {
    FinishLoudness(SamplesQueued);
    const int remainder = AV.av_audio_fifo_size(AudioFifo.get());
    if (remainder > 0) QueueSilence(AudioFrameSamples - remainder);
    AV.avcodec_send_frame(AudioEncoder.get(), nullptr);
    WritePackets();
    Sink.EndStream(OutputAudio->index);
}

}  // namespace transcode
