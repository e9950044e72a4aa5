#include "ConvertTestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>

#include "MainFrm.h"
#include "MessageBoxFrm.h"

namespace convert_test {

namespace {

std::unique_ptr<QTemporaryDir>& HomeDir() {
    static std::unique_ptr<QTemporaryDir> dir;
    return dir;
}

struct ProgramResult {
    bool Ran = false;
    int ExitCode = -1;
    QByteArray Output;
    QByteArray Errors;
};

ProgramResult RunProgram(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    ProgramResult result;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.Ran = true;
    result.ExitCode = process.exitCode();
    result.Output = process.readAllStandardOutput();
    result.Errors = process.readAllStandardError();
    return result;
}

}  // namespace

void UseTemporaryHome() {
    HomeDir() = std::make_unique<QTemporaryDir>();
    const QByteArray home = QFile::encodeName(HomeDir()->path());
    qputenv("HOME", home);
    qputenv("XDG_CONFIG_HOME", home + "/.config");
    QDir(HomeDir()->path()).mkpath(QStringLiteral(".config"));
}

QString HomeFolder() {
    return HomeDir() ? HomeDir()->path() : QString();
}

QString SettingsFilePath() {
    return HomeFolder() + QStringLiteral("/.config/Brenholt/Kestovar3GPVideoConverter.conf");
}

QString MakeClip(const QString& path, int seconds, int width, int height) {
    const ProgramResult result =
        RunProgram(QStringLiteral("ffmpeg"),
                   {"-v",
                    "error",
                    "-y",
                    "-f",
                    "lavfi",
                    "-i",
                    QStringLiteral("testsrc=size=%1x%2:rate=25").arg(width).arg(height),
                    "-f",
                    "lavfi",
                    "-i",
                    "sine=frequency=440:sample_rate=22050",
                    "-t",
                    QString::number(seconds),
                    "-c:v",
                    "mpeg4",
                    "-q:v",
                    "5",
                    "-c:a",
                    "pcm_s16le",
                    path});
    if (!result.Ran || result.ExitCode != 0) {
        qWarning("ffmpeg failed: %s", result.Errors.constData());
        return {};
    }
    return path;
}

QString MakeJunkFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return {};
    for (int i = 0; i < 400; ++i) file.write("this is no video at all\n");
    return path;
}

bool DecodesCleanly(const QString& path, QString* complaint) {
    const ProgramResult result = RunProgram(
        QStringLiteral("ffmpeg"), {"-nostdin", "-v", "error", "-i", path, "-f", "null", "-"});
    const QByteArray said = result.Output + result.Errors;
    if (complaint) *complaint = QString::fromUtf8(said);
    return result.Ran && result.ExitCode == 0 && said.trimmed().isEmpty();
}

double DurationOf(const QString& path) {
    const ProgramResult result = RunProgram(
        QStringLiteral("ffprobe"),
        {"-v", "error", "-show_entries", "format=duration", "-of", "default=nw=1:nk=1", path});
    bool ok = false;
    const double seconds = result.Output.trimmed().toDouble(&ok);
    return result.Ran && result.ExitCode == 0 && ok ? seconds : -1;
}

QStringList CodecsOf(const QString& path) {
    const ProgramResult result = RunProgram(
        QStringLiteral("ffprobe"),
        {"-v", "error", "-show_entries", "stream=codec_name", "-of", "default=nw=1:nk=1", path});
    return QString::fromUtf8(result.Output).split(u'\n', Qt::SkipEmptyParts);
}

std::unique_ptr<TMainForm> NewMainForm() {
    auto form = std::make_unique<TMainForm>();
    form->ConversionPriority = QThread::NormalPriority;
    return form;
}

MessageBoxAnswerer::MessageBoxAnswerer() {
    Timer = new QTimer(qApp);
    QObject::connect(Timer, &QTimer::timeout, Timer, [this] {
        auto* box = qobject_cast<TMessageBoxForm*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible() || box->property("answered").toBool()) return;
        box->setProperty("answered", true);
        const QString text = box->lbMessage->toPlainText();
        Messages.append(text);
        if (OnMessage) OnMessage(text);
        box->btnOK->click();
    });
    Timer->start(10);
}

MessageBoxAnswerer::~MessageBoxAnswerer() {
    delete Timer;
}

}  // namespace convert_test
