#include "SourceOpening.h"

#include <limits>

#include "EngineError.h"
#include "LocalMedia.h"

av::InputContextPtr OpenSourceFile(const std::string& nativePath) {
    // A pipe or a device is never opened: the open could wait for good.
    if (const std::string problem = SourceFileProblem(nativePath); !problem.empty()) {
        throw SourceError("Could not open source file\n", 0, problem);
    }
    AVFormatContext* opened = nullptr;
    if (const int code = OpenLocalInput(&opened, nativePath); code != 0) {
        // The demuxers also report a file cut short in its headers as an
        // input/output error; only a failing read is one.
        if (code == AVERROR(EIO) && ReadsToItsEnd(nativePath)) {
            throw SourceError("Could not open source file\n", 0, kInvalidSourceData);
        }
        throw SourceError("Could not open source file\n", code);
    }
    av::InputContextPtr input(opened);
    if (const int code = AV.avformat_find_stream_info(input.get(), nullptr); code < 0) {
        throw SourceError("Could not find stream info in source file\n", code);
    }
    return input;
}

void SeekToKeyPictureBefore(AVFormatContext& input, double seconds) {
    int64_t target = static_cast<int64_t>(seconds * AV_TIME_BASE);
    if (input.start_time != AV_NOPTS_VALUE) target += input.start_time;
    if (AV.avformat_seek_file(&input, -1, std::numeric_limits<int64_t>::min(), target, target, 0) >=
        0) {
        return;
    }
    // A failed search by time (a raw stream without time stamps) can leave
    // the input at its end: it goes back to its first byte, and everything
    // before the start is decoded and dropped.
    AV.avformat_seek_file(&input, -1, 0, 0, 0, AVSEEK_FLAG_BYTE);
}

TEngineError NamingFile(const TEngineError& error, const std::string& path) {
    if (!error.Path().empty()) return error;
    std::string reason = error.Reason();
    if (reason.empty()) {
        const bool source = error.Concern() == TEngineError::Concerns::Source;
        reason = error.Code() >= 0 ? "Unknown cause"
                 : source          ? SourceErrorText(error.Code())
                                   : LibraryErrorText(error.Code());
    }
    return TEngineError(error.FirstLine(), error.Code(), reason, path);
}
