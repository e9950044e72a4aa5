// kestovar3gp-cli with unusual inputs and endings: signals, odd names, names
// that look like addresses, pipes, protected outputs and the reason each
// failure gives. Every reproducer is made here.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <filesystem>

#include "RunProgram.h"
#include "TestMedia.h"

namespace {

using testmedia::ProcessResult;

const QString Program = QStringLiteral(KESTOVAR_CLI_PATH);

class CliInputs : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Sources = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(testmedia::MakeClip(Source("short.mpg"), 1));
        // Long and large enough to be interrupted while it converts.
        ASSERT_TRUE(testmedia::MakeClip(Source("long.avi"), 30, "640x480", 30, "mpeg4",
                                        "libmp3lame", 44100));
    }
    static void TearDownTestSuite() { Sources.reset(); }
    static QString Source(const QString& name) { return Sources->filePath(name); }

    QProcessEnvironment Environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", Home.path());
        return env;
    }
    ProcessResult Cli(const QStringList& arguments, const QString& workingFolder = QString()) {
        return test_support::RunTextProgram(Program, arguments, Environment(), 120000,
                                            workingFolder);
    }

    // Every file in the output folder, hidden ones too.
    QStringList OutputFiles() const {
        return QDir(Out.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }
    QStringList TemporaryFiles() const { return OutputFiles().filter(QStringLiteral(".part")); }

    // Starts a conversion of long.avi and waits until it runs.
    void StartLongConversion(QProcess& process) {
        process.setProcessEnvironment(Environment());
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(Program, {"-o", Out.path(), Source("long.avi"), Source("short.mpg")});
        ASSERT_TRUE(process.waitForStarted());
        QByteArray out;
        while (!out.contains("Converting - long.avi") && process.state() == QProcess::Running) {
            process.waitForReadyRead(1000);
            out += process.readAll();
        }
        ASSERT_TRUE(out.contains("Converting - long.avi"));
        ASSERT_GT(process.processId(), 0);  // kill(0, ...) would reach the whole group
    }

    static inline std::unique_ptr<QTemporaryDir> Sources;
    QTemporaryDir Home;
    QTemporaryDir Out;
};

#ifndef _WIN32  // POSIX signals, byte names and pipes; scripts/windows/test.sh covers Ctrl+C
// Each ending a person can cause leaves a whole, shorter file under the final
// name (or nothing), never a temporary file.
TEST_F(CliInputs, SignalsLeaveNoTemporaryFile) {
    struct Ending {
        std::vector<int> Signals;
        int ExitCode;
    };
    for (const Ending& ending :
         {Ending{{SIGTERM}, 143}, Ending{{SIGHUP}, 129}, Ending{{SIGINT, SIGINT}, 130}}) {
        SCOPED_TRACE(ending.ExitCode);
        QProcess process;
        StartLongConversion(process);
        for (const int signalNumber : ending.Signals) {
            ::kill(static_cast<pid_t>(process.processId()), signalNumber);
        }
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), ending.ExitCode) << process.readAll().toStdString();
        EXPECT_EQ(TemporaryFiles(), QStringList());
        // A signal before the first picture leaves no file at all.
        const QString stopped = Out.filePath("long.3gp");
        if (QFileInfo::exists(stopped)) {
            EXPECT_TRUE(testmedia::DecodesCleanly(stopped));
            EXPECT_LT(testmedia::DurationOf(testmedia::Probe(stopped)), 29);
        }
        EXPECT_FALSE(QFileInfo::exists(Out.filePath("short.3gp")));
        QFile::remove(stopped);
    }

    // Messages piped into a reader that goes away: SIGPIPE stops the run.
    const QString script = QStringLiteral(
        "\"$0\" -o \"$1\" \"$2\" 2>&1 | head -c 1 >/dev/null; exit ${PIPESTATUS[0]}");
    const ProcessResult piped = test_support::RunProgram(
        "bash", {"-c", script, Program, Out.path(), Source("long.avi")}, Environment());
    EXPECT_EQ(piped.ExitCode, 128 + SIGPIPE) << piped.Err.toStdString();
    EXPECT_EQ(TemporaryFiles(), QStringList());
    EXPECT_TRUE(testmedia::DecodesCleanly(Out.filePath("long.3gp")));
}
#endif

