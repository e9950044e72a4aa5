// Helpers of the shell tests: a private settings folder per test and the
// handling of modal windows that a test opens.
#pragma once

#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <memory>

class QWidget;

// Points the per-user settings at a fresh temporary folder (never the user's
// own) for as long as it lives.
class TemporarySettings {
public:
    TemporarySettings();
    // The file the application's settings are kept in.
    QString FilePath() const;
    // Writes the settings file by hand (INI text, without the section line).
    void WriteFile(const QByteArray& generalSection) const;
    QString Folder() const { return Dir.path(); }

private:
    QTemporaryDir Dir;
};

// Points the per-user settings at a folder below a regular file, which even
// root cannot create.
void UseUnwritableSettingsPath(const QString& regularFile);

// Calls inspect on the next modal window that opens (within timeoutMs), then
// closes it with its close box. Returns at once; the check runs from the event
// loop of the modal window.
void OnNextModal(std::function<void(QWidget*)> inspect, int timeoutMs = 5000);

// The folder the screenshots go to: build/screenshots.
QString ScreenshotFolder();
