#include "CompressThread.h"

#include <QMetaObject>
#include <QSet>
#include <exception>
#include <utility>

#include "EngineError.h"
#include "LockedFile.h"
#include "NativePath.h"
#include "OutputNames.h"
#include "Process.h"
#include "Progress.h"
#include "TemporaryOutput.h"

TCompressThread::TCompressThread(const ClipList& clips, QString outputFolder, WorkerHost& host,
                                 QObject* parent)
    : QThread(parent), Clips(clips), OutputFolder(std::move(outputFolder)), Host(host) {
    // The worker frees itself once its body has returned; the deletion runs on
    // the thread the worker object lives in (its creator's) from its event loop.
    connect(this, &QThread::finished, this, &QObject::deleteLater);
}

TCompressThread::~TCompressThread() = default;

bool TCompressThread::SetVideoParameters(int32_t width, int32_t height, int32_t frameRateIndex,
                                         int32_t bitRate, int32_t codecChoice) {
    return Setup.SetVideoParameters(width, height, frameRateIndex, bitRate, codecChoice);
}

bool TCompressThread::SetAudioParameters(int32_t bitRateKbps, int32_t sampleRate, int32_t channels,
                                         int32_t codecChoice) {
    return Setup.SetAudioParameters(bitRateKbps, sampleRate, channels, codecChoice);
}

bool TCompressThread::SetPhoneOptions(int64_t sizeLimitBytes, bool evenLoudness) {
    return Setup.SetPhoneOptions(sizeLimitBytes, evenLoudness);
}

bool TCompressThread::SetPictureFit(int32_t fit) {
    return Setup.SetPictureFit(fit);
}

void TCompressThread::run() {
    const bool idle = WorkPriority == QThread::IdlePriority;
    if (idle) {
        platform::UseIdlePriority(true);
    } else if (WorkPriority != QThread::InheritPriority) {
        setPriority(WorkPriority);
    }

    StartTime = std::chrono::steady_clock::now();
    CurrentPercent = 0;
    ComputeTotalProgress(0);
    ShowStatus();

    // What a run killed earlier left behind; files other runs write stay.
    RemoveStaleTemporaryFiles(NativePathString(OutputFolder));

    // Two clips of a run never share an output: "clip.avi" and "clip.mp4"
    // give "clip.3gp" and "clip (2).3gp". An output of an earlier run is
    // replaced.
    QSet<QString> outputsTaken;
    bool result = true;
    for (std::size_t i = 0; i < Clips.size() && result && !StopRequested; ++i) {
        const SourceClipItem& clip = *Clips[i];
        const QString outputPath = UnusedOutputPath(
            BuildOutputPath(OutputFolder, clip.SourcePath),
            [&outputsTaken](const QString& path) { return outputsTaken.contains(path); });
        outputsTaken.insert(outputPath);
        StatusText = QStringLiteral("Converting - ") + clip.DisplayName;
        ShowStatus();
        CurrentDamaged = false;
        result = ConvertFile(clip.SourcePath, outputPath, i);
        if (result && CurrentDamaged) {
            DamagedClips << clip.DisplayName;
            RunOnHost([this, &clip] {
                Host.ShowWarning(
                    QStringLiteral("Damaged parts of %1 were passed over\n").arg(clip.DisplayName));
            });
        }
    }

    DetachFromWindow();
    if (result && ReportCompletion) {
        ShowCompletion();
        ShowStatus();
    }
    StatusText.clear();
    TotalPercent = 0;
    ShowStatus();
    CurrentPercent = 0;
    ShowProgress();
    EnterIdleState();
    if (idle) platform::UseIdlePriority(false);
    // The deletion follows from finished() (see the constructor).
}

