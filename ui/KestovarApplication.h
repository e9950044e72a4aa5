// The application object of the desktop program: an error that escapes an
// event handler is shown in the error display, and the program goes on.
#pragma once

#include <QApplication>

class TKestovarApplication : public QApplication {
    Q_OBJECT
public:
    TKestovarApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};
