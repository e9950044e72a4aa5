// The command-line program's side of a run: it shows the worker's reports on
// standard error, as one line redrawn in place on a terminal and as plain lines
// elsewhere, and prints every message of the run as the engine words it.
#pragma once

#include <QIODevice>
#include <QObject>
#include <QPointer>
#include <QString>

#include "CompressThread.h"
#include "WorkerHost.h"

class TConsoleHost : public QObject, public TWorkerHost {
    Q_OBJECT

public:
    // out receives everything; terminal chooses the redrawn line, and
    // terminalWidth limits its length.
    TConsoleHost(QIODevice& out, bool terminal, int terminalWidth = 80);

    QObject* HostObject() override { return this; }
    void ShowStatus(const StatusReport& report) override;
    void ShowProgress(int32_t currentPercent, int32_t totalPercent) override;
    void ShowError(const QString& errorText) override;
    void ShowCompletion(const QString& message) override;
    void ShowWarning(const QString& text) override;
    // Remarks are printed only with --verbose.
    void ShowRemark(const QString& text) override;
    void SetVerbose(bool verbose) { Verbose = verbose; }
    void DetachFromWindow(TCompressThread* worker) override;
    void EnterIdleState() override;

    void SetActiveWorker(TCompressThread* worker) { ActiveWorker = worker; }
    TCompressThread* Active() const { return ActiveWorker; }
    bool ErrorShown() const { return ErrorSeen; }
    bool IsIdle() const { return Idle; }
    // The last clip the run started on, counted from 1; 0 before any.
    int32_t LastClip() const { return LastClipNumber; }

private:
    void Redraw();
    void PrintPlainProgress();
    void EndLine();
    void PrintMessage(const QString& text);
    void Write(const QString& text);

    QIODevice& Out;
    const bool Terminal;
    const int TerminalWidth;
    QPointer<TCompressThread> ActiveWorker;
    bool Detached = false;
    bool LineOpen = false;  // a redrawn line stands without its line feed
    bool ErrorSeen = false;
    bool Idle = false;
    bool Verbose = false;

    StatusReport Status;
    int32_t CurrentPercent = 0;
    int32_t TotalPercent = 0;
    int32_t LastPlainTenth = -1;  // plain lines: the last tenth of the clip printed
    QString LastPlainStatus;
    int32_t LastPlainClip = 0;
    int32_t LastClipNumber = 0;
};