// After SIGKILL the temporary file stays; the next run into the folder
// removes it, as no live process holds it.
TEST_F(CliInputs, NextRunRemovesWhatAKilledRunLeft) {
    QProcess process;
    StartLongConversion(process);
    for (int i = 0; i < 100 && TemporaryFiles().isEmpty(); ++i) QThread::msleep(50);
    ASSERT_EQ(TemporaryFiles().size(), 1);
    process.kill();  // SIGKILL; TerminateProcess on Windows
    ASSERT_TRUE(process.waitForFinished(10000));
    ASSERT_EQ(TemporaryFiles().size(), 1);

    const ProcessResult next = Cli({"-o", Out.path(), Source("short.mpg")});
    EXPECT_EQ(next.ExitCode, 0) << next.Err.toStdString();
    EXPECT_EQ(OutputFiles(), QStringList{"short.3gp"});
}

#ifndef _WIN32  // POSIX signals, byte names and pipes; scripts/windows/test.sh covers Ctrl+C
// Long names up to the file system's limit, colons and bytes that are no
// UTF-8 all convert; a name past the limit fails saying so.
TEST_F(CliInputs, NamesTheFileSystemTakesConvert) {
    QTemporaryDir names;
    const QDir dir(names.path());
    const QString longest = QString(251, u't') + ".ts";  // gives a 255-byte output name
    const QString tooLong = QString(252, u'u') + ".ts";
    for (const QString& name :
         {longest, tooLong, QStringLiteral("12:30 talk.mpg"), QStringLiteral("clip:1.mpg")}) {
        ASSERT_TRUE(QFile::copy(Source("short.mpg"), dir.filePath(name))) << name.toStdString();
    }
    const std::string latin1 = QFile::encodeName(names.path()).toStdString() + "/caf\xe9.mpg";
    std::filesystem::copy_file(QFile::encodeName(Source("short.mpg")).toStdString(), latin1);

    // Relative names, as a shell passes them: "clip:1.mpg" is no address.
    const ProcessResult r =
        Cli({"-o", Out.path(), longest, "12:30 talk.mpg", "clip:1.mpg"}, names.path());
    EXPECT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    for (const QString& name : {QString(251, u't') + ".3gp", QStringLiteral("12:30 talk.3gp"),
                                QStringLiteral("clip:1.3gp")}) {
        EXPECT_TRUE(testmedia::DecodesCleanly(Out.filePath(name))) << name.toStdString();
    }

    // The Latin-1 byte goes through the shell as it is.
    const ProcessResult bytes = test_support::RunProgram(
        "bash",
        {"-c", "exec \"$0\" -o \"$1\" \"$(printf '%s/caf\\351.mpg' \"$2\")\"", Program, Out.path(),
         names.path()},
        Environment());
    EXPECT_EQ(bytes.ExitCode, 0) << bytes.Err.toStdString();
    EXPECT_TRUE(
        std::filesystem::exists(QFile::encodeName(Out.path()).toStdString() + "/caf\xe9.3gp"));

    // QTemporaryDir cannot remove a name that is no UTF-8.
    std::filesystem::remove(latin1);
    std::filesystem::remove(QFile::encodeName(Out.path()).toStdString() + "/caf\xe9.3gp");

    const ProcessResult over = Cli({"-o", Out.path(), dir.filePath(tooLong)});
    EXPECT_EQ(over.ExitCode, 1);
    EXPECT_TRUE(over.Err.contains("Could not open destination file\nFile name too long: " +
                                  QFile::encodeName(Out.filePath(QString(252, u'u') + ".3gp"))))
        << over.Err.toStdString();
    EXPECT_EQ(TemporaryFiles(), QStringList());
}
#endif

