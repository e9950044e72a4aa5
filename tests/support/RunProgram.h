// Runs a program to its end and collects its exit code and what it printed.
#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <optional>

namespace test_support {

struct ProgramResult {
    // The exit code; -1 when the program could not start, crashed or did not
    // finish in time.
    int ExitCode = -1;
    QByteArray Out;
    QByteArray Err;
};

// Runs program with the arguments and waits up to timeoutMs for it to end; a
// program still running then is killed. environment, when given, replaces the
// inherited one; workingFolder, when not empty, is the folder it runs in. When
// the program does not start or does not finish in time, Err says so.
ProgramResult RunProgram(const QString& program, const QStringList& arguments,
                         const std::optional<QProcessEnvironment>& environment = std::nullopt,
                         int timeoutMs = 120000, const QString& workingFolder = QString());

// RunProgram for a program that prints text: on Windows, where its output
// ends lines with CR LF, those come back as LF, so that the texts compare as
// they do on Linux.
ProgramResult RunTextProgram(const QString& program, const QStringList& arguments,
                             const std::optional<QProcessEnvironment>& environment = std::nullopt,
                             int timeoutMs = 120000, const QString& workingFolder = QString());

}  // namespace test_support
