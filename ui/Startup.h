// The desktop program's start-up and shutdown, in order: the media-library
// check, the main window, the Quality Settings dialog, the message loop, and
// the windows' destruction, newest first.
#pragma once

#include <QStringList>
#include <string>
#include <vector>

class QApplication;

// Runs the program on an application object that already exists.
// bindingProblems: what keeps the media libraries from being used (empty
// when they can be). Returns 0 after a normal end, 1 when the libraries
// cannot be used or a window could not be built (each shown in the error
// display first). files: added to the clip list, in order, once the main
// window shows (absolute paths, as the command line gives them).
int RunDesktopProgram(QApplication& app, const std::vector<std::string>& bindingProblems,
                      const QStringList& files = {});