// A name that reads as another protocol's address is only a file name.
TEST_F(CliInputs, AddressesAreJustMissingFiles) {
    QTemporaryDir parts;
    ASSERT_TRUE(QFile::copy(Source("short.mpg"), QDir(parts.path()).filePath("a")));
    ASSERT_TRUE(QFile::copy(Source("short.mpg"), QDir(parts.path()).filePath("b")));
    for (const QString& address :
         {QStringLiteral("concat:a|b"), QStringLiteral("http://127.0.0.1:9/x.mpg"),
          QStringLiteral("subfile,,start,0,end,0,,:a")}) {
        const ProcessResult r = Cli({"-o", Out.path(), address}, parts.path());
        EXPECT_EQ(r.ExitCode, 1) << address.toStdString();
        EXPECT_TRUE(r.Err.contains(
            "Could not open source file\nNo such file or directory: " + address.toUtf8() + "\n"))
            << r.Err.toStdString();
    }
    EXPECT_EQ(OutputFiles(), QStringList());
}

#ifndef _WIN32  // POSIX signals, byte names and pipes; scripts/windows/test.sh covers Ctrl+C
// A pipe or a folder is refused before the run, naming it; nothing converts.
TEST_F(CliInputs, SourcesThatAreNoFilesAreRefused) {
    QTemporaryDir odd;
    const QString fifo = QDir(odd.path()).filePath("pipe.avi");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const ProcessResult r = test_support::RunProgram(
        Program, {"-o", Out.path(), Source("short.mpg"), fifo, odd.path()}, Environment(), 20000);
    EXPECT_EQ(r.ExitCode, 1) << r.Err.toStdString();
    EXPECT_TRUE(r.Err.contains(
        "Could not open source file\nNot a regular file (a pipe): " + fifo.toUtf8() + "\n"))
        << r.Err.toStdString();
    EXPECT_TRUE(r.Err.contains("Not a regular file (a folder): " + odd.path().toUtf8()));
    EXPECT_FALSE(r.Err.contains("Converting"));
    EXPECT_EQ(OutputFiles(), QStringList());
}
#endif

