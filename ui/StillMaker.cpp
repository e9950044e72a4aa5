#include "StillMaker.h"

#include <QMetaObject>
#include <cstring>
#include <exception>

#include "NativePath.h"
#include "StillRenderer.h"

namespace {

// The engine's packed RGB rows as an image of its own.
QImage ToImage(const transcode::StillImage& still) {
    if (still.IsEmpty()) return {};
    QImage image(still.Width, still.Height, QImage::Format_RGB888);
    const auto rowBytes = static_cast<size_t>(still.Width) * 3;
    for (int32_t row = 0; row < still.Height; ++row) {
        std::memcpy(image.scanLine(row), still.Rgb.data() + static_cast<size_t>(row) * rowBytes,
                    rowBytes);
    }
    return image;
}

}  // namespace

TStillMaker::TStillMaker(QObject* parent)
    : QObject(parent), Thread([this](std::stop_token stop) { Work(stop); }) {}

TStillMaker::~TStillMaker() {
    {
        std::lock_guard<std::mutex> guard(Lock);
        Waiting.reset();
        CurrentStill.request_stop();
    }
    Thread.request_stop();
    Thread.join();
}

void TStillMaker::Request(const ConversionParameters& parameters, const QString& sourcePath,
                          double seconds) {
    {
        std::lock_guard<std::mutex> guard(Lock);
        ++Newest;
        Waiting = Job{parameters, NativePathString(sourcePath), seconds, Newest};
        CurrentStill.request_stop();
    }
    Wake.notify_one();
}

void TStillMaker::Cancel() {
    std::lock_guard<std::mutex> guard(Lock);
    ++Newest;
    Waiting.reset();
    CurrentStill.request_stop();
}

uint64_t TStillMaker::Requests() const {
    std::lock_guard<std::mutex> guard(Lock);
    return Newest;
}

void TStillMaker::Work(std::stop_token stop) {
    while (true) {
        Job job;
        std::stop_token jobStop;
        {
            std::unique_lock<std::mutex> guard(Lock);
            if (!Wake.wait(guard, stop, [this] { return Waiting.has_value(); })) return;
            job = std::move(*Waiting);
            Waiting.reset();
            CurrentStill = std::stop_source();
            jobStop = CurrentStill.get_token();
        }
        QImage still;
        QString problem;
        try {
            still = ToImage(
                transcode::RenderStill(job.Parameters, job.SourcePath, job.Seconds, jobStop));
        } catch (const std::exception& error) {
            problem = QString::fromUtf8(error.what()).trimmed();
        }
        if (jobStop.stop_requested()) continue;
        // Delivered on the window's thread, where a newer request may have
        // come in meanwhile; the maker's destruction drops what is queued.
        QMetaObject::invokeMethod(
            this, [this, number = job.Number, still, problem] { Deliver(number, still, problem); },
            Qt::QueuedConnection);
    }
}

void TStillMaker::Deliver(uint64_t number, const QImage& still, const QString& problem) {
    if (number != Requests()) return;
    emit StillMade(still, problem);
}
