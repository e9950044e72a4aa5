// Pictures of step 3 for review: idle, during a run, and with the message of
// a stopped run over it. Written to the build's screenshots folder.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>

#include "CompressThread.h"
#include "ConvertPage.h"
#include "ConvertTestSupport.h"
#include "FindControl.h"
#include "MainFrm.h"
#include "OpenClipPage.h"

using test_support::Control;

using namespace convert_test;

namespace {

QString ScreenshotPath(const QString& name) {
    QString folder = qEnvironmentVariable("KESTOVAR_SCREENSHOT_DIR");
    if (folder.isEmpty()) folder = QDir::currentPath() + QStringLiteral("/screenshots");
    QDir().mkpath(folder);
    return QDir(folder).filePath(name);
}

}  // namespace

class ConvertScreenshotTest : public QObject {
    Q_OBJECT

private slots:
    void stepThreeIdleRunningAndStopped() {
        QTemporaryDir media;
        const QString clip = MakeClip(media.filePath("holiday at the seaside.avi"), 20, 320, 240);
        QVERIFY(!clip.isEmpty());
        MessageBoxAnswerer person;
        auto form = NewMainForm();
        form->OpenClipPage()->FileOpenClipAccept(clip);
        Control<QAction>(form, "ConvertStep")->trigger();
        Control<QLineEdit>(form, "ebOutFolder")->setText(media.filePath("3gpVideo"));
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QVERIFY(form->grab().save(ScreenshotPath("step3-idle.png")));

        Control<QPushButton>(form, "btnStartStop")->click();
        QPointer<TCompressThread> worker = form->ConvertPage()->CurrentWorker();
        QVERIFY(worker);
        QTRY_VERIFY_WITH_TIMEOUT(
            Control<QProgressBar>(form, "ConvertProgress")->value() >= 20 || worker.isNull(),
            60000);
        QVERIFY(worker);
        QVERIFY(form->grab().save(ScreenshotPath("step3-running.png")));

        bool saved = false;
        person.OnMessage = [&](const QString&) {
            QWidget* box = QApplication::activeModalWidget();
            saved = box && box->grab().save(ScreenshotPath("step3-stopped-message.png"));
        };
        Control<QPushButton>(form, "btnStartStop")->click();
        QVERIFY(form->grab().save(ScreenshotPath("step3-stopping.png")));
        QTRY_VERIFY_WITH_TIMEOUT(worker.isNull(), 60000);
        QCOMPARE(person.Messages, QStringList{"Process stopped."});
        QVERIFY(saved);
    }
};

KESTOVAR_CONVERT_TEST_MAIN(ConvertScreenshotTest)
#include "ConvertScreenshotTest.moc"