// A write-protected output of an earlier run stays, even for root.
TEST_F(CliInputs, WriteProtectedOutputIsKept) {
    const QString kept = Out.filePath("short.3gp");
    {
        QFile file(kept);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("kept");
    }
    ASSERT_TRUE(
        QFile::setPermissions(kept, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    const ProcessResult r = Cli({"-o", Out.path(), Source("short.mpg")});
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_TRUE(
        r.Err.contains("Could not open destination file\nThe existing file is "
                       "write-protected: " +
                       kept.toUtf8() + "\n"))
        << r.Err.toStdString();
    QFile file(kept);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "kept");
    EXPECT_EQ(OutputFiles(), QStringList{"short.3gp"});
}

// The reason line: a missing source, and one the user may not read (run as
// an unprivileged user when the tests run as root).
TEST_F(CliInputs, FailuresSayWhyAndName) {
    const QString missing = Source("missing.avi");
    const ProcessResult r = Cli({"-o", Out.path(), missing});
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_TRUE(r.Err.endsWith(
        "Could not open source file\nNo such file or directory: " + missing.toUtf8() + "\n"))
        << r.Err.toStdString();

    QTemporaryDir shared;
    const QString locked = QDir(shared.path()).filePath("locked.mpg");
    ASSERT_TRUE(QFile::copy(Source("short.mpg"), locked));
    ASSERT_TRUE(QFile::setPermissions(locked, QFile::WriteOwner));
    const auto everyone = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                          QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    for (const QString& folder : {shared.path(), Home.path()}) {
        ASSERT_TRUE(QFile::setPermissions(folder, everyone));
    }
    QStringList command{Program, "-o", shared.path(), locked};
    if (geteuid() == 0) {
        command = QStringList{"--reuid=nobody", "--regid=nogroup", "--clear-groups"} + command;
    }
    const ProcessResult denied = geteuid() == 0
                                     ? test_support::RunProgram("setpriv", command, Environment())
                                     : Cli(command.mid(1));
    EXPECT_EQ(denied.ExitCode, 1) << denied.Err.toStdString();
    EXPECT_TRUE(denied.Err.endsWith(
        "Could not open source file\nPermission denied: " + locked.toUtf8() + "\n"))
        << denied.Err.toStdString();
}

// After a failure the run stops and one line names the files left undone;
// two sources of one name are each announced in a log; a name with a line
// feed stays on its line; a name that looks like options hints at "--"; a
// time beyond 100 hours is refused before anything runs.
TEST_F(CliInputs, RunsTellWhatTheyLeftAndNamesKeepTheirLines) {
    const QString bad = Out.filePath("../bad.ogg");
    QFile garbage(bad);
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(4096, 'x'));
    garbage.close();
    const ProcessResult failed =
        Cli({"-o", Out.path(), bad, Source("short.mpg"), Source("long.avi")});
    QFile::remove(bad);
    EXPECT_EQ(failed.ExitCode, 1);
    EXPECT_TRUE(failed.Err.endsWith("Not converted: " + Source("short.mpg").toUtf8() + ", " +
                                    Source("long.avi").toUtf8() + "\n"))
        << failed.Err.toStdString();
    EXPECT_EQ(OutputFiles(), QStringList());

    QTemporaryDir other;
    const QString twin = QDir(other.path()).filePath("short.mpg");
    ASSERT_TRUE(QFile::copy(Source("short.mpg"), twin));
    const QString odd = QDir(other.path()).filePath("two\nlines.mpg");
    ASSERT_TRUE(QFile::copy(Source("short.mpg"), odd));
    const ProcessResult twins = Cli({"-o", Out.path(), Source("short.mpg"), twin, odd});
    EXPECT_EQ(twins.ExitCode, 0) << twins.Err.toStdString();
    EXPECT_EQ(twins.Err.count("Converting - short.mpg\n"), 2) << twins.Err.toStdString();
    EXPECT_TRUE(twins.Err.contains("Converting - two\\nlines.mpg\n")) << twins.Err.toStdString();

    const ProcessResult dashed = Cli({"-o", Out.path(), "-dash.mp4"});
    EXPECT_EQ(dashed.ExitCode, 2);
    EXPECT_TRUE(dashed.Err.contains("\"--\"")) << dashed.Err.toStdString();

    for (const QString& time : {QStringLiteral("99999999999999999999"), QStringLiteral("360001"),
                                QStringLiteral("100:00:00.5")}) {
        const ProcessResult late = Cli({"-o", Out.path(), "--start", time, Source("short.mpg")});
        EXPECT_EQ(late.ExitCode, 2) << time.toStdString();
        EXPECT_TRUE(late.Err.contains("Time " + time.toUtf8() + " lies past 100 hours"))
            << late.Err.toStdString();
    }
    EXPECT_EQ(Cli({"-o", Out.path(), "--end", "100:00:00", Source("short.mpg")}).ExitCode, 0);
}

