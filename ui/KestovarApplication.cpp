#include "KestovarApplication.h"

#include <exception>

#include "AppTitle.h"
#include "ErrorDisplay.h"

TKestovarApplication::TKestovarApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QString::fromUtf8(ApplicationTitle));
    // The menu entry's name, without ".desktop": the desktop matches the
    // windows to their entry by it (the Wayland app id is this name; on X11
    // the entry's StartupWMClass names the windows' class).
    setDesktopFileName(QStringLiteral("example.brenholt_soft.Kestovar3GP"));
}

bool TKestovarApplication::notify(QObject* receiver, QEvent* event) {
    // Qt cannot carry an exception through its event loop; it has to be
    // caught here, shown, and the event counted as handled.
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowErrorDisplay(QString::fromUtf8(error.what()));
    } catch (...) {
        ShowErrorDisplay(QString());
    }
    return true;
}
