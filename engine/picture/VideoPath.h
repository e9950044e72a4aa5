// The video path of one conversion: the source's decoder, the deinterlacer
// (interlaced sources only), the fit into the output's proportions, the
// scaler, the colour conversion, the turn upright and the video encoder, with
// the counters that place each decoded picture into the output's frame slots.
#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <optional>

#include "AvPtr.h"
#include "ColourConversion.h"
#include "ConversionParameters.h"
#include "Deinterlacer.h"
#include "EncoderThread.h"
#include "PacketSink.h"
#include "PictureFit.h"
#include "ToneMapping.h"
#include "UnshownPictures.h"

namespace subtitles {
class TSubtitlePath;
}

namespace transcode {

class TOutputFile;

class TVideoPath {
public:
    // What the decoder gave when asked for a picture. Damaged: it could not
    // make the picture of a damaged packet, and goes on with the next.
    enum class Received { Picture, NeedsInput, Ended, Damaged };

    // source: the input's video stream, or a sound file's cover picture (a
    // stream with an attached picture: then a still, see IsStill); output:
    // where the encoded pictures go (written from the calling thread only).
    // Both must outlive the path.
    TVideoPath(const ConversionParameters& parameters, const AVStream& source, TOutputFile& output);
    TVideoPath(const TVideoPath&) = delete;
    TVideoPath& operator=(const TVideoPath&) = delete;

    // Opens the decoder and makes its pictures.
    void StartDecoder();
    // The output starts at offset (in the source stream's time base) after
    // the start of the source's pictures: pictures that end before it are
    // dropped, the one it falls in becomes the first.
    void StartFrom(int64_t offset) { VideoStart += offset; }
    // No more output frames than limit.
    void LimitFrames(int64_t limit) { FrameLimit = limit; }
    // Subtitles drawn into every output picture after the fit; path must
    // outlive the video path.
    void DrawSubtitles(subtitles::TSubtitlePath& path) { Subtitles = &path; }
    // The output stream and its encoder, set up but not yet opened.
    void NewVideoStream();
    void StartVideoEncoder();

    // For a still instead of an encoded stream: the output pictures are made
    // at the output size without an encoder, and ShownPicture gives the
    // latest picture as the output would show it.
    void StartStill();
    // The latest picture fitted, scaled, in the phone's colours, turned
    // upright and with its subtitles, at the output size: exactly what the
    // encoder would be given.
    // Needs a picture (HasPicture) and StartStill or StartVideoEncoder.
    const AVFrame& ShownPicture();

    // Hands a packet to the decoder and empties it; false when the decoder
    // rejected it (the packet is then passed over). SendEnd tells the decoder
    // that the input ended.
    bool SendPacket(AVPacket& packet);
    void SendEnd();
    // Takes the decoder's next picture into DecodedPicture.
    Received ReceivePicture();

    // The output frames wanted have all been filled by the pictures so far.
    bool NeedsPicture() const { return !DecodedEndKnown || FramesEncoded >= DecodedSlotsCeil; }
    // The latest picture reaches into the next slot to fill.
    bool PictureFillsNextSlot() const {
        return HavePicture && FramesEncoded < DecodedSlotsCeil && FramesEncoded < FrameLimit;
    }
    // The latest picture may be held for further slots, up to slots.
    bool CanHoldPicture(int64_t slots) const {
        return HavePicture && FramesEncoded < slots && FramesEncoded < FrameLimit;
    }
    bool FrameLimitReached() const { return FramesEncoded >= FrameLimit; }
    // The index of the output's picture stream (after NewVideoStream).
    int OutputIndex() const { return OutputVideo ? OutputVideo->index : -1; }
    // The decoder has given at least one picture.
    bool HasPicture() const { return HavePicture; }
    int64_t FramesDone() const { return FramesEncoded; }
    // The length of one output frame.
    AVRational SlotBase() const;
    // The start of the source's pictures, in its stream's time base.
    int64_t Start() const { return VideoStart; }
    // The picture is a sound file's cover: one still that fills every frame
    // slot the sound asks for. Only one slot a second is encoded (the codecs
    // tell the time between pictures, so the still stays on the screen).
    bool IsStill() const { return Still; }
    // The output frames the path may still fill, at most; the largest
    // number when there is no limit.
    int64_t FrameLimitValue() const { return FrameLimit; }

