#include "OutputFile.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <new>
#include <system_error>
#include <utility>

#include "EngineError.h"
#include "H263Level.h"
#include "LocalMedia.h"

namespace transcode {

namespace {

// A note through the media library's own log, not the terminal: the programs
// keep that log quiet unless asked for it (the command line's --verbose).
void LogWarning(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    AV.av_vlog(nullptr, AV_LOG_WARNING, format, arguments);
    va_end(arguments);
}

// A packet's time for the order: its DTS, or its PTS when it has none; a
// packet with neither goes first.
int64_t OrderTime(const AVPacket& packet) {
    return packet.dts != AV_NOPTS_VALUE ? packet.dts : packet.pts;
}

}  // namespace

void TOutputFile::Create(const std::string& outputPath) {
    AVFormatContext* output = nullptr;
    int result = AV.avformat_alloc_output_context2(&output, nullptr, nullptr, outputPath.c_str());
    if (result == AVERROR(ENOMEM)) throw DestinationError("Memory error\n", result);
    if (!output) {
        LogWarning("Could not deduce output format from file extension: using MPEG.\n");
        result = AV.avformat_alloc_output_context2(&output, nullptr, "mpeg", outputPath.c_str());
        if (result == AVERROR(ENOMEM)) throw DestinationError("Memory error\n", result);
        if (!output) throw DestinationError("Could not find suitable output format\n", result);
    }
    Context.reset(output);
}

bool TOutputFile::NeedsGlobalHeader() const {
    return (Context->oformat->flags & AVFMT_GLOBALHEADER) != 0;
}

AVStream& TOutputFile::NewStream(int id) {
    AVStream* stream = AV.avformat_new_stream(Context.get(), nullptr);
    if (!stream) throw DestinationError("Could not alloc stream\n", AVERROR(ENOMEM));
    stream->id = id;
    return *stream;
}

void TOutputFile::Open(const std::string& outputPath) {
    AVFormatContext& output = *Context;
    AV.av_dump_format(&output, 0, outputPath.c_str(), 1);
    if (!(output.oformat->flags & AVFMT_NOFILE)) {
        // A fresh file beside the final one; it takes the final name only when
        // complete, so a failed conversion never leaves a half-written file
        // under that name nor harms one that is already there.
        Temporary = std::make_unique<TTemporaryOutputFile>(outputPath);
        // The muxer reads its own file back to put the index in front, through
        // the file protocol alone as well.
        AV.av_free(output.url);
        output.url = AV.av_strdup(LocalFileUrl(Temporary->Path()).c_str());
        AV.av_free(output.protocol_whitelist);
        output.protocol_whitelist = AV.av_strdup("file");
        if (!output.url || !output.protocol_whitelist) throw std::bad_alloc();
        if (const int code = OpenLocalOutput(&output.pb, Temporary->Path()); code < 0) {
            throw DestinationError("Could not open destination file", code);
        }
    }
    // The index (moov) before the media data, so that players start at once.
    AVDictionary* options = nullptr;
    AV.av_dict_set(&options, "movflags", "+faststart", 0);
    const int result = AV.avformat_write_header(&output, &options);
    AV.av_dict_free(&options);
    if (result < 0) throw DestinationError("Could not write header of destination file\n", result);
}

std::string TOutputFile::TemporaryFilePath() const {
    return Temporary ? Temporary->Path() : std::string();
}

void TOutputFile::WritePacket(AVPacket& packet, const char* writeError) {
    const int index = packet.stream_index;
    if (index < 0 || static_cast<unsigned>(index) >= Context->nb_streams) {
        throw DestinationError(writeError, 0, "A packet of no stream of the file");
    }
    if (StreamEnded(index)) {
        throw DestinationError(writeError, 0, "A packet after the end of its stream");
    }
    if (index == SoundStream && PastSoundCut(packet)) {
        AV.av_packet_unref(&packet);
        return;
    }
    const int slot = HeldSlot(index);
    if (slot < 0) {
        Deliver(packet, writeError);
        return;
    }
    av::PacketPtr held(AV.av_packet_alloc());
    if (!held) throw std::bad_alloc();
    AV.av_packet_move_ref(held.get(), &packet);
    Held[slot].push_back(std::move(held));
    HeldWriteError[slot] = writeError;
    ReleaseHeld(false);
}

void TOutputFile::Deliver(AVPacket& packet, const char* writeError) {
    const int index = packet.stream_index;
    if (index < 2) {
        Bytes[index] += packet.size;
        // The encoder's quality of the picture: its quantiser in lambda units.
        size_t statsSize = 0;
        const uint8_t* stats =
            AV.av_packet_get_side_data(&packet, AV_PKT_DATA_QUALITY_STATS, &statsSize);
        if (stats && statsSize >= 4) {
            const uint32_t lambda = stats[0] | (stats[1] << 8) | (stats[2] << 16) |
                                    (static_cast<uint32_t>(stats[3]) << 24);
            QuantiserSum[index] += static_cast<double>(lambda) / FF_QP2LAMBDA;
            ++QuantiserCount[index];
        }
    }
    Order.Check(packet, writeError);
    if (const int code = AV.av_interleaved_write_frame(Context.get(), &packet); code < 0) {
        throw DestinationError(writeError, code);
    }
}

bool TOutputFile::StreamEnded(int streamIndex) const {
    return streamIndex >= 0 && static_cast<std::size_t>(streamIndex) < Ended.size() &&
           Ended[streamIndex];
}

int TOutputFile::HeldSlot(int streamIndex) const {
    if (PictureStream < 0 || streamIndex < 0) return -1;
    if (streamIndex == PictureStream) return 0;
    if (streamIndex == SoundStream) return 1;
    return -1;
}

bool TOutputFile::Earlier(const AVPacket& first, const AVPacket& second) const {
    const int64_t a = OrderTime(first);
    const int64_t b = OrderTime(second);
    if (a == AV_NOPTS_VALUE || b == AV_NOPTS_VALUE) return a == AV_NOPTS_VALUE;
    const int order = AV.av_compare_ts(a, Context->streams[first.stream_index]->time_base, b,
                                       Context->streams[second.stream_index]->time_base);
    return order < 0 || (order == 0 && first.stream_index == PictureStream);
}

bool TOutputFile::HeldTooLong(int slot) const {
    const std::deque<av::PacketPtr>& held = Held[slot];
    if (held.size() < 2) return false;
    const int64_t first = OrderTime(*held.front());
    const int64_t last = OrderTime(*held.back());
    if (first == AV_NOPTS_VALUE || last == AV_NOPTS_VALUE) return true;
    const AVRational base = Context->streams[held.front()->stream_index]->time_base;
    return AV.av_compare_ts(last - first, base, kLongestHeldSeconds, AVRational{1, 1}) > 0;
}

void TOutputFile::ReleaseHeld(bool all) {
    const int streams[2] = {PictureStream, SoundStream};
    while (!Held[0].empty() || !Held[1].empty()) {
        int next = -1;
        if (!Held[0].empty() && !Held[1].empty()) {
            next = Earlier(*Held[1].front(), *Held[0].front()) ? 1 : 0;
        } else {
            const int waiting = Held[0].empty() ? 1 : 0;
            const int other = 1 - waiting;
            const bool otherEnded = streams[other] < 0 || StreamEnded(streams[other]);
            if (all || otherEnded || HeldTooLong(waiting)) next = waiting;
        }
        if (next < 0) return;
        const av::PacketPtr packet = std::move(Held[next].front());
        Held[next].pop_front();
        Deliver(*packet, HeldWriteError[next]);
    }
}

bool TOutputFile::PastSoundCut(const AVPacket& packet) const {
    return SoundCut != AV_NOPTS_VALUE && SoundStream >= 0 && packet.pts != AV_NOPTS_VALUE &&
           AV.av_compare_ts(packet.pts, Context->streams[SoundStream]->time_base, SoundCut,
                            SoundCutBase) >= 0;
}

void TOutputFile::EndStream(int streamIndex) {
    if (streamIndex < 0) return;
    if (static_cast<std::size_t>(streamIndex) >= Ended.size()) Ended.resize(streamIndex + 1);
    Ended[streamIndex] = true;
    if (HeldSlot(streamIndex) >= 0) ReleaseHeld(false);
}

void TOutputFile::InterleavePicturesAndSound(int pictureStream, int soundStream) {
    PictureStream = pictureStream;
    SoundStream = soundStream;
}

void TOutputFile::CutSoundAt(int64_t time, AVRational base) {
    SoundCut = time;
    SoundCutBase = base;
    while (!Held[1].empty() && PastSoundCut(*Held[1].back())) Held[1].pop_back();
}

int64_t TOutputFile::Finish() {
    ReleaseHeld(true);
    PictureStream = -1;
    for (unsigned i = 0; i < Context->nb_streams; ++i) {
        if (!StreamEnded(static_cast<int>(i))) {
            throw DestinationError("Could not finish destination file\n", 0,
                                   "A stream of the file was not ended");
        }
    }
    if (const int code = AV.av_write_trailer(Context.get()); code < 0) {
        throw DestinationError("Could not finish destination file\n", code);
    }
    if (Context->pb && !(Context->oformat->flags & AVFMT_NOFILE)) {
        if (const int code = AV.avio_closep(&Context->pb); code < 0) {
            throw DestinationError("Could not finish destination file\n", code);
        }
    }
    if (!Temporary) return -1;
    const std::filesystem::path path(Temporary->Path());
    if (H263Level > 0) WriteH263Level(path, H263Level);
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    return error ? -1 : static_cast<int64_t>(size);
}

void TOutputFile::Commit() {
    if (Temporary) {
        Temporary->Commit();
        Temporary.reset();
    }
}

std::unique_ptr<TTemporaryOutputFile> TOutputFile::TakeTemporary() {
    return std::move(Temporary);
}

int64_t TOutputFile::StreamBytes(int index) const {
    return index >= 0 && index < 2 ? Bytes[index] : 0;
}

double TOutputFile::AverageQuantiser(int index) const {
    if (index < 0 || index >= 2 || QuantiserCount[index] == 0) return 0;
    return QuantiserSum[index] / static_cast<double>(QuantiserCount[index]);
}

void TOutputFile::Discard() noexcept {
    ReleaseState();
}

void TOutputFile::ReleaseState() noexcept {
    // The file is closed before its temporary name goes.
    Held[0].clear();
    Held[1].clear();
    Context.reset();
    Temporary.reset();
}

}  // namespace transcode
