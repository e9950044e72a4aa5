// The output file of one conversion: the container, its streams, and the
// temporary name the file is written under until it is complete. Only the
// converting thread writes into it.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "AvPtr.h"
#include "DtsGuard.h"
#include "PacketSink.h"
#include "TemporaryOutput.h"

namespace transcode {

class TOutputFile : public TPacketSink {
public:
    TOutputFile() = default;
    ~TOutputFile() override { ReleaseState(); }
    TOutputFile(const TOutputFile&) = delete;
    TOutputFile& operator=(const TOutputFile&) = delete;

    // Makes the container for the path's extension (MPEG, with a warning in
    // the media library's log, when the extension names none) and the packet
    // for writing.
    void Create(const std::string& outputPath);
    bool NeedsGlobalHeader() const;
    // A new stream with the given id; the video stream is 0, the sound 1.
    AVStream& NewStream(int id);

    // Writes the header into a fresh temporary file beside outputPath (see
    // TemporaryOutput.h), opened as a local file and nothing else.
    void Open(const std::string& outputPath);
    // The temporary file being written; empty when there is none.
    std::string TemporaryFilePath() const;
    // Counts the packet's bytes and quantiser, keeps its stream's DTS
    // increasing (TDtsGuard) and hands it to the muxer. A packet of a stream
    // already ended is refused.
    void WritePacket(AVPacket& packet, const char* writeError) override;
    // Ending one of two interleaved streams lets the other's held packets
    // through.
    void EndStream(int streamIndex) override;
    // From now on the packets of the two streams go to the muxer in the order
    // of their times (pictures first at equal times), whichever thread made
    // them and however late they arrive: each waits until the other stream
    // has a later packet or has ended. So the file is the same from run to
    // run, and CutSoundAt can still end the sound where the pictures end. A
    // stream more than kLongestHeldSeconds ahead of a quiet one is written
    // anyway, so that a stream that has gone silent holds nothing in memory.
    void InterleavePicturesAndSound(int pictureStream, int soundStream);
    // No sound from time (in base) on: the packets held past it are dropped,
    // and so are those that come later.
    void CutSoundAt(int64_t time, AVRational base);
    // The H.263 level the finished file's sample entry declares (the muxer
    // writes 10 whatever the stream needs); 0 leaves the muxer's value.
    void DeclareH263Level(int32_t level) { H263Level = level; }
    // Writes the trailer once every stream has ended, closes the file and puts
    // the declared H.263 level into it; gives its size in bytes (-1 when
    // unknown).
    int64_t Finish();
    // Gives the finished file its final name.
    void Commit();
    // Hands the finished temporary file over to the caller, who then commits
    // it or lets it be removed; none when there is none.
    std::unique_ptr<TTemporaryOutputFile> TakeTemporary();

    // The bytes of the coded packets written into the stream of that index.
    int64_t StreamBytes(int index) const;
    // The average quantiser of the coded pictures of the stream, as the
    // encoder reports it (1 finest to 31 coarsest); 0 when none reported.
    double AverageQuantiser(int index) const;
    // Closes the file and removes the temporary one. Never throws.
    void Discard() noexcept;
    // Closes the file, removes a temporary file still there and frees the
    // container. Never allocates, never throws.
    void ReleaseState() noexcept;

private:
    // Counts, orders and hands one packet to the muxer.
    void Deliver(AVPacket& packet, const char* writeError);
    // Writes the held packets whose turn has come, or all of them.
    void ReleaseHeld(bool all);
    // True when the held packet of `first` comes before that of `second`.
    bool Earlier(const AVPacket& first, const AVPacket& second) const;
    // True when the held packets of the stream span more than kLongestHeld.
    bool HeldTooLong(int slot) const;
    bool PastSoundCut(const AVPacket& packet) const;
    // True once EndStream was called for the stream index.
    bool StreamEnded(int streamIndex) const;
    // The slot in Held of a stream index: 0 pictures, 1 sound, -1 neither.
    int HeldSlot(int streamIndex) const;

    static constexpr int64_t kLongestHeldSeconds = 30;

    av::OutputContextPtr Context;
    TDtsGuard Order;
    std::vector<bool> Ended;  // per stream index: EndStream was called
    std::unique_ptr<TTemporaryOutputFile> Temporary;
    int32_t H263Level = 0;
    int PictureStream = -1;  // while the two streams are interleaved here
    int SoundStream = -1;
    std::deque<av::PacketPtr> Held[2];  // the pictures' and the sound's packets
    const char* HeldWriteError[2] = {nullptr, nullptr};
    int64_t SoundCut = AV_NOPTS_VALUE;
    AVRational SoundCutBase{1, 1};
    // Per stream index (two streams at most): coded bytes, and the sum and
    // count of the quantisers the video encoder reported.
    int64_t Bytes[2] = {0, 0};
    double QuantiserSum[2] = {0, 0};
    int64_t QuantiserCount[2] = {0, 0};
};

}  // namespace transcode
