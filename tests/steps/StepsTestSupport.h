// What the step tests share: a temporary home folder so the user's settings are
// never touched, small clips made with the ffmpeg program, and a main() that
// sets up both before the application object exists.
#pragma once

#include <QString>
#include <QStringList>
#include <QTest>

namespace steps_test {

// Points HOME and XDG_CONFIG_HOME at a fresh temporary folder that lives until
// the process ends. Call before the application object is created.
void UseTemporaryHome();

// The temporary home folder of UseTemporaryHome.
QString HomeFolder();

// Runs the ffmpeg program with the given arguments (after "-v error -y") and
// returns the output path, or an empty string when ffmpeg failed.
QString MakeClip(const QString& outputPath, const QStringList& arguments);

// A 1 second 160 x 120 video with sound.
QString MakeSmallVideo(const QString& outputPath, int width = 160, int height = 120);

// Pads an existing file with zero bytes up to exactly `bytes` bytes (media
// readers ignore what follows the last packet). Returns false on failure.
bool PadFile(const QString& path, qint64 bytes);

// A file of exactly `bytes` bytes that no media library can read.
QString MakeJunkFile(const QString& outputPath, qint64 bytes);

// The settings file the main window reads and writes under the temporary home.
QString SettingsFilePath();

}  // namespace steps_test

// main() of a step test: temporary home, the application object, the tests.
#define KESTOVAR_STEPS_TEST_MAIN(TestClass)     \
    int main(int argc, char** argv) {           \
        steps_test::UseTemporaryHome();         \
        QApplication app(argc, argv);           \
        TestClass test;                         \
        return QTest::qExec(&test, argc, argv); \
    }
