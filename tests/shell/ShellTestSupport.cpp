#include "ShellTestSupport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTimer>
#include <QWidget>

TemporarySettings::TemporarySettings() {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, Dir.path());
}

QString TemporarySettings::FilePath() const {
    return Dir.path() + QStringLiteral("/Brenholt/Kestovar3GPVideoConverter.conf");
}

void TemporarySettings::WriteFile(const QByteArray& generalSection) const {
    QDir().mkpath(Dir.path() + QStringLiteral("/Brenholt"));
    QFile file(FilePath());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write("[General]\n" + generalSection);
}

void UseUnwritableSettingsPath(const QString& regularFile) {
    const QString below = regularFile + QStringLiteral("/config");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, below);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, below);
}

void OnNextModal(std::function<void(QWidget*)> inspect, int timeoutMs) {
    auto* timer = new QTimer(qApp);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, timer, [timer, clock, inspect, timeoutMs] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible()) {
            timer->stop();
            timer->deleteLater();
            inspect(modal);
            modal->close();
        } else if (clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(10);
}

QString ScreenshotFolder() {
    const QString folder = QStringLiteral(KESTOVAR_BINARY_DIR "/screenshots");
    QDir().mkpath(folder);
    return folder;
}
