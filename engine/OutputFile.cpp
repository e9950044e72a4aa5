#include "OutputFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cstdarg>
#include <cstdio>
#include <new>
#include <system_error>
#include <utility>

#include "EngineError.h"

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

// Creates a new empty file beside the output, named after it, with the
// permissions any new file gets; its name in UTF-8, or empty when the folder
// takes no new file.
std::string CreateTemporaryFile(const std::string& outputPath) {
    const QFileInfo final(QString::fromUtf8(outputPath));
    const QDir folder(final.absolutePath());
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString name = QStringLiteral("%1.%2.part")
                                 .arg(final.fileName())
                                 .arg(QRandomGenerator::global()->generate(), 8, 16, QChar('0'));
        QFile file(folder.filePath(name));
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            return file.fileName().toUtf8().toStdString();
        }
        if (file.error() != QFileDevice::OpenError || !folder.exists()) break;
    }
    return {};
}

}  // namespace

std::filesystem::path PathFromUtf8(const std::string& path) {
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

void OutputFile::Create(const std::string& outputPath) {
    AVFormatContext* output = nullptr;
    int result = AV.avformat_alloc_output_context2(&output, nullptr, nullptr, outputPath.c_str());
    if (result == AVERROR(ENOMEM)) throw EngineError("Memory error\n");
    if (!output) {
        LogWarning("Could not deduce output format from file extension: using MPEG.\n");
        result = AV.avformat_alloc_output_context2(&output, nullptr, "mpeg", outputPath.c_str());
        if (result == AVERROR(ENOMEM)) throw EngineError("Memory error\n");
        if (!output) throw EngineError("Could not find suitable output format\n");
    }
    Context.reset(output);
    Packet.reset(AV.av_packet_alloc());
    if (!Packet) throw std::bad_alloc();
}

bool OutputFile::NeedsGlobalHeader() const {
    return (Context->oformat->flags & AVFMT_GLOBALHEADER) != 0;
}

AVStream& OutputFile::NewStream(int id) {
    AVStream* stream = AV.avformat_new_stream(Context.get(), nullptr);
    if (!stream) throw EngineError("Could not alloc stream\n");
    stream->id = id;
    return *stream;
}

void OutputFile::Open(const std::string& outputPath) {
    AVFormatContext& output = *Context;
    AV.av_dump_format(&output, 0, outputPath.c_str(), 1);
    if (!(output.oformat->flags & AVFMT_NOFILE)) {
        // A fresh file beside the final one; it takes the final name only when
        // complete, so a failed conversion never leaves a half-written file
        // under that name nor harms one that is already there.
        TemporaryPath = CreateTemporaryFile(outputPath);
        if (TemporaryPath.empty()) throw EngineError("Could not open destination file");
        // The muxer reads its own file back to put the index in front.
        AV.av_free(output.url);
        output.url = AV.av_strdup(TemporaryPath.c_str());
        if (!output.url) throw std::bad_alloc();
        if (AV.avio_open(&output.pb, TemporaryPath.c_str(), AVIO_FLAG_WRITE) < 0) {
            throw EngineError("Could not open destination file");
        }
    }
    // The index (moov) before the media data, so that players start at once.
    AVDictionary* options = nullptr;
    AV.av_dict_set(&options, "movflags", "+faststart", 0);
    const int result = AV.avformat_write_header(&output, &options);
    AV.av_dict_free(&options);
    if (result < 0) throw EngineError("Could not write header of destination file\n");
}

void OutputFile::WritePackets(AVCodecContext& encoder, AVStream& stream, const char* encodeError,
                              const char* writeError) {
    AVPacket* packet = Packet.get();
    while (true) {
        const int result = AV.avcodec_receive_packet(&encoder, packet);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return;
        if (result < 0) throw EngineError(encodeError);
        // Each picture fills one frame slot; players and the index need that length.
        if (packet->duration <= 0 && encoder.codec_type == AVMEDIA_TYPE_VIDEO) packet->duration = 1;
        AV.av_packet_rescale_ts(packet, encoder.time_base, stream.time_base);
        packet->stream_index = stream.index;
        if (stream.index >= 0 && stream.index < 2) {
            Bytes[stream.index] += packet->size;
            // The encoder's quality of the picture: its quantiser in lambda units.
            size_t statsSize = 0;
            const uint8_t* stats =
                AV.av_packet_get_side_data(packet, AV_PKT_DATA_QUALITY_STATS, &statsSize);
            if (stats && statsSize >= 4) {
                const uint32_t lambda = stats[0] | (stats[1] << 8) | (stats[2] << 16) |
                                        (static_cast<uint32_t>(stats[3]) << 24);
                QuantiserSum[stream.index] += static_cast<double>(lambda) / FF_QP2LAMBDA;
                ++QuantiserCount[stream.index];
            }
        }
        if (AV.av_interleaved_write_frame(Context.get(), packet) < 0) {
            throw EngineError(writeError);
        }
    }
}

void OutputFile::Close(const std::string& outputPath) {
    Finish();
    Commit(outputPath);
}

int64_t OutputFile::Finish() {
    if (AV.av_write_trailer(Context.get()) < 0) {
        throw EngineError("Could not finish destination file\n");
    }
    if (Context->pb && !(Context->oformat->flags & AVFMT_NOFILE)) {
        if (AV.avio_closep(&Context->pb) < 0) {
            throw EngineError("Could not finish destination file\n");
        }
    }
    if (TemporaryPath.empty()) return -1;
    std::error_code error;
    const auto size = std::filesystem::file_size(PathFromUtf8(TemporaryPath), error);
    return error ? -1 : static_cast<int64_t>(size);
}

void OutputFile::Commit(const std::string& outputPath) {
    if (!TemporaryPath.empty()) {
        std::error_code error;
        std::filesystem::rename(PathFromUtf8(TemporaryPath), PathFromUtf8(outputPath), error);
        if (error) throw EngineError("Could not replace destination file\n");
        TemporaryPath.clear();
    }
}

std::string OutputFile::TakeTemporary() {
    return std::exchange(TemporaryPath, std::string());
}

int64_t OutputFile::StreamBytes(int index) const {
    return index >= 0 && index < 2 ? Bytes[index] : 0;
}

double OutputFile::AverageQuantiser(int index) const {
    if (index < 0 || index >= 2 || QuantiserCount[index] == 0) return 0;
    return QuantiserSum[index] / static_cast<double>(QuantiserCount[index]);
}

void OutputFile::Discard() noexcept {
    Context.reset();
    if (!TemporaryPath.empty()) {
        try {
            std::error_code error;
            std::filesystem::remove(PathFromUtf8(TemporaryPath), error);
        } catch (...) {
            // No memory left even for the name: the temporary file stays.
        }
    }
    ReleaseState();
}

void OutputFile::ReleaseState() noexcept {
    Context.reset();
    Packet.reset();
    TemporaryPath.clear();
}

}  // namespace transcode
