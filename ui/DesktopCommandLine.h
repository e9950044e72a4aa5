// The desktop program's command line: the video files to list at start-up
// (how a file manager's "Open With" and the desktop entry pass them), and
// --help and --version as the command-line program has them.
#pragma once

#include <QString>
#include <QStringList>

struct DesktopRequest {
    enum class Mode { Run, Help, Version };
    Mode What = Mode::Run;
    // Run: the files to add, in the order given, each made absolute (a
    // relative name against the current folder) with the platform's
    // separators. A "file:" address counts as its local path.
    QStringList Files;
    QString HelpText;  // the full --help text
};

struct DesktopParseResult {
    DesktopRequest Request;
    // Empty when the command line is usable; else what is wrong with it, for
    // standard error (the program then ends with status 2).
    QString Error;
};

// arguments includes the program name first. "--" ends the options: every
// argument after it is a file, also one that starts with "-".
DesktopParseResult ParseDesktopCommandLine(const QStringList& arguments);
