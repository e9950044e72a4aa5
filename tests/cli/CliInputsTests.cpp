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
        return test_support::RunProgram(Program, arguments, Environment(), 120000, workingFolder);
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
// name (a second signal: nothing), never a temporary file.
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
        const QString stopped = Out.filePath("long.3gp");
        if (ending.Signals.size() == 1 || QFileInfo::exists(stopped)) {
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

}  // namespace
