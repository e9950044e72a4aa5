// Step 3 of the wizard, the page "ConvertPage": the output folder, the
// Start/Stop button and the progress display, and the state of a run.
//
// A run: "Start" checks the output folder and has the run controller start
// one worker over a copy of the clip list, configured from the selection, at
// idle priority, and turns the window busy. The worker reports to the
// controller (its host), whose signals this page shows. "Stop" asks the
// worker to stop and
// turns the window idle at once; the stopped worker still ends its current
// file, and no new run is accepted until its thread has ended ("Start" is
// greyed meanwhile).
#pragma once

#include <QPointer>
#include <QString>
#include <QThread>
#include <QWidget>
#include <functional>

#include "SourceClip.h"

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class TCompressThread;
class TRunController;
struct StatusReport;

class TConvertPage : public QWidget {
    Q_OBJECT
public:
    // run: the controller that runs the worker and shows the messages.
    // clips: step 1's list, copied at each start. fileOpenClip: the window's
    // open action, which "Start" runs when no clip is listed.
    TConvertPage(QWidget* parent, TRunController& run, const ::ClipList& clips,
                 QAction* fileOpenClip);

    // The text of the output folder box, as the settings store keeps it.
    QString OutputFolderText() const;
    void SetOutputFolderText(const QString& text);

    // Asks the user for a folder, starting at startFolder; an empty string
    // when cancelled. Empty: the platform's folder dialog. Tests put their own.
    using OutputFolderChooser = std::function<QString(QWidget* parent, const QString& startFolder)>;
    void SetOutputFolderChooser(OutputFolderChooser chooser) {
        ChooseOutputFolder = std::move(chooser);
    }
    // The priority a run's worker is started at: idle by default, so that a
    // conversion only takes processor time that nothing else wants.
    QThread::Priority RunPriority() const;
    void SetRunPriority(QThread::Priority priority);

    // The worker of the current run, none when no conversion runs. The page
    // does not own it: it frees itself when it has finished.
    TCompressThread* CurrentWorker() const;
    // Makes worker the current run's worker (or none), as "Start" does with
    // the worker it creates; tests attach a worker of their own this way.
    void SetCurrentWorker(TCompressThread* worker);
    // The worker of the latest run until its thread has ended, also after
    // "Stop" or its detaching (CurrentWorker is none then); none otherwise. No
    // new run starts while it exists, and the window's destruction waits for
    // it before the clips and the media libraries go.
    TCompressThread* RunWorker() const;

    void btnStartStopClick();
    void StartConvertExecute();
    void AbortConvertExecute();
    // Busy: "Stop" on the button, the folder fixed; the window follows
    // through BusyChanged. Idle: "Start" and the display cleared.
    void SetBusyState(bool busy);
    void FileBrowseOutFolderExecute();
    void btnOpenOutFolderClick();

    // The run's reports, on the window's thread while the worker waits.
    void ShowStatus(const StatusReport& report);
    void ShowProgress(int32_t currentPercent, int32_t totalPercent);

signals:
    void BusyChanged(bool busy);

private:
    // The run's worker has ended its thread: its clips go, Start is offered.
    void RunWorkerFinished();
    // Keeps Start from being pressed while the worker of the last run ends.
    void HoldStartUntilWorkerEnds();
    // The worker let go of its run by itself: Start waits for its end.
    void RunWorkerDetached();
    // A message box over the window, then the window drawn anew.
    void ShowMessage(const QString& text);

    TRunController& Run;
    const ::ClipList& ClipList;
    QAction* FileOpenClip = nullptr;
    OutputFolderChooser ChooseOutputFolder;

    QGroupBox* gbConvertVideo = nullptr;  // "Convert video file(s)"
    QLabel* lbOutFolder = nullptr;        // "Output Folder:"
    QLineEdit* ebOutFolder = nullptr;
    QPushButton* btnBrowseOutput = nullptr;   // "Browse": FileBrowseOutFolder
    QPushButton* btnOpenOutFolder = nullptr;  // "Open": the folder in the file manager
    QLabel* lbStatusCaption = nullptr;        // "Status:"
    QLabel* lbStatus = nullptr;               // the worker's status line
    QProgressBar* ConvertProgress = nullptr;  // the current clip, 0 to 100
    QLabel* lbElapsedTimeCaption = nullptr;   // "Elapsed Time:"
    QLabel* lbElapsedTime = nullptr;
    QLabel* lbTimeLeftCaption = nullptr;  // "Time Left:"
    QLabel* lbTimeLeft = nullptr;
    QProgressBar* TotalProgress = nullptr;   // the whole list, 0 to 100
    QPushButton* btnStartStop = nullptr;     // "Start" / "Stop"
    QAction* StartConvert = nullptr;         // "Start converting"
    QAction* AbortConvert = nullptr;         // "Abort converting"
    QAction* FileBrowseOutFolder = nullptr;  // "Browse Output Folder"
};