    // Encodes the latest picture into the next output slot. The encoding
    // itself runs on the encoder's thread; its failures come back from a later
    // call or from FlushVideo.
    void EncodeVideoFrame();
    // Waits for the encoder's thread, writes what the encoder still holds and
    // ends the video stream.
    void FlushVideo();
    // Ends the encoder's thread at once, dropping the pictures it has not yet
    // taken: before the output file goes. Never throws.
    void AbandonEncoding() noexcept;

private:
    // The decoder's next picture into IncomingPicture, through the
    // deinterlacer once the source showed itself interlaced.
    Received NextPicture();
    int32_t DeinterlacedWidth(const AVFrame& first) const;
    AVRational PictureAspect(const AVFrame& picture) const;
    // The picture the encoder gets and, for a turned source, the one scaled
    // into first; throws when out of memory.
    void MakeOutputPictures(int32_t width, int32_t height);
    void PrepareScaler(const AVFrame& source, const AVFrame& turned);
    void ScalePicture();
    void HoldPictureBefore(const AVFrame& next);
    void PlaceSubtitles(const AVFrame& source);
    void DrawSubtitlesAt(int64_t frame);
    void EncodePicture(AVFrame& picture, TEncoderThread::Packets& made);
    // Writes the packets the encoder's thread handed back.
    void WritePackets(TEncoderThread::Packets packets);

    const ConversionParameters& Parameters;
    const AVStream& Source;
    TOutputFile& Output;  // for setting up the stream
    TPacketSink& Sink;    // where the packets go, from the converting thread only

    av::CodecContextPtr VideoDecoder;
    TDeinterlacer Fields;
    bool DecoderEnded = false;  // the deinterlacer was told of the decoder's end
    TUnshownPictures Unshown;
    bool LeavesOutUnshown = false;  // pictures no output frame shows are not decoded
    av::FramePtr DecodedField;      // a decoded picture on its way to the deinterlacer
    av::CodecContextPtr VideoEncoder;
    AVStream* OutputVideo = nullptr;  // belongs to the output file
    AVRational Slot{1, 25};           // the length of one output frame

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
    AVRational ScalerAspect{0, 1};
    int32_t ScalerColourSpace = -1;
    int32_t ScalerRange = -1;
    FitGeometry Fit;                      // where the source goes, for the scaler's source
    std::optional<ColourMatrix> Colours;  // the conversion to BT.601, when needed
    // HDR sources: the scaler makes HdrPicture (16-bit, the placed size), the
    // tone mapping turns it into the output picture.
    std::optional<TToneMapping> Tones;
    av::FramePtr HdrPicture;
    int32_t ScalerTransfer = -1;
    int32_t Rotation = 0;        // clockwise degrees that make the source upright
    bool HavePicture = false;    // DecodedPicture holds a picture
    bool PictureScaled = false;  // OutputPicture already shows DecodedPicture
    int64_t VideoStart = 0;      // start of the source's video, in its time base
    int64_t DecodedEnd = 0;      // end of the latest picture, from VideoStart, same base
    bool DecodedEndKnown = false;
    // The time a picture without a time stamp takes: the end of the one
    // before it, counted from the source's start (not from a later start).
    int64_t UntimedNext = 0;
    int64_t DecodedSlotsCeil = 0;  // that end in output frames, rounded up
    int64_t FramesEncoded = 0;     // pictures passed to the video encoder
    int64_t FrameLimit = std::numeric_limits<int64_t>::max();
    bool Still = false;        // a cover picture (IsStill)
    int64_t StillEvery = 1;    // a still is encoded in one slot of this many
    bool StillBehind = false;  // the latest slot of a still was left out
    // Subtitles: OutputPicture without them is kept in CleanPicture.
    subtitles::TSubtitlePath* Subtitles = nullptr;
    av::FramePtr CleanPicture;
    bool OutputDrawnOn = false;  // OutputPicture shows subtitles
    // Last, so that it ends first: it uses the encoder and the output file.
    std::unique_ptr<TEncoderThread> Encoding;
};

}  // namespace transcode