bool TCompressThread::ConvertFile(const QString& sourcePath, const QString& outputPath,
                                  std::size_t index) {
    CurrentIndex = index;
    CurrentPercent = 0;
    ShowProgress();
    try {
        TTranscoder transcoder(Parameters(), *this);
        const SourceClipItem& clip = *Clips[index];
        transcoder.ConvertFile(NativePathString(sourcePath), NativePathString(outputPath),
                               ClipRange{clip.TrimStart, clip.TrimEnd, clip.AudioTrack});
        return true;
    } catch (const EngineError& error) {
        ErrorText = QString::fromUtf8(error.what());
    } catch (const std::exception& error) {
        // Anything else (memory, a library surprise) ends the run the same way
        // instead of taking the program down with it.
        ErrorText = QString::fromUtf8(error.what());
        if (ErrorText.isEmpty()) ErrorText = QStringLiteral("Conversion failed\n");
    } catch (...) {
        ErrorText = QStringLiteral("Conversion failed\n");
    }
    ShowError();
    return false;
}

void TCompressThread::ComputeTotalProgress(std::size_t index) {
    TotalPercent = ComputeTotalPercent(Clips, index, CurrentPercent);
}

void TCompressThread::FilePercent(int32_t percent) {
    if (percent <= CurrentPercent) return;
    CurrentPercent = percent;
    ComputeTotalProgress(CurrentIndex);
    ShowProgress();
    ShowStatus();
}

void TCompressThread::FileRestarted() {
    CurrentPercent = 0;
    ComputeTotalProgress(CurrentIndex);
    ShowProgress();
    ShowStatus();
}

bool TCompressThread::IsStopRequested() const {
    return StopRequested;
}

void TCompressThread::DamagePassedOver(double /*secondsIntoClip*/) {
    CurrentDamaged = true;
}

void TCompressThread::Remark(const std::string& text) {
    const QString line = QString::fromStdString(text) + u'\n';
    RunOnHost([this, &line] { Host.ShowRemark(line); });
}

void TCompressThread::Warning(const std::string& text) {
    const QString line =
        Clips[CurrentIndex]->DisplayName + QStringLiteral(": ") + QString::fromStdString(text);
    Warnings << line;
    const QString shown = line + u'\n';
    RunOnHost([this, &shown] { Host.ShowWarning(shown); });
}

void TCompressThread::TemporaryFileChanged(const std::string& path) {
    const std::lock_guard lock(TemporaryFileMutex);
    TemporaryFile = path;
}

void TCompressThread::AbandonOutput() {
    const std::lock_guard lock(TemporaryFileMutex);
    if (!TemporaryFile.empty()) platform::RemoveFile(TemporaryFile);
    TemporaryFile.clear();
}

int64_t TCompressThread::ElapsedSeconds() const {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() -
                                                            StartTime)
        .count();
}

template <typename Call>
void TCompressThread::RunOnHost(Call&& call) {
    QObject* target = Host.HostObject();
    if (target == nullptr || target->thread() == QThread::currentThread()) {
        call();
    } else {
        QMetaObject::invokeMethod(target, std::forward<Call>(call), Qt::BlockingQueuedConnection);
    }
}

void TCompressThread::ShowStatus() {
    StatusReport report;
    report.StatusText = StatusText;
    report.ElapsedSeconds = ElapsedSeconds();
    report.TimeLeftSeconds = EstimateTimeLeft(report.ElapsedSeconds, TotalPercent);
    report.TotalPercent = TotalPercent;
    RunOnHost([this, &report] { Host.ShowStatus(report); });
}

void TCompressThread::ShowProgress() {
    RunOnHost([this] { Host.ShowProgress(CurrentPercent, TotalPercent); });
}

void TCompressThread::ShowError() {
    RunOnHost([this] { Host.ShowError(ErrorText); });
}

void TCompressThread::ShowCompletion() {
    QString message = StopRequested ? QStringLiteral("Process stopped.")
                                    : QStringLiteral("All tasks has been completed!");
    // The status line is overwritten too soon to carry it: the clips whose
    // damage was passed over are named under the message.
    if (!DamagedClips.isEmpty()) {
        message += QStringLiteral("\nDamaged parts were passed over in: ") +
                   DamagedClips.join(QStringLiteral(", "));
    }
    for (const QString& warning : Warnings) message += QStringLiteral("\nWarning: ") + warning;
    RunOnHost([this, &message] { Host.ShowCompletion(message); });
}

void TCompressThread::DetachFromWindow() {
    RunOnHost([this] { Host.DetachFromWindow(this); });
}

void TCompressThread::EnterIdleState() {
    RunOnHost([this] { Host.EnterIdleState(); });
}
