#include "ClipProbe.h"

#include "Dynamicavimport.h"
#include "LocalMedia.h"
#include "NativePath.h"
#include "PathNames.h"
#include "StreamChoice.h"
#include "SubtitleFiles.h"
#include "TimestampJumps.h"

namespace {

struct TInputCloser {
    void operator()(AVFormatContext* context) const { AV.avformat_close_input(&context); }
};
using InputContext = std::unique_ptr<AVFormatContext, TInputCloser>;

constexpr double kBytesPerMb = 1048576.0;

}  // namespace

std::unique_ptr<SourceClipItem> ProbeClip(const QString& path) {
    auto item = std::make_unique<SourceClipItem>();
    item->SourcePath = path;
    item->DisplayName = ShownName(FileNameOfPath(path));

    // A pipe or a device is never opened: the open could wait for good.
    const std::string nativePath = NativePathString(path);
    if (const std::string problem = SourceFileProblem(nativePath); !problem.empty()) {
        item->UnreadableReason = QString::fromStdString(problem);
        return item;
    }
    item->HasSubtitleFile = !SubtitleFileBeside(nativePath).empty();
    AVFormatContext* raw = nullptr;
    if (const int code = OpenLocalInput(&raw, nativePath); code != 0) {
        item->UnreadableReason = QString::fromStdString(LibraryErrorText(code));
        return item;
    }
    InputContext input(raw);

    if (const int code = AV.avformat_find_stream_info(input.get(), nullptr); code < 0) {
        item->UnreadableReason = QString::fromStdString(LibraryErrorText(code));
    } else {
        // An unknown duration (AV_NOPTS_VALUE, a negative number) shows as 0;
        // the worker then measures the file itself.
        int64_t duration = input->duration;
        // Where time stamps may jump, the container's duration spans the jumps:
        // the content is measured instead (read after the picture size).
        const bool measure = TTimestampJumps(*input).Possible();
        if (duration > 0 && !measure) {
            item->SourceDuration = std::chrono::seconds(duration / AV_TIME_BASE);
            item->LengthSeconds = static_cast<double>(duration) / AV_TIME_BASE;
        }
        for (unsigned i = 0; i < input->nb_streams; ++i) {
            if (input->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_SUBTITLE) {
                ++item->SubtitleTracks;
            }
        }
        const AVStream* video = ChooseVideoStream(*input);
        // A sound file's cover becomes its picture.
        if (const AVStream* shown = video ? video : ChooseCoverStream(*input)) {
            item->SourceWidth = shown->codecpar->width;
            item->SourceHeight = shown->codecpar->height;
        }
        item->SoundTracks = SoundTrackCount(*input);
        item->ChosenSoundTrack = SoundTrackNumber(*input, ChooseSoundStream(*input, video));
        if (measure) {
            duration = MeasureContentDuration(*input);
            if (duration > 0) {
                item->SourceDuration = std::chrono::seconds(duration / AV_TIME_BASE);
                item->LengthSeconds = static_cast<double>(duration) / AV_TIME_BASE;
            }
        }
    }
    if (input->pb != nullptr) {
        const int64_t bytes = AV.avio_size(input->pb);
        if (bytes > 0) item->SizeMb = static_cast<double>(bytes) / kBytesPerMb;
    }
    return item;
}

QString SourceRefusal(const QString& path) {
    const std::string problem = SourceFileProblem(NativePathString(path));
    if (problem.empty()) return {};
    return QStringLiteral("Could not open source file\n%1: %2\n")
        .arg(QString::fromStdString(problem), ShownName(path));
}
