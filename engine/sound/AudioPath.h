// The audio path of one conversion: the source's sound decoder, the resampler
// to the output's rate and channels, the FIFO that cuts the sound into whole
// encoder frames, and the sound encoder.
#pragma once

#include <cstdint>
#include <limits>
#include <memory>

#include "AvPtr.h"
#include "ConversionParameters.h"
#include "DialogueDownmix.h"
#include "LoudnessFilter.h"
#include "PacketSink.h"

namespace transcode {

class TOutputFile;

class TAudioPath {
public:
    // source: the input's sound stream; output: where the encoded sound goes.
    // Both must outlive the path.
    TAudioPath(const ConversionParameters& parameters, const AVStream& source, TOutputFile& output);
    TAudioPath(const TAudioPath&) = delete;
    TAudioPath& operator=(const TAudioPath&) = delete;

    void StartDecoder();
    // The sound is placed against pictures that start at videoStart in the
    // video stream's time base: sound before them is dropped, a gap filled.
    void PlaceAgainstVideo(const AVStream& video, int64_t videoStart);
    // The sound's time stamps jumped at a packet at time (source time base,
    // moved): the first sound decoded from there on is placed by its own
    // time against the pictures again, with silence in front of it or the
    // overlap with what came before dropped. The recordings of a joined file
    // rarely hold sound exactly as long as their pictures.
    void PlaceAgainFrom(int64_t time);
    // The output stream and its encoder, set up but not yet opened.
    void NewAudioStream();
    void StartAudioEncoder();

    // What a packet gave: sound, nothing yet (the decoder waits for more), or
    // damage (the decoder rejected the packet or part of it; passed over).
    enum class Decoded { Sound, Nothing, Damaged };
    // Hands one packet to the decoder (none: the input has ended) and passes
    // on every sound frame it gives.
    Decoded DecodeAudioPacket(const AVPacket* packet);
    // The decoder has given sound at least once.
    bool HasSound() const { return SoundDecoded; }
    // Output samples queued so far, silence included.
    int64_t Queued() const { return SamplesQueued; }
    // The index of the output's sound stream (after NewAudioStream).
    int OutputIndex() const { return OutputAudio ? OutputAudio->index : -1; }
    void QueueSilence(int64_t count);
    // Sound far behind the pictures (a track that ended, or pauses) is filled
    // with silence up to samples as the pictures go on, so that the end of the
    // file never waits for a long stretch of it; sound that still comes is
    // placed by its time.
    void FillSilenceUpTo(int64_t samples);
    // Takes back up to count samples from the end of the queue; what was
    // already encoded stays.
    void DropQueuedSamples(int64_t count);
    // Encodes the last part frame, completed with silence, writes what the
    // encoder still holds and ends the sound stream.
    void FlushAudio();

private:
    void QueueAudio(const AVFrame& decoded);
    // Places the first sound against the pictures (once).
    void PlaceFirstSound(const AVFrame& decoded);
    // Places the sound again where its time stamps break or a jump was
    // followed; delay: output samples the conversion still holds.
    void PlaceAgainIfDue(const AVFrame& decoded, int64_t delay);
    void QueueSamples(const uint8_t* samples, int64_t count);
    // Into the FIFO, up to FifoLimit samples in all, encoding whole frames.
    void FillFifo(const uint8_t* samples, int64_t count);
    // Ends the loudness filter with exactly total samples having reached the
    // FIFO (cut or completed with silence).
    void FinishLoudness(int64_t total);
    void EncodeAudioFrame();
    // Writes every packet the encoder has ready.
    void WritePackets();

    const ConversionParameters& Parameters;
    const AVStream& Source;
    TOutputFile& Output;  // for setting up the stream
    TPacketSink& Sink;    // where the packets go
    av::PacketPtr Packet;

    av::CodecContextPtr AudioDecoder;
    av::CodecContextPtr AudioEncoder;
    AVStream* OutputAudio = nullptr;  // belongs to the output file

    // The decoder's frames are resampled into ResampledAudio and queued in
    // AudioFifo; AudioFrame carries one whole encoder frame to the encoder.
    av::FramePtr DecodedAudio;
    av::FramePtr ResampledAudio;
    av::FramePtr AudioFrame;
    av::ResamplerPtr Resampler;
    int32_t ResamplerFormat = -1;  // the decoded sound the resampler was made for
    int32_t ResamplerRate = 0;
    int32_t ResamplerChannels = 0;
    // Surround sound with a centre into mono: mixed here instead.
    std::unique_ptr<TDialogueDownmix> Downmix;
    av::AudioFifoPtr AudioFifo;
    int32_t AudioFrameSamples = 0;  // samples per channel in one encoder frame
    int32_t BytesPerSample = 2;     // one sample of all channels, interleaved
    bool SoundDecoded = false;
    bool PlacedAgainstVideo = false;
    int64_t VideoStartSamples = 0;          // start of the pictures, in output samples
    bool AudioStartSeen = false;            // the first decoded sound placed against the video
    int64_t PlaceAgainAt = AV_NOPTS_VALUE;  // see PlaceAgainFrom
    int64_t NextSoundPts = AV_NOPTS_VALUE;  // where the decoded sound's next frame should start
    int64_t AudioSkip = 0;                  // output samples still to drop (sound before the video)
    int64_t SamplesQueued = 0;              // output samples queued so far, silence included
    int64_t SamplesEncoded = 0;             // output samples passed to the encoder
    // Even loudness: the queued sound passes the filter before the FIFO,
    // which then lags the queue by the filter's look-ahead.
    std::unique_ptr<TLoudnessFilter> Loudness;
    bool LoudnessFinished = false;
    int64_t SamplesToFifo = 0;
    int64_t FifoLimit = std::numeric_limits<int64_t>::max();
};

}  // namespace transcode
