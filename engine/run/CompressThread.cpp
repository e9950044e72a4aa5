#include "CompressThread.h"

#include <QMetaObject>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <exception>
#include <utility>

#include "EngineError.h"
#include "LockedFile.h"
#include "NativePath.h"
#include "OutputNames.h"
#include "Process.h"
#include "Progress.h"
#include "TemporaryOutput.h"

TCompressThread::TCompressThread(const ClipList& clips, QString outputFolder, TWorkerHost& host,
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

void TCompressThread::SetSubtitles(bool burnIn, const std::string& file, int32_t track) {
    Setup.SetSubtitles(burnIn, file, track);
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
        const QString outputPath =
            UnusedOutputPath(BuildOutputPath(OutputFolder, clip.SourcePath),
                             [this, &outputsTaken](const QString& path) {
                                 // Also a name another live process is writing into this
                                 // folder, or claims at the same moment.
                                 if (outputsTaken.contains(path)) return true;
                                 const std::string native = NativePathString(path);
                                 return IsBeingWritten(native) || !ClaimName(native);
                             });
        outputsTaken.insert(outputPath);
        StatusText = QStringLiteral("Converting - ") + clip.DisplayName;
        CurrentIndex = i;
        ShowStatus();
        CurrentDamaged = false;
        CurrentEndedEarly.clear();
        TSubtitleProblem.clear();
        result = ConvertFile(clip.SourcePath, outputPath, i);
        ReleaseNameClaim();
        if (result && !CurrentEndedEarly.isEmpty()) {
            // Damage where the source stops is the cut's own, told by this line.
            if (CurrentDamaged && CurrentDamageAt >= CurrentEndSeconds - 2) CurrentDamaged = false;
            EndedEarly << CurrentEndedEarly;
            RunOnHost([this] { Host.ShowWarning(CurrentEndedEarly + u'\n'); });
        }
        if (result && !TSubtitleProblem.empty()) {
            ClipsWithoutSubtitles << clip.DisplayName;
            RunOnHost([this, &clip] {
                Host.ShowWarning(
                    QStringLiteral("The subtitles of %1 were left out: %2\n")
                        .arg(clip.DisplayName, QString::fromStdString(TSubtitleProblem)));
            });
        }
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
    } catch (const TEngineError& error) {
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

void TCompressThread::DamagePassedOver(double secondsIntoClip) {
    CurrentDamaged = true;
    CurrentDamageAt = secondsIntoClip;
}

namespace {

// "0:01:05": whole seconds, rounded.
QString ClockTime(double seconds) {
    const auto whole = static_cast<long long>(std::llround(std::max(seconds, 0.0)));
    return QStringLiteral("%1:%2:%3")
        .arg(whole / 3600)
        .arg(whole / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(whole % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

void TCompressThread::SourceEndsEarly(double endSeconds, double lengthSeconds) {
    CurrentEndSeconds = endSeconds;
    CurrentEndedEarly =
        QStringLiteral("%1 ends at %2 of %3: the output is shorter")
            .arg(Clips[CurrentIndex]->DisplayName, ClockTime(endSeconds), ClockTime(lengthSeconds));
}

void TCompressThread::SubtitlesLeftOut(const std::string& reason) {
    if (TSubtitleProblem.empty()) TSubtitleProblem = reason;
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
    if (path.empty()) {
        TemporaryFiles.clear();
    } else if (OutputAbandoned) {
        platform::RemoveFile(path);
    } else {
        TemporaryFiles.push_back(path);
    }
}

void TCompressThread::CreateTemporaryFile(const std::function<std::string()>& create) {
    // Held while the file is made: an abandonment waits until the file has a
    // name it can remove.
    const std::lock_guard lock(TemporaryFileMutex);
    const std::string path = create();
    if (path.empty()) return;
    if (OutputAbandoned) {
        platform::RemoveFile(path);
    } else {
        TemporaryFiles.push_back(path);
    }
}

void TCompressThread::AbandonOutput() {
    const std::lock_guard lock(TemporaryFileMutex);
    OutputAbandoned = true;
    for (const std::string& path : TemporaryFiles) platform::RemoveFile(path);
    TemporaryFiles.clear();
    NameClaim.reset();
}

bool TCompressThread::ClaimName(const std::string& outputPath) {
    // Made under the same lock as the temporary files, so that an abandonment
    // removes it too.
    const std::lock_guard lock(TemporaryFileMutex);
    if (OutputAbandoned) return true;
    NameClaim = std::make_unique<TOutputNameClaim>(outputPath);
    if (NameClaim->Holds()) return true;
    NameClaim.reset();
    return false;
}

void TCompressThread::ReleaseNameClaim() {
    const std::lock_guard lock(TemporaryFileMutex);
    NameClaim.reset();
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
    report.ClipNumber = StatusText.isEmpty() ? 0 : static_cast<int32_t>(CurrentIndex + 1);
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
    for (const QString& line : EndedEarly) message += u'\n' + line;
    if (!ClipsWithoutSubtitles.isEmpty()) {
        message += QStringLiteral("\nSubtitles were left out in: ") +
                   ClipsWithoutSubtitles.join(QStringLiteral(", "));
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
