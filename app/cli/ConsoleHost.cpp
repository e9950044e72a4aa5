#include "ConsoleHost.h"

#include <QFileDevice>
#include <algorithm>

#include "TimeFormat.h"

namespace {

QString Bar(int32_t percent, int width) {
    const int filled = std::clamp(percent, 0, 100) * width / 100;
    return QStringLiteral("[") + QString(filled, u'#') + QString(width - filled, u'.') +
           QStringLiteral("]");
}

}  // namespace

TConsoleHost::TConsoleHost(QIODevice& out, bool terminal, int terminalWidth)
    : Out(out), Terminal(terminal), TerminalWidth(std::max(terminalWidth, 20)) {}

void TConsoleHost::ShowStatus(const StatusReport& report) {
    // A new clip is announced before its bar is reset: it starts from 0.
    const bool newClip =
        report.StatusText != Status.StatusText || report.ClipNumber != Status.ClipNumber;
    if (newClip) CurrentPercent = 0;
    if (report.ClipNumber > 0) LastClipNumber = report.ClipNumber;
    Status = report;
    if (Detached) return;
    if (Terminal) {
        Redraw();
    } else if (Status.StatusText != LastPlainStatus || Status.ClipNumber != LastPlainClip) {
        // A new clip: its name now, its progress from its first tenth on.
        LastPlainStatus = Status.StatusText;
        LastPlainClip = Status.ClipNumber;
        LastPlainTenth = 0;
        if (!Status.StatusText.isEmpty()) Write(Status.StatusText + u'\n');
    } else {
        PrintPlainProgress();
    }
}

void TConsoleHost::ShowProgress(int32_t currentPercent, int32_t totalPercent) {
    CurrentPercent = currentPercent;
    TotalPercent = totalPercent;
    if (Detached) return;
    // Plain lines follow the status report that comes after each progress one.
    if (Terminal) Redraw();
}

void TConsoleHost::ShowError(const QString& errorText) {
    ErrorSeen = true;
    PrintMessage(errorText);
}

void TConsoleHost::ShowCompletion(const QString& message) {
    PrintMessage(message);
}

void TConsoleHost::ShowWarning(const QString& text) {
    PrintMessage(QStringLiteral("Warning: ") + text);
}

void TConsoleHost::ShowRemark(const QString& text) {
    if (Verbose) PrintMessage(text);
}

void TConsoleHost::DetachFromWindow(TCompressThread* worker) {
    // The last picture of the run stays on the screen; nothing is drawn after it.
    EndLine();
    Detached = true;
    if (ActiveWorker == worker) ActiveWorker = nullptr;
}

void TConsoleHost::EnterIdleState() {
    EndLine();
    Idle = true;
}

void TConsoleHost::Redraw() {
    if (Status.StatusText.isEmpty()) return;
    const auto compose = [this](const QString& status, int clipBar, int totalBar, bool words) {
        const QString pattern =
            words ? QStringLiteral("%1 %2 %3% | total %4 %5% | %6 elapsed, %7 left")
                  : QStringLiteral("%1 %2 %3% %4 %5% %6 +%7");
        return pattern.arg(status, Bar(CurrentPercent, clipBar))
            .arg(CurrentPercent, 3)
            .arg(Bar(TotalPercent, totalBar))
            .arg(TotalPercent, 3)
            .arg(FormatTimeOfDay(Status.ElapsedSeconds), FormatTimeOfDay(Status.TimeLeftSeconds));
    };
    // The line must never wrap, or redrawing it would fill the screen: the
    // bars narrow first, then the words go, then the status text is shortened.
    const qsizetype room = TerminalWidth - 1;
    QString line = compose(Status.StatusText, 20, 10, true);
    if (line.size() > room) line = compose(Status.StatusText, 10, 5, true);
    if (line.size() > room) line = compose(Status.StatusText, 10, 5, false);
    if (line.size() > room) {
        const qsizetype excess = line.size() - room;
        const qsizetype keep = std::max<qsizetype>(Status.StatusText.size() - excess - 3, 4);
        line = compose(Status.StatusText.left(keep) + QStringLiteral("..."), 10, 5, false);
        line.truncate(room);
    }
    Write(QStringLiteral("\r") + line + QStringLiteral("\x1b[K"));
    LineOpen = true;
}

void TConsoleHost::PrintPlainProgress() {
    if (LastPlainStatus.isEmpty()) return;
    // A line per tenth of the clip keeps a log readable.
    const int32_t tenth = std::clamp(CurrentPercent, 0, 100) / 10;
    if (tenth == LastPlainTenth) return;
    LastPlainTenth = tenth;
    Write(
        QStringLiteral("  %1%  total %2%  elapsed %3  left %4\n")
            .arg(CurrentPercent, 3)
            .arg(TotalPercent, 3)
            .arg(FormatTimeOfDay(Status.ElapsedSeconds), FormatTimeOfDay(Status.TimeLeftSeconds)));
}

void TConsoleHost::EndLine() {
    if (!LineOpen) return;
    Write(QStringLiteral("\n"));
    LineOpen = false;
}

void TConsoleHost::PrintMessage(const QString& text) {
    EndLine();
    Write(text.endsWith(u'\n') ? text : text + u'\n');
}

void TConsoleHost::Write(const QString& text) {
    Out.write(text.toUtf8());
    if (auto* file = qobject_cast<QFileDevice*>(&Out)) file->flush();
}
