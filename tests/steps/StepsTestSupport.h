// What the step tests share: a temporary home folder so the user's settings are
// never touched, small clips made with the ffmpeg program, and a main() that
// sets up both before the application object exists.
#pragma once

#include <QString>
#include <QStringList>
#include <QTest>

#include "TemporaryHome.h"

namespace steps_test {

// The temporary home: UseTemporaryHome, HomeFolder and SettingsFilePath.
using test_support::HomeFolder;
using test_support::SettingsFilePath;
using test_support::UseTemporaryHome;

// Runs the ffmpeg program with the given arguments (after "-v error -nostdin -y") and
// returns the output path, or an empty string when ffmpeg failed.
QString MakeClip(const QString& outputPath, const QStringList& arguments);

// A 1 second 160 x 120 video with sound.
QString MakeSmallVideo(const QString& outputPath, int width = 160, int height = 120);

// Pads an existing file with zero bytes up to exactly `bytes` bytes (media
// readers ignore what follows the last packet). Returns false on failure.
bool PadFile(const QString& path, qint64 bytes);

// A file of exactly `bytes` bytes that no media library can read.
QString MakeJunkFile(const QString& outputPath, qint64 bytes);

}  // namespace steps_test

// main() of a step test: temporary home, the application object, the tests.
#define KESTOVAR_STEPS_TEST_MAIN(TestClass)     \
    int main(int argc, char** argv) {           \
        steps_test::UseTemporaryHome();         \
        QApplication app(argc, argv);           \
        TestClass test;                         \
        return QTest::qExec(&test, argc, argv); \
    }