#ifndef _WIN32  // ulimit, a preloaded library and flock
// Writing an output: a file size limit fails the clip like a full disk and
// leaves nothing; a finished file reaches the disk before its final name, and
// the folder after it; a name that another running program writes counts as
// taken, so two programs never write one output.
TEST_F(CliInputs, OutputsAreDurableAndNeverShared) {
    const ProcessResult limited =
        test_support::RunProgram("bash",
                                 {"-c", "ulimit -f 100; exec \"$0\" -o \"$1\" \"$2\"", Program,
                                  Out.path(), Source("long.avi")},
                                 Environment());
    EXPECT_EQ(limited.ExitCode, 1) << limited.Err.toStdString();
    EXPECT_TRUE(limited.Err.contains("File too large: ")) << limited.Err.toStdString();
    EXPECT_EQ(OutputFiles(), QStringList());

    const QString log = Home.filePath("sync.log");
    QProcessEnvironment logged = Environment();
    logged.insert("LD_PRELOAD", KESTOVAR_SYNC_LOG_LIBRARY);
    logged.insert("KESTOVAR_SYNC_LOG", log);
    logged.insert("ASAN_OPTIONS",
                  logged.value("ASAN_OPTIONS") + QStringLiteral(":verify_asan_link_order=0"));
    const ProcessResult synced =
        test_support::RunProgram(Program, {"-o", Out.path(), Source("short.mpg")}, logged);
    EXPECT_EQ(synced.ExitCode, 0) << synced.Err.toStdString();
    QFile calls(log);
    ASSERT_TRUE(calls.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(calls.readAll()).split('\n', Qt::SkipEmptyParts);
    const QString folder = QFileInfo(Out.path()).canonicalFilePath();
    const qsizetype renamed = lines.indexOf(QRegularExpression("^rename .*\\.part .*short\\.3gp$"));
    ASSERT_GE(renamed, 1) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines[renamed - 1].startsWith("fsync " + folder + "/.k3gp-"))
        << lines.join('\n').toStdString();
    ASSERT_GT(lines.size(), renamed + 1);
    EXPECT_EQ(lines[renamed + 1], "fsync " + folder) << lines.join('\n').toStdString();
    QFile::remove(Out.filePath("short.3gp"));

    // Two programs at once, clip.avi from one folder and clip.mpg from another.
    QTemporaryDir first;
    QTemporaryDir second;
    ASSERT_TRUE(QFile::copy(Source("long.avi"), QDir(first.path()).filePath("clip.avi")));
    ASSERT_TRUE(QFile::copy(Source("short.mpg"), QDir(second.path()).filePath("clip.mpg")));
    QProcess running;
    running.setProcessEnvironment(Environment());
    running.setProcessChannelMode(QProcess::MergedChannels);
    running.start(Program, {"-o", Out.path(), QDir(first.path()).filePath("clip.avi")});
    ASSERT_TRUE(running.waitForStarted());
    QByteArray out;
    while (!out.contains("Converting - clip.avi") && running.state() == QProcess::Running) {
        running.waitForReadyRead(1000);
        out += running.readAll();
    }
    const ProcessResult beside = Cli({"-o", Out.path(), QDir(second.path()).filePath("clip.mpg")});
    EXPECT_EQ(beside.ExitCode, 0) << beside.Err.toStdString();
    ASSERT_TRUE(running.waitForFinished(120000));
    EXPECT_EQ(running.exitCode(), 0);
    EXPECT_EQ(OutputFiles(), (QStringList{"clip (2).3gp", "clip.3gp"}));
    EXPECT_LT(testmedia::DurationOf(testmedia::Probe(Out.filePath("clip (2).3gp"))), 2);
    EXPECT_GT(testmedia::DurationOf(testmedia::Probe(Out.filePath("clip.3gp"))), 25);
}
#endif

}  // namespace

// Subtitles asked for that cannot be had: a named file that is missing, or a
// track number a source does not have, is refused before the run; a subtitle
// file beside the source that cannot be read gives a warning and the clip
// converts without it.
TEST_F(CliInputs, SubtitleRequestsAreCheckedBeforeTheRun) {
    const ProcessResult missing =
        Cli({"-o", Out.path(), "--subtitle-file", Source("nowhere.srt"), Source("short.mpg")});
    EXPECT_EQ(missing.ExitCode, 2) << missing.Err.toStdString();
    EXPECT_TRUE(missing.Err.contains("nowhere.srt")) << missing.Err.toStdString();
    const ProcessResult track =
        Cli({"-o", Out.path(), "--subtitle-track", "1", Source("short.mpg")});
    EXPECT_EQ(track.ExitCode, 2) << track.Err.toStdString();
    EXPECT_TRUE(track.Err.contains("no track 1")) << track.Err.toStdString();
    EXPECT_TRUE(OutputFiles().isEmpty());

    QTemporaryDir folder;
    ASSERT_TRUE(QFile::copy(Source("short.mpg"), folder.filePath("film.mpg")));
    QFile junk(folder.filePath("film.en.srt"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(2048, '\x02'));
    junk.close();
    const ProcessResult converted =
        Cli({"-o", Out.path(), "--subtitles", folder.filePath("film.mpg")});
    EXPECT_EQ(converted.ExitCode, 0) << converted.Err.toStdString();
    EXPECT_TRUE(converted.Err.contains("Warning: The subtitles of film.mpg were left out"))
        << converted.Err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(Out.filePath("film.3gp")));
}
