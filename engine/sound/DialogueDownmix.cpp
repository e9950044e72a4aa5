#include "DialogueDownmix.h"

#include <algorithm>
#include <cmath>

#include "CodecSetup.h"
#include "EngineError.h"

namespace transcode {

namespace {

// How far the limiter looks ahead, and how soon it lets the level come back.
constexpr double kLookAheadSeconds = 0.005;
constexpr double kReleaseSeconds = 0.08;

// The channels of a layout in its order; a layout that names none is taken
// as the usual one of its channel count.
std::vector<int32_t> ChannelsOf(const AVChannelLayout& layout) {
    AVChannelLayout known{};
    if (layout.order == AV_CHANNEL_ORDER_UNSPEC) {
        AV.av_channel_layout_default(&known, layout.nb_channels);
    } else {
        known = layout;
    }
    std::vector<int32_t> channels;
    if (known.order == AV_CHANNEL_ORDER_NATIVE) {
        for (int32_t bit = 0; bit < 64; ++bit) {
            if (known.u.mask & (uint64_t{1} << bit)) channels.push_back(bit);
        }
    } else if (known.order == AV_CHANNEL_ORDER_CUSTOM) {
        for (int i = 0; i < known.nb_channels; ++i) channels.push_back(known.u.map[i].id);
    } else {
        channels.assign(static_cast<std::size_t>(known.nb_channels), AV_CHAN_UNKNOWN);
    }
    if (layout.order == AV_CHANNEL_ORDER_UNSPEC) AV.av_channel_layout_uninit(&known);
    return channels;
}

// A channel's share of the mono mix.
double ShareOf(int32_t channel) {
    switch (channel) {
        case AV_CHAN_FRONT_CENTER:
            return 0.707;
        case AV_CHAN_FRONT_LEFT:
        case AV_CHAN_FRONT_RIGHT:
        case AV_CHAN_FRONT_LEFT_OF_CENTER:
        case AV_CHAN_FRONT_RIGHT_OF_CENTER:
            return 0.5;
        case AV_CHAN_LOW_FREQUENCY:
        case AV_CHAN_LOW_FREQUENCY_2:
            return 0.0;
        default:  // the surrounds, behind and at the sides, and the rest
            return 0.354;
    }
}

constexpr const char* kConversionError = "Cannot initialize the audio conversion context\n";

}  // namespace

bool TDialogueDownmix::Applies(const AVChannelLayout& layout, int32_t outputChannels) {
    if (outputChannels != 1 || layout.nb_channels < 3) return false;
    const std::vector<int32_t> channels = ChannelsOf(layout);
    return std::find(channels.begin(), channels.end(), AV_CHAN_FRONT_CENTER) != channels.end();
}

TDialogueDownmix::TDialogueDownmix(const AVFrame& first, int32_t outputRate)
    : Format(first.format),
      Rate(first.sample_rate),
      Channels(ChannelsOf(first.ch_layout)),
      OutputRate(outputRate),
      Peaks(outputRate) {
    AVChannelLayout input{};
    AV.av_channel_layout_default(&input, static_cast<int>(Channels.size()));
    AVChannelLayout mono{};
    AV.av_channel_layout_default(&mono, 1);
    SwrContext* resampler = nullptr;
    // The input's own layout is given as one of its channel count: the
    // matrix below says what each channel is worth.
    int code = AV.swr_alloc_set_opts2(&resampler, &mono, AV_SAMPLE_FMT_FLT, outputRate, &input,
                                      static_cast<AVSampleFormat>(first.format), first.sample_rate,
                                      0, nullptr);
    AV.av_channel_layout_uninit(&input);
    AV.av_channel_layout_uninit(&mono);
    Resampler.reset(resampler);
    if (code >= 0 && resampler) {
        std::vector<double> matrix;
        for (const int32_t channel : Channels) matrix.push_back(ShareOf(channel));
        code = AV.swr_set_matrix(resampler, matrix.data(), static_cast<int>(matrix.size()));
        if (code >= 0) code = AV.swr_init(resampler);
    }
    if (code < 0 || !resampler) throw SourceError(kConversionError, code < 0 ? code : 0);
}

bool TDialogueDownmix::Matches(const AVFrame& frame) const {
    return frame.format == Format && frame.sample_rate == Rate &&
           ChannelsOf(frame.ch_layout) == Channels;
}

void TDialogueDownmix::Convert(const AVFrame& decoded, const Sink& sink) {
    const int64_t pending = AV.swr_get_delay(Resampler.get(), Rate) + decoded.nb_samples;
    const int capacity =
        static_cast<int>(AV.av_rescale_q_rnd(pending, AVRational{1, Rate},
                                             AVRational{1, OutputRate}, AV_ROUND_UP)) +
        16;
    if (Mixed.size() < static_cast<std::size_t>(capacity)) Mixed.resize(capacity);
    uint8_t* out[1] = {reinterpret_cast<uint8_t*>(Mixed.data())};
    const int produced =
        AV.swr_convert(Resampler.get(), out, capacity,
                       const_cast<const uint8_t**>(decoded.extended_data), decoded.nb_samples);
    if (produced < 0) throw SourceError(kConversionError, produced);
    Pass(produced, sink);
}

void TDialogueDownmix::Finish(const Sink& sink) {
    if (Mixed.size() < 4096) Mixed.resize(4096);
    uint8_t* out[1] = {reinterpret_cast<uint8_t*>(Mixed.data())};
    const int produced =
        AV.swr_convert(Resampler.get(), out, static_cast<int>(Mixed.size()), nullptr, 0);
    if (produced > 0) Pass(produced, sink);
    Limited.clear();
    Peaks.Finish(Limited);
    if (!Limited.empty()) {
        sink(reinterpret_cast<const uint8_t*>(Limited.data()),
             static_cast<int64_t>(Limited.size()));
    }
}

void TDialogueDownmix::Pass(int produced, const Sink& sink) {
    Limited.clear();
    Peaks.Push(Mixed.data(), produced, Limited);
    if (!Limited.empty()) {
        sink(reinterpret_cast<const uint8_t*>(Limited.data()),
             static_cast<int64_t>(Limited.size()));
    }
}

TDialogueDownmix::TLimiter::TLimiter(int32_t sampleRate)
    : Samples(static_cast<std::size_t>(std::max(1.0, kLookAheadSeconds * sampleRate)) + 1),
      Needed(Samples.size()),
      Release(static_cast<float>(1.0 - std::exp(-1.0 / (kReleaseSeconds * sampleRate)))) {}

void TDialogueDownmix::TLimiter::Push(const float* samples, int64_t count,
                                      std::vector<int16_t>& out) {
    for (int64_t i = 0; i < count; ++i) Take(samples[i], out);
}

void TDialogueDownmix::TLimiter::Finish(std::vector<int16_t>& out) {
    // The ring holds one sample less than its size that has not come out.
    if (Held > 0) {
        for (std::size_t i = 1; i < Samples.size(); ++i) Take(0.0f, out);
    }
    Held = 0;
    Next = 0;
    Gain = 1.0f;
}

// The sample goes into the ring; once the ring is full its oldest sample
// leaves with a gain that has been falling, a straight line over the
// look-ahead, towards what each later sample in the ring needs, and that
// rises again slowly once no peak is ahead.
void TDialogueDownmix::TLimiter::Take(float sample, std::vector<int16_t>& out) {
    const std::size_t size = Samples.size();
    const float level = std::fabs(sample);
    Samples[Next] = sample;
    Needed[Next] = level > Ceiling ? Ceiling / level : 1.0f;
    Next = (Next + 1) % size;
    if (Held < size) ++Held;
    if (Held < size) return;
    // Next now points at the oldest sample.
    float wanted = 1.0f;
    const float span = static_cast<float>(size - 1);
    for (std::size_t k = 0; k < size; ++k) {
        const float needed = Needed[(Next + k) % size];
        if (needed >= 1.0f) continue;
        wanted = std::min(wanted, needed + (1.0f - needed) * static_cast<float>(k) / span);
    }
    Gain = std::min(wanted, Gain + (1.0f - Gain) * Release);
    const float value = Samples[Next] * Gain * 32768.0f;
    out.push_back(static_cast<int16_t>(std::clamp(std::lround(value), -32768L, 32767L)));
}

}  // namespace transcode
