// The output file of one conversion: the container, its streams, the packet
// that carries the encoders' output into it, and the temporary name the file
// is written under until it is complete.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "AvPtr.h"
#include "TemporaryOutput.h"

namespace transcode {

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile() { ReleaseState(); }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

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
    // Writes everything the encoder gives into the stream. The video and the
    // sound encoder may call it from their own threads at once.
    void WritePackets(AVCodecContext& encoder, AVStream& stream, const char* encodeError,
                      const char* writeError);
    // The H.263 level the finished file's sample entry declares (the muxer
    // writes 10 whatever the stream needs); 0 leaves the muxer's value.
    void DeclareH263Level(int32_t level) { H263Level = level; }
    // Writes the trailer, closes the file, puts the declared H.263 level into
    // it and gives it its final name.
    void Close();
    // The two halves of Close: the file finished and closed, with its size in
    // bytes (-1 when unknown); then the final name.
    int64_t Finish();
    void Commit();
    // Hands the finished temporary file over to the caller, who then commits
    // it or lets it be removed; none when there is none.
    std::unique_ptr<TemporaryOutputFile> TakeTemporary();

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
    av::OutputContextPtr Context;
    std::mutex WriteLock;  // one writer of the packet and the container at a time
    av::PacketPtr Packet;
    std::unique_ptr<TemporaryOutputFile> Temporary;
    int32_t H263Level = 0;
    // Per stream index (two streams at most): coded bytes, and the sum and
    // count of the quantisers the video encoder reported.
    int64_t Bytes[2] = {0, 0};
    double QuantiserSum[2] = {0, 0};
    int64_t QuantiserCount[2] = {0, 0};
};

}  // namespace transcode
