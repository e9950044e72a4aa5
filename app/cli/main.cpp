// kestovar3gp-cli: the conversion engine and the phone profiles for scripts and
// batch work. Files in, .3gp files out, with the desktop program's messages.
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTextStream>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "CliOptions.h"
#include "ClipProbe.h"
#include "CompressThread.h"
#include "ConfigureWorker.h"
#include "ConsoleHost.h"
#include "Dynamicavimport.h"
#include "InterruptWatcher.h"
#include "KestovarVersion.h"
#include "LockedFile.h"
#include "ModelListing.h"
#include "NativePath.h"
#include "OutputFolder.h"
#include "PathNames.h"
#include "PreviewOutput.h"
#include "Process.h"
#include "StartupCheck.h"
#include "Terminal.h"
#include "WorkerParameters.h"

namespace {

constexpr int kExitConverted = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130;  // Ctrl+C; other signals give 128 + their number

void Print(FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

// Before the first media-library call: a missing library or function ends the
// program with a message naming it.
bool BindingUsable() {
    if (const auto problem = BindingStartupProblem(AV)) {
        Print(stderr, QString::fromStdString(*problem) + u'\n');
        return false;
    }
    return true;
}

int Convert(QCoreApplication& app, CliRequest& request) {
    if (!BindingUsable()) return kExitFailed;
    AV.av_log_set_level(request.Verbose ? AV_LOG_INFO : AV_LOG_QUIET);

    if (const auto problem = PrepareOutputFolder(request.OutputFolder)) {
        Print(stderr, problem->Message + u'\n');
        return problem->What == OutputFolderProblem::Kind::InvalidName ? kExitUsage : kExitFailed;
    }

    // A pipe, a device or a folder is refused before anything is converted:
    // reading one could wait for good.
    bool sourcesUsable = true;
    for (const QString& file : request.Files) {
        const QString refusal = SourceRefusal(file);
        if (refusal.isEmpty()) continue;
        Print(stderr, refusal);
        sourcesUsable = false;
    }
    if (!sourcesUsable) return kExitFailed;
    // A subtitle file named must be there before the run starts.
    if (!request.SubtitleFile.isEmpty() && !QFileInfo(request.SubtitleFile).isFile()) {
        Print(stderr,
              QStringLiteral("The subtitle file %1 does not exist.\n").arg(request.SubtitleFile));
        return kExitUsage;
    }

    ClipList clips;
    for (const QString& file : request.Files) {
        clips.push_back(ProbeClip(file));
        clips.back()->TrimStart = request.TrimStart;
        clips.back()->TrimEnd = request.TrimEnd;
        clips.back()->AudioTrack = request.AudioTrack;
    }
    // A sound track the file does not have is bad usage, told before anything
    // is converted. A file whose tracks could not be read fails in its turn.
    bool tracksUsable = true;
    for (const auto& clip : clips) {
        const bool read = clip->SizeMb > 0 || clip->SoundTracks > 0 || clip->SourceWidth > 0;
        if (request.AudioTrack <= clip->SoundTracks || !read) continue;
        Print(stderr, QStringLiteral("There is no sound track %1 in %2: it has %3\n")
                          .arg(request.AudioTrack)
                          .arg(clip->SourcePath)
                          .arg(clip->SoundTracks));
        tracksUsable = false;
    }
    if (!tracksUsable) return kExitUsage;
    if (request.SubtitleTrack > 0 && request.SubtitleFile.isEmpty()) {
        for (const auto& clip : clips) {
            if (request.SubtitleTrack <= clip->SubtitleTracks) continue;
            Print(stderr, QStringLiteral("%1 has %2 subtitle tracks: there is no track %3.\n")
                              .arg(clip->SourcePath)
                              .arg(clip->SubtitleTracks)
                              .arg(request.SubtitleTrack));
            return kExitUsage;
        }
    }

    if (request.PreviewOnly) {
        const std::optional<ConversionParameters> parameters =
            ParametersForSelection(request.Selection);
        if (!parameters) {
            Print(stderr, QStringLiteral("The chosen quality values cannot be used.\n"));
            return kExitUsage;
        }
        ConversionParameters limited = *parameters;
        limited.SizeLimitBytes = request.SizeLimitBytes;
        // The still shows the subtitles the run would burn in.
        limited.BurnSubtitles = request.BurnSubtitles;
        if (!request.SubtitleFile.isEmpty()) {
            limited.SubtitleFile = NativePathString(request.SubtitleFile);
        }
        limited.SubtitleTrack = std::max(request.SubtitleTrack, 0);
        QTextStream out(stdout);
        QTextStream err(stderr);
        return WritePreview(clips, limited, request.OutputFolder, out, err) == 0 ? kExitConverted
                                                                                 : kExitFailed;
    }

    QFile errorOut;
    errorOut.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
    const bool terminal = platform::ErrorsGoToTerminal();
    TConsoleHost host(errorOut, terminal, terminal ? platform::ErrorTerminalWidth() : 80);
    host.SetVerbose(request.Verbose);

    // The worker frees itself after its run (deleteLater on finished), so it is
    // only held through a guarded pointer.
    QPointer<TCompressThread> worker = new TCompressThread(clips, request.OutputFolder, host);
    if (!ConfigureWorker(request.Selection, *worker) ||
        !worker->SetPhoneOptions(request.SizeLimitBytes, request.Selection.EvenLoudness == 1)) {
        delete worker;
        Print(stderr, QStringLiteral("The chosen quality values cannot be used.\n"));
        return kExitUsage;
    }
    worker->SetSubtitles(
        request.BurnSubtitles,
        request.SubtitleFile.isEmpty() ? std::string() : NativePathString(request.SubtitleFile),
        request.SubtitleTrack);
    worker->WorkPriority = request.IdlePriority ? QThread::IdlePriority : QThread::InheritPriority;
    host.SetActiveWorker(worker);

    // The first signal stops the run: the current file ends early but whole.
    // A second Ctrl+C, SIGTERM or SIGHUP ends the program at once, after
    // removing the file being written. A closed pipe (SIGPIPE, again with
    // every write) only ever stops the run.
    int firstSignal = 0;
    TInterruptWatcher watcher([&](int signalNumber) {
        TCompressThread* active = host.Active();
        if (firstSignal != 0 && !TInterruptWatcher::IsClosedPipe(signalNumber)) {
            if (active) active->AbandonOutput();
            Print(stderr, QStringLiteral("\n"));
            std::_Exit(128 + firstSignal);
        }
        if (firstSignal == 0) firstSignal = signalNumber;
        if (active) active->StopRequested = true;
    });

    QObject::connect(worker, &QThread::finished, &app, &QCoreApplication::quit);
    platform::ReturnFreedMemory();
    worker->start();
    app.exec();
    // Let the finished worker's deferred deletion run before the clip list goes.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    if (host.ErrorShown()) {
        // The run stops at the first failure: what came after it is named, so
        // that a script's log tells what is still to do.
        QStringList undone;
        for (qsizetype i = host.LastClip(); i < request.Files.size(); ++i) {
            undone << ShownName(request.Files[i]);
        }
        if (!undone.isEmpty()) {
            Print(stderr,
                  QStringLiteral("Not converted: ") + undone.join(QStringLiteral(", ")) + u'\n');
        }
        return kExitFailed;
    }
    if (firstSignal == SIGINT) return kExitInterrupted;
    return firstSignal != 0 ? 128 + firstSignal : kExitConverted;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    // A file size limit (ulimit -f) makes a write fail like a full disk.
    platform::IgnoreFileSizeLimitSignal();
    QCoreApplication::setApplicationName(QStringLiteral("kestovar3gp-cli"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(KestovarVersion));

    // The arguments with their own bytes kept: a file name that is no valid
    // UTF-8 still reaches the open call as the file system spells it.
    CliParseResult parsed = ParseCommandLine(CommandLineArguments(argc, argv));
    if (!parsed.Error.isEmpty()) {
        Print(stderr, QStringLiteral("kestovar3gp-cli: ") + parsed.Error + u'\n');
        return kExitUsage;
    }
    CliRequest& request = parsed.Request;
    switch (request.What) {
        case CliRequest::Mode::Help:
            Print(stdout, request.HelpText);
            return kExitConverted;
        case CliRequest::Mode::Version:
            if (!BindingUsable()) return kExitFailed;
            Print(stdout, QStringLiteral("kestovar3gp-cli %1\n%2\n")
                              .arg(QCoreApplication::applicationVersion(),
                                   QString::fromStdString(av::LoadedVersions(AV))));
            return kExitConverted;
        case CliRequest::Mode::ListModels:
            Print(stdout, PhoneModelListing());
            return kExitConverted;
        case CliRequest::Mode::ListResolutions:
            Print(stdout, ResolutionListing(request.ModelRow));
            return kExitConverted;
        case CliRequest::Mode::Convert:
            return Convert(app, request);
    }
    return kExitUsage;
}
