#include "RunProgram.h"

#include <QProcess>

namespace test_support {

ProgramResult RunProgram(const QString& program, const QStringList& arguments,
                         const std::optional<QProcessEnvironment>& environment, int timeoutMs,
                         const QString& workingFolder) {
    QProcess process;
    if (environment) process.setProcessEnvironment(*environment);
    if (!workingFolder.isEmpty()) process.setWorkingDirectory(workingFolder);
    process.start(program, arguments);
    ProgramResult result;
    if (!process.waitForStarted(timeoutMs)) {
        result.Err = "could not run " + program.toUtf8();
        return result;
    }
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        result.Err =
            program.toUtf8() + " did not finish within " + QByteArray::number(timeoutMs) + " ms";
        return result;
    }
    result.ExitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.Out = process.readAllStandardOutput();
    result.Err = process.readAllStandardError();
    return result;
}

ProgramResult RunTextProgram(const QString& program, const QStringList& arguments,
                             const std::optional<QProcessEnvironment>& environment, int timeoutMs,
                             const QString& workingFolder) {
    ProgramResult result = RunProgram(program, arguments, environment, timeoutMs, workingFolder);
#ifdef _WIN32
    result.Out.replace("\r\n", "\n");
    result.Err.replace("\r\n", "\n");
#endif
    return result;
}

}  // namespace test_support
