// The per-file working state of TTranscoder: the library contexts, the
// pictures and sound buffers, and the counters of the conversion loop. A fresh
// state is made before every file and dropped after it, so nothing of one file
// reaches the next.
#pragma once

#include <cstdint>
#include <limits>
#include <string>

#include "AvPtr.h"
#include "Transcoder.h"

struct TTranscoder::TranscodeState {
    // The source.
    av::InputContextPtr Input;
    AVStream* InputVideo = nullptr;  // either may be absent
    AVStream* InputAudio = nullptr;
    av::CodecContextPtr VideoDecoder;
    av::CodecContextPtr AudioDecoder;
    av::PacketPtr InputPacket;
    bool InputEnded = false;     // the demuxer has no more packets
    bool VideoDrained = false;   // the video decoder has given its last picture
    bool VideoFinished = false;  // no more pictures wanted: later video packets are skipped
    int64_t SoundSearchEnd = std::numeric_limits<int64_t>::max();  // video time base
    bool SoundSearchOver = false;  // a skipped video packet lay beyond SoundSearchEnd

    // The output. The file is written under TemporaryPath and renamed at the end.
    av::OutputContextPtr Output;
    AVStream* OutputVideo = nullptr;
    AVStream* OutputAudio = nullptr;
    av::CodecContextPtr VideoEncoder;
    av::CodecContextPtr AudioEncoder;
    av::PacketPtr OutputPacket;
    std::string TemporaryPath;

    // Pictures. DecodedPicture holds the latest picture of the decoder;
    // OutputPicture is what the encoder gets, at the output size. A turned
    // source is scaled into TurnedPicture (output size with sides swapped)
    // first and then turned into OutputPicture.
    av::FramePtr DecodedPicture;
    av::FramePtr IncomingPicture;  // receives the decoder's next picture
    av::FramePtr TurnedPicture;
    av::FramePtr OutputPicture;
    av::ScalerPtr Scaler;
    int32_t ScalerWidth = 0;  // the source size and format the scaler was made for
    int32_t ScalerHeight = 0;
    int32_t ScalerFormat = -1;
    int32_t Rotation = 0;        // clockwise degrees that make the source upright
    bool HavePicture = false;    // DecodedPicture holds a picture
    bool PictureScaled = false;  // OutputPicture already shows DecodedPicture
    int64_t VideoStart = 0;      // start of the source's video, in its time base
    int64_t DecodedEnd = 0;      // end of the latest picture, from VideoStart, same base
    bool DecodedEndKnown = false;
    int64_t DecodedSlotsCeil = 0;  // that end in output frames, rounded up
    int64_t FramesEncoded = 0;     // pictures passed to the video encoder
    int64_t FrameLimit = std::numeric_limits<int64_t>::max();

    // Sound. The decoder's frames are resampled into ResampledAudio and queued
    // in AudioFifo; AudioFrame carries one whole encoder frame to the encoder.
    av::FramePtr DecodedAudio;
    av::FramePtr ResampledAudio;
    av::FramePtr AudioFrame;
    av::ResamplerPtr Resampler;
    int32_t ResamplerFormat = -1;  // the decoded sound the resampler was made for
    int32_t ResamplerRate = 0;
    int32_t ResamplerChannels = 0;
    av::AudioFifoPtr AudioFifo;
    int32_t AudioFrameSamples = 0;  // samples per channel in one encoder frame
    int32_t BytesPerSample = 2;     // one sample of all channels, interleaved
    bool AudioStartSeen = false;    // the first decoded sound placed against the video
    int64_t AudioSkip = 0;          // output samples still to drop (sound before the video)
    int64_t SamplesQueued = 0;      // output samples queued so far, silence included
    int64_t SamplesEncoded = 0;     // output samples passed to the encoder

    int64_t BytesRead = 0;  // end of the furthest packet read, in the source file
    int32_t LastPercent = 0;
};
