// What the step 3 tests share: a temporary home folder (the user's own
// settings are never touched), small clips made with the ffmpeg program, a
// "person" who reads and answers the message boxes, and readers of the
// outputs that do not use the program's own code.
#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTest>
#include <functional>
#include <memory>

#include "TemporaryHome.h"

class QTimer;
class TMainForm;

namespace convert_test {

// The temporary home: UseTemporaryHome, HomeFolder and SettingsFilePath.
using test_support::HomeFolder;
using test_support::SettingsFilePath;
using test_support::UseTemporaryHome;

// A clip of `seconds` seconds, testsrc pictures of the given size at 25 fps
// with a sine tone, MPEG-4 video and PCM sound in an AVI file. Returns the
// path, or an empty string when ffmpeg failed.
QString MakeClip(const QString& path, int seconds, int width = 160, int height = 120);
// A file of a few kilobytes that no media library can read.
QString MakeJunkFile(const QString& path);

// True when `ffmpeg -v error -i path -f null -` decodes the whole file and
// prints nothing. Fills *complaint with what it printed otherwise.
bool DecodesCleanly(const QString& path, QString* complaint = nullptr);
// The container's duration in seconds as ffprobe reads it; -1 when unreadable.
double DurationOf(const QString& path);
// The codec names of the file's streams, in stream order ("mpeg4", "amr_nb").
QStringList CodecsOf(const QString& path);

// A new main window with the window's real settings and the conversion at
// normal priority (an idle-priority worker can wait a long time on a busy
// test machine; one test checks the window's own default).
std::unique_ptr<TMainForm> NewMainForm();

// Reads every message box of the application that opens while it lives,
// notes its text and presses its OK button, as a person would. onMessage,
// when set, runs before OK is pressed, while the box is still open.
class MessageBoxAnswerer {
public:
    MessageBoxAnswerer();
    ~MessageBoxAnswerer();
    QStringList Messages;
    std::function<void(const QString&)> OnMessage;

private:
    QTimer* Timer = nullptr;
};

}  // namespace convert_test

// main() of a step 3 test: temporary home, the application object, the tests.
#define KESTOVAR_CONVERT_TEST_MAIN(TestClass)   \
    int main(int argc, char** argv) {           \
        convert_test::UseTemporaryHome();       \
        QApplication app(argc, argv);           \
        TestClass test;                         \
        return QTest::qExec(&test, argc, argv); \
    }
