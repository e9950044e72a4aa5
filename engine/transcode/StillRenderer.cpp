#include "StillRenderer.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

#include "EngineError.h"
#include "LocalMedia.h"
#include "OutputEstimate.h"
#include "OutputFile.h"
#include "SourceOpening.h"
#include "StreamChoice.h"
#include "SubtitleChoice.h"
#include "SubtitleFiles.h"
#include "SubtitlePath.h"
#include "VideoPath.h"

namespace transcode {

namespace {

// Packets read after the seek before the latest picture is taken as it is:
// a source whose pictures never reach the time still gives one.
constexpr int kMostPackets = 3000;

// The subtitles a conversion would burn in, with every cue begun by the
// still's time decoded; none when they are not burned in or cannot be read
// (the conversion tells why; the still shows the picture without them).
std::unique_ptr<subtitles::TSubtitlePath> StillSubtitles(const ConversionParameters& parameters,
                                                         const AVFormatContext& input,
                                                         const std::string& sourcePath,
                                                         double seconds) {
    if (!parameters.BurnSubtitles) return nullptr;
    try {
        if (!parameters.SubtitleFile.empty()) {
            return std::make_unique<subtitles::TSubtitlePath>(parameters.SubtitleFile);
        }
        if (const int32_t index = subtitles::ChooseSubtitleStream(input, parameters.SubtitleTrack);
            index >= 0) {
            auto path = std::make_unique<subtitles::TSubtitlePath>(input, *input.streams[index]);
            // A second reading of the source, up to a second past the still
            // (the cues' times are on the source's clock).
            const int64_t origin = input.start_time != AV_NOPTS_VALUE ? input.start_time : 0;
            path->ReadUpTo(sourcePath, origin + std::llround((seconds + 1) * AV_TIME_BASE));
            return path;
        }
        if (const std::string beside = SubtitleFileBeside(sourcePath); !beside.empty()) {
            return std::make_unique<subtitles::TSubtitlePath>(beside);
        }
    } catch (const subtitles::TSubtitleProblem&) {
    }
    return nullptr;
}

StillImage Render(const ConversionParameters& parameters, const std::string& sourcePath,
                  double seconds, const std::stop_token& stop) {
    av::InputContextPtr input = OpenSourceFile(sourcePath);
    // The picture a conversion would take: the video, else a sound file's cover.
    AVStream* video = ChooseVideoStream(*input);
    if (!video) video = ChooseCoverStream(*input);
    if (!video) return {};
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        if (input->streams[i] != video) input->streams[i]->discard = AVDISCARD_ALL;
    }

    // The path's output is never created: a still writes nothing.
    TOutputFile unwritten;
    TVideoPath path(parameters, *video, unwritten);
    const std::unique_ptr<subtitles::TSubtitlePath> shown =
        StillSubtitles(parameters, *input, sourcePath, seconds);
    if (shown) path.DrawSubtitles(*shown);
    path.StartDecoder();
    path.StartStill();
    if (seconds > 0) {
        SeekToKeyPictureBefore(*input, seconds);
        path.StartFrom(AV.av_rescale_q(std::llround(seconds * AV_TIME_BASE),
                                       AVRational{1, AV_TIME_BASE}, video->time_base));
    }
    av::PacketPtr packet(AV.av_packet_alloc());
    if (!packet) throw std::bad_alloc();

    bool inputEnded = false;
    for (int packets = 0; !stop.stop_requested(); ++packets) {
        // Every picture the decoder has so far; the first one shown at the
        // time (the one an output frame there shows) is the still.
        for (;;) {
            const TVideoPath::Received received = path.ReceivePicture();
            if (received == TVideoPath::Received::Picture) {
                if (path.PictureFillsNextSlot()) return ToRgb(path.ShownPicture());
                continue;
            }
            if (received == TVideoPath::Received::Damaged) continue;
            if (received == TVideoPath::Received::Ended || inputEnded) {
                return path.HasPicture() ? ToRgb(path.ShownPicture()) : StillImage{};
            }
            break;
        }
        if (packets >= kMostPackets && path.HasPicture()) return ToRgb(path.ShownPicture());
        if (AV.av_read_frame(input.get(), packet.get()) < 0) {
            path.SendEnd();
            inputEnded = true;
            continue;
        }
        if (packet->stream_index != video->index) {
            AV.av_packet_unref(packet.get());
            continue;
        }
        path.SendPacket(*packet);
    }
    return {};
}

}  // namespace

double StillTime(double lengthSeconds, const ClipRange& range) {
    const double start = std::max(range.Start, 0.0);
    return start + ConvertedLength(lengthSeconds, range.Start, range.End) / 10;
}

StillImage RenderStill(const ConversionParameters& parameters, const std::string& sourcePath,
                       double seconds, std::stop_token stop) {
    try {
        return Render(parameters, sourcePath, seconds, stop);
    } catch (const TEngineError& error) {
        throw NamingFile(error, sourcePath);
    } catch (const std::bad_alloc&) {
        throw TEngineError("Memory error\n", 0, SystemErrorText(ENOMEM), sourcePath);
    }
}

}  // namespace transcode
