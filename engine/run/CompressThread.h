// TCompressThread: the conversion worker. One worker converts a clip list into
// .3gp files, one clip after another, on its own thread, and reports the run
// to its host (the main window or the command-line program).
#pragma once

#include <QString>
#include <QStringList>
#include <QThread>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ConversionParameters.h"
#include "SourceClip.h"
#include "TemporaryOutput.h"
#include "Transcoder.h"
#include "WorkerHost.h"
#include "WorkerParameters.h"
#include "WorkerSetup.h"

// Life of a worker: constructed (not started) over the host's clip list and the
// output folder; configured through the two setters; started with
// start(QThread::IdlePriority); it deletes itself (deleteLater) once its thread
// body has returned, so nobody may use it after the finished() signal.
//
// Every report reaches the host on the host object's thread while the worker
// waits (a blocking queued call). Hence the host's thread must never block
// waiting for the worker (QThread::wait()): it would wait for a worker that
// waits for it. A host that closes during a run clears ReportCompletion, sets
// StopRequested and then waits for finished() with its event loop running (a
// local QEventLoop quit by finished(), for example): the worker's remaining
// calls are delivered, the current file ends properly, and nothing else in
// the worker blocks. A host object destroyed while a call is queued releases
// the waiting worker as well (Qt drops the call and wakes the caller).
class TCompressThread : public QThread, public TWorkerSetup, private TTranscodeObserver {
    Q_OBJECT

public:
    // The clip list is read, not copied: it must stay unchanged and alive until
    // finished(). host must outlive the worker as well.
    TCompressThread(const ClipList& clips, QString outputFolder, TWorkerHost& host,
                    QObject* parent = nullptr);
    ~TCompressThread() override;

    bool SetVideoParameters(int32_t width, int32_t height, int32_t frameRateIndex, int32_t bitRate,
                            int32_t codecChoice) override;
    bool SetPictureFit(int32_t fit) override;
    bool SetAudioParameters(int32_t bitRateKbps, int32_t sampleRate, int32_t channels,
                            int32_t codecChoice) override;
    bool SetPhoneOptions(int64_t sizeLimitBytes, bool evenLoudness) override;
    // Subtitles burned into the pictures: file (the file system's bytes) for
    // every clip when not empty, else track (1-based among a clip's subtitle
    // tracks; 0 the forced, default or first one), else a file beside the clip.
    void SetSubtitles(bool burnIn, const std::string& file = {}, int32_t track = 0);
    void SetSubtitleBurnIn(bool burnIn) override { SetSubtitles(burnIn); }

    const ConversionParameters& Parameters() const { return Setup.Parameters(); }

    // Converts one source file; true lets the run go on. A failure has been
    // shown to the host (ShowError) when this returns false.
    bool ConvertFile(const QString& sourcePath, const QString& outputPath, std::size_t index);

    // Removes the temporary file of the clip being converted, for a host that
    // ends the program at once (a second Ctrl+C): nothing half-written stays.
    // Any thread may call it; the worker's thread must not go on converting.
    void AbandonOutput();

    // Claims the output name for the clip about to be converted (see
    // TOutputNameClaim); false when another live process holds it.
    bool ClaimName(const std::string& outputPath);
    void ReleaseNameClaim();

    // TotalPercent for the clip at index, at CurrentPercent.
    void ComputeTotalProgress(std::size_t index);

    // Written by the host while the worker runs. A stop ends the current file
    // normally (a complete, shorter file) and starts no further clip; a cleared
    // ReportCompletion suppresses the closing message.
    std::atomic<bool> StopRequested{false};
    std::atomic<bool> ReportCompletion{true};

    // The priority the thread body runs at. The desktop program keeps the idle
    // priority so that a conversion only takes time nothing else wants; a batch
    // caller may choose another before start(), or InheritPriority to keep the
    // one it was started with.
    QThread::Priority WorkPriority = QThread::IdlePriority;

    int32_t CurrentPercent = 0;
    int32_t TotalPercent = 0;
    QString StatusText;
    QString ErrorText;

protected:
    void run() override;

private:
    // TTranscodeObserver, on the worker's thread.
    void FilePercent(int32_t percent) override;
    bool IsStopRequested() const override;
    void DamagePassedOver(double secondsIntoClip) override;
    void SourceEndsEarly(double endSeconds, double lengthSeconds) override;
    void TemporaryFileChanged(const std::string& path) override;
    void CreateTemporaryFile(const std::function<std::string()>& create) override;
    void FileRestarted() override;
    void SubtitlesLeftOut(const std::string& reason) override;
    void Remark(const std::string& text) override;
    void Warning(const std::string& text) override;

    // The host's procedures, each run on the host object's thread.
    void ShowStatus();
    void ShowProgress();
    void ShowError();
    void ShowCompletion();
    void DetachFromWindow();
    void EnterIdleState();

    template <typename Call>
    void RunOnHost(Call&& call);

    int64_t ElapsedSeconds() const;

    const ClipList& Clips;
    const QString OutputFolder;
    TWorkerHost& Host;
    TWorkerParameters Setup;  // what the setters made of the selection
    std::chrono::steady_clock::time_point StartTime{};
    std::size_t CurrentIndex = 0;
    bool CurrentDamaged = false;        // damage of the current file was passed over
    double CurrentDamageAt = 0;         // where, in seconds
    double CurrentEndSeconds = 0;       // where a source cut short ends
    QString CurrentEndedEarly;          // "X ends at ...", for a source cut short
    QStringList DamagedClips;           // display names of the converted clips with damage
    QStringList EndedEarly;             // a line for each converted clip cut short
    QStringList Warnings;               // "NAME: why it will not look right", per clip
    std::string TSubtitleProblem;       // why the current file's subtitles were left out
    QStringList ClipsWithoutSubtitles;  // display names of the converted clips without them

    // The temporary files of the current clip (a size limit's passes may keep
    // an earlier one beside the one being written). Once the output is
    // abandoned, any file still made is removed at once.
    std::mutex TemporaryFileMutex;
    std::vector<std::string> TemporaryFiles;
    std::unique_ptr<TOutputNameClaim> NameClaim;  // of the clip being converted
    bool OutputAbandoned = false;
};
