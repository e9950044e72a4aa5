#include "ConvertTestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>

#include "ConvertPage.h"
#include "MainFrm.h"
#include "MessageBoxFrm.h"
#include "RunProgram.h"
#include "TestClips.h"

namespace convert_test {

using test_support::ProgramResult;

QString MakeClip(const QString& path, int seconds, int width, int height) {
    return test_support::MakeMpeg4PcmClip(path, seconds, width, height, 22050);
}

QString MakeJunkFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return {};
    for (int i = 0; i < 400; ++i) file.write("this is no video at all\n");
    return path;
}

bool DecodesCleanly(const QString& path, QString* complaint) {
    const ProgramResult result = test_support::RunProgram(
        QStringLiteral("ffmpeg"), {"-nostdin", "-v", "error", "-i", path, "-f", "null", "-"});
    const QByteArray said = result.Out + result.Err;
    if (complaint) *complaint = QString::fromUtf8(said);
    return result.ExitCode == 0 && said.trimmed().isEmpty();
}

double DurationOf(const QString& path) {
    const ProgramResult result = test_support::RunProgram(
        QStringLiteral("ffprobe"),
        {"-v", "error", "-show_entries", "format=duration", "-of", "default=nw=1:nk=1", path});
    bool ok = false;
    const double seconds = result.Out.trimmed().toDouble(&ok);
    return result.ExitCode == 0 && ok ? seconds : -1;
}

QStringList CodecsOf(const QString& path) {
    const ProgramResult result = test_support::RunProgram(
        QStringLiteral("ffprobe"),
        {"-v", "error", "-show_entries", "stream=codec_name", "-of", "default=nw=1:nk=1", path});
    return QString::fromUtf8(result.Out).split(u'\n', Qt::SkipEmptyParts);
}

std::unique_ptr<TMainForm> NewMainForm() {
    auto form = std::make_unique<TMainForm>();
    form->ConvertPage()->SetRunPriority(QThread::NormalPriority);
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
