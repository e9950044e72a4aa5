// The desktop program. The media libraries were loaded before main() ran
// (the global AV); they are released after it returns.
#include <QString>
#include <QStringList>
#include <cstdio>

#include "DesktopCommandLine.h"
#include "Dynamicavimport.h"
#include "KestovarApplication.h"
#include "KestovarVersion.h"
#include "LockedFile.h"
#include "Startup.h"

namespace {

constexpr int kExitUsage = 2;

void Print(FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

}  // namespace

int main(int argc, char** argv) {
    // A file size limit (ulimit -f) makes a write fail like a full disk.
    platform::IgnoreFileSizeLimitSignal();
    // The command line is read before the application object exists, so that
    // --help and --version work where no display is available.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments.append(QString::fromLocal8Bit(argv[i]));
    const DesktopParseResult parsed = ParseDesktopCommandLine(arguments);
    if (!parsed.Error.isEmpty()) {
        Print(stderr, QStringLiteral("kestovar3gp: ") + parsed.Error + u'\n');
        return kExitUsage;
    }
    switch (parsed.Request.What) {
        case DesktopRequest::Mode::Help:
            Print(stdout, parsed.Request.HelpText);
            return 0;
        case DesktopRequest::Mode::Version:
            if (!AV.Problems().empty()) {
                Print(stderr, QString::fromStdString(av::ProblemsMessage(AV.Problems())) + u'\n');
                return 1;
            }
            Print(stdout, QStringLiteral("kestovar3gp %1\n%2\n")
                              .arg(QString::fromLatin1(KestovarVersion),
                                   QString::fromStdString(av::LoadedVersions(AV))));
            return 0;
        case DesktopRequest::Mode::Run:
            break;
    }

    // The application object sets the title, and shows any error that
    // escapes an event handler.
    TKestovarApplication app(argc, argv);
    return RunDesktopProgram(app, AV.Problems(), parsed.Request.Files);
}
