#include "TemporaryHome.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

namespace test_support {

namespace {

std::unique_ptr<QTemporaryDir>& HomeDir() {
    static std::unique_ptr<QTemporaryDir> dir;
    return dir;
}

}  // namespace

void UseTemporaryHome() {
    HomeDir() = std::make_unique<QTemporaryDir>();
    const QByteArray home = QFile::encodeName(HomeDir()->path());
    qputenv("HOME", home);
    qputenv("XDG_CONFIG_HOME", home + "/.config");
    QDir(HomeDir()->path()).mkpath(QStringLiteral(".config"));
}

QString HomeFolder() {
    return HomeDir() ? HomeDir()->path() : QString();
}

QString SettingsFilePath() {
    return HomeFolder() + QStringLiteral("/.config/Brenholt/Kestovar3GPVideoConverter.conf");
}

}  // namespace test_support
