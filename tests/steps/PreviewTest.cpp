// The phone page's preview as a user sees it: the still of the selected clip
// follows the picture fit and the size, the expected sizes follow the
// bitrates and the size limit, nothing is made during a run or without a
// clip; and the clip page's "Preview" never starts this program itself.
#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>
#include <QUrl>
#include <memory>
#include <optional>

#include "AdvancedSettingsFrm.h"
#include "FindControl.h"
#include "MainFrm.h"
#include "OpenClipPage.h"
#include "PhoneScreen.h"
#include "SelPhoneModelPage.h"
#include "StepsTestSupport.h"
#include "StillMaker.h"

using test_support::Control;

namespace {

void Choose(QMenu* menu, const QString& text) {
    for (QAction* item : menu->actions()) {
        if (item->text() == text) {
            item->trigger();
            return;
        }
    }
    QFAIL(qPrintable("no menu item " + text));
}

// Saves a picture of the window where KESTOVAR_SCREENSHOT_DIR says.
void SaveScreenshot(QWidget* window, const QString& name) {
    const QString folder = qEnvironmentVariable("KESTOVAR_SCREENSHOT_DIR");
    if (folder.isEmpty()) return;
    QDir().mkpath(folder);
    QVERIFY(window->grab().save(QDir(folder).filePath(name)));
}

// Records the files the desktop is asked to open.
class OpenedFiles : public QObject {
    Q_OBJECT
public:
    QList<QUrl> Urls;
public slots:
    void open(const QUrl& url) { Urls.append(url); }
};

}  // namespace

class PreviewTest : public QObject {
    Q_OBJECT

    QTemporaryDir media;
    QString wideClip;
    std::unique_ptr<TMainForm> window_;
    std::unique_ptr<TAdvancedSettingsForm> dialog_;

    TPhoneScreen* Screen() const { return Control<TPhoneScreen>(window_, "PhonePreview"); }

    void Open() {
        window_ = std::make_unique<TMainForm>();
        dialog_ = std::make_unique<TAdvancedSettingsForm>(window_.get(), window_.get());
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }

    // Waits for the preview to show a still other than before.
    QImage NextStill(const QImage& before) {
        const bool changed = QTest::qWaitFor(
            [&] { return !Screen()->Picture().isNull() && Screen()->Picture() != before; }, 20000);
        if (!changed) qWarning("The preview did not change");
        return Screen()->Picture();
    }

private slots:
    void initTestCase() {
        QVERIFY(media.isValid());
        wideClip = steps_test::MakeSmallVideo(media.filePath("wide.avi"), 320, 180);
        QVERIFY(!wideClip.isEmpty());
    }

    void cleanup() {
        dialog_.reset();
        window_.reset();
        QFile::remove(steps_test::SettingsFilePath());
    }

    void theStillFollowsTheFitAndTheSize() {
        Open();
        window_->OpenClipPage()->FileOpenClipAccept(wideClip);
        Control<QAction>(window_, "SelPhoneModelStep")->trigger();
        // The window has grown to hold the preview below the selectors.
        QVERIFY(Control<QWidget>(window_, "gbPreview")->isVisible());
        QVERIFY(window_->rect().contains(
            Control<QPushButton>(window_, "btnNext")->geometry().translated(0, 60)));

        QMenu* fits = dialog_->PictureFitPopupActionBar;
        Choose(fits, QStringLiteral("Stretch"));
        const QImage stretched = NextStill({});
        QCOMPARE(stretched.size(), QSize(window_->Selection().Width, window_->Selection().Height));
        SaveScreenshot(window_.get(), QStringLiteral("step2-preview-stretch.png"));

        Choose(fits, QStringLiteral("Black bars"));
        const QImage barred = NextStill(stretched);
        QVERIFY(barred != stretched);
        // The 16:9 picture leaves black above it on a 4:3 screen.
        QVERIFY(qGray(barred.pixel(barred.width() / 2, 2)) < 30);
        QVERIFY(qGray(stretched.pixel(stretched.width() / 2, 2)) > 30);
        SaveScreenshot(window_.get(), QStringLiteral("step2-preview-bars.png"));

        Choose(fits, QStringLiteral("Crop"));
        const QImage cropped = NextStill(barred);
        QVERIFY(cropped != stretched && cropped != barred);
        SaveScreenshot(window_.get(), QStringLiteral("step2-preview-crop.png"));

        // Another size: the still comes at it.
        Choose(Control<QMenu>(window_, "ResolutionPopupActionBar"), QStringLiteral("128 X 96"));
        QTRY_COMPARE_WITH_TIMEOUT(Screen()->Picture().size(), QSize(128, 96), 20000);

        // Step 1 again: the window returns to its own size.
        Control<QAction>(window_, "OpenClipStep")->trigger();
        QVERIFY(!Control<QWidget>(window_, "gbPreview")->isVisible());
    }

    // Burned-in subtitles from a file beside the clip show on the still, in
    // its lower part, and leave it once the choice is None again.
    void theStillShowsTheBurnedInSubtitles() {
        QFile cues(media.filePath("wide.srt"));
        QVERIFY(cues.open(QIODevice::WriteOnly));
        cues.write("1\n00:00:00,000 --> 00:01:00,000\nWWWWWWWW\n");
        cues.close();
        Open();
        window_->OpenClipPage()->FileOpenClipAccept(wideClip);
        Control<QAction>(window_, "SelPhoneModelStep")->trigger();
        Choose(dialog_->SubtitlesPopupActionBar, QStringLiteral("None"));
        const QImage plain = NextStill({});
        Choose(dialog_->SubtitlesPopupActionBar, QStringLiteral("Burn in"));
        const QImage subtitled = NextStill(plain);
        QFile::remove(media.filePath("wide.srt"));
        QCOMPARE(subtitled.size(), plain.size());
        int changedAbove = 0;
        int changedBelow = 0;
        for (int y = 0; y < plain.height(); ++y) {
            for (int x = 0; x < plain.width(); ++x) {
                if (plain.pixel(x, y) == subtitled.pixel(x, y)) continue;
                (y < plain.height() / 2 ? changedAbove : changedBelow) += 1;
            }
        }
        QVERIFY2(changedBelow > 50, qPrintable(QString::number(changedBelow)));
        QCOMPARE(changedAbove, 0);
        Choose(dialog_->SubtitlesPopupActionBar, QStringLiteral("None"));
        QTRY_COMPARE_WITH_TIMEOUT(Screen()->Picture(), plain, 20000);
    }

    void expectedSizesFollowTheBitratesAndTheLimit() {
        Open();
        window_->OpenClipPage()->FileOpenClipAccept(wideClip);
        Control<QAction>(window_, "SelPhoneModelStep")->trigger();
        auto* sizes = Control<QTableWidget>(window_, "ExpectedSizes");
        auto* total = Control<QLabel>(window_, "lbTotalSize");
        QTRY_COMPARE(sizes->rowCount(), 1);
        QCOMPARE(sizes->item(0, 0)->text(), QStringLiteral("wide.avi"));
        const QString atMedium = sizes->item(0, 1)->text();
        QVERIFY2(atMedium.endsWith(QStringLiteral(" Mb")), qPrintable(atMedium));
        QVERIFY2(total->text().startsWith(QStringLiteral("Total: ")), qPrintable(total->text()));

        // A higher video bitrate: a larger file to expect.
        Choose(dialog_->VideoQualityPopupActionBar, QStringLiteral("384 kbps"));
        QTRY_VERIFY(sizes->item(0, 1)->text() != atMedium);
        const double medium = QLocale().toDouble(atMedium.section(' ', 0, 0));
        const double higher = QLocale().toDouble(sizes->item(0, 1)->text().section(' ', 0, 0));
        QVERIFY2(higher > medium, qPrintable(sizes->item(0, 1)->text()));

        // A size limit: the limit is what to expect.
        Choose(dialog_->SizeLimitPopupActionBar, QStringLiteral("300 KB (MMS)"));
        QTRY_COMPARE(sizes->item(0, 1)->text(), QStringLiteral("up to 0.29 Mb"));
        QCOMPARE(total->text(), QStringLiteral("Total: up to 0.29 Mb"));
    }

    void nothingWithoutAClipOrDuringARun() {
        Open();
        Control<QAction>(window_, "SelPhoneModelStep")->trigger();
        QTest::qWait(200);
        QVERIFY(Screen()->Picture().isNull());
        QCOMPARE(Control<QTableWidget>(window_, "ExpectedSizes")->rowCount(), 0);

        window_->OpenClipPage()->FileOpenClipAccept(wideClip);
        Control<QAction>(window_, "SelPhoneModelStep")->trigger();
        const QImage before = NextStill({});
        TSelPhoneModelPage* page = window_->SelPhoneModelPage();
        page->SetRunning(true);
        const uint64_t requests = page->StillMaker()->Requests();
        Choose(dialog_->PictureFitPopupActionBar, QStringLiteral("Black bars"));
        QTest::qWait(300);
        QCOMPARE(page->StillMaker()->Requests(), requests);
        QCOMPARE(Screen()->Picture(), before);
        // The run's end makes it anew.
        page->SetRunning(false);
        NextStill(before);
    }

    void aNewerRequestSupersedesTheOlder() {
        TStillMaker maker;
        QSignalSpy made(&maker, &TStillMaker::StillMade);
        ConversionParameters parameters;
        for (const int width : {128, 176, 320}) {
            parameters.Width = width;
            parameters.Height = width * 3 / 4;
            maker.Request(parameters, wideClip, 0.1);
        }
        QVERIFY(made.wait(20000));
        QTest::qWait(500);
        QCOMPARE(made.count(), 1);
        QCOMPARE(made.at(0).at(0).value<QImage>().size(), QSize(320, 240));
    }

    void previewNeverOpensThisProgram() {
        // A desktop of its own: the two programs' entries, and the choice of
        // the program for AVI files.
        QTemporaryDir desktop;
        QDir(desktop.path()).mkpath(QStringLiteral("config"));
        QDir(desktop.path()).mkpath(QStringLiteral("data/applications"));
        for (const char* entry :
             {"example.brenholt_soft.Kestovar3GP.desktop", "someplayer.desktop"}) {
            QFile file(desktop.filePath(QStringLiteral("data/applications/") + entry));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(
                "[Desktop Entry]\nType=Application\nName=Program\nExec=true %F\n"
                "MimeType=video/x-msvideo;\n");
        }
        const QString list = desktop.filePath(QStringLiteral("config/mimeapps.list"));
        const QByteArrayList variables{"XDG_CONFIG_HOME", "XDG_DATA_HOME"};
        QList<std::optional<QByteArray>> saved;
        for (const QByteArray& name : variables) {
            saved.append(qEnvironmentVariableIsSet(name.constData())
                             ? std::optional<QByteArray>(qgetenv(name.constData()))
                             : std::nullopt);
        }
        qputenv("XDG_CONFIG_HOME", desktop.filePath(QStringLiteral("config")).toLocal8Bit());
        qputenv("XDG_DATA_HOME", desktop.filePath(QStringLiteral("data")).toLocal8Bit());
        OpenedFiles opened;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &opened, "open");
        const auto restore = qScopeGuard([&] {
            QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
            for (int i = 0; i < variables.size(); ++i) {
                if (saved[i]) {
                    qputenv(variables[i].constData(), *saved[i]);
                } else {
                    qunsetenv(variables[i].constData());
                }
            }
        });
        const auto writeDefault = [&list](const char* entry) {
            QFile file(list);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(QByteArray("[Default Applications]\nvideo/x-msvideo=") + entry + "\n");
        };

        Open();
        window_->OpenClipPage()->FileOpenClipAccept(wideClip);
        // The desktop would open the clip with this program: a message instead.
        writeDefault("example.brenholt_soft.Kestovar3GP.desktop");
        QString shown;
        QTimer::singleShot(0, [&shown] {
            QWidget* box = QApplication::activeModalWidget();
            if (box == nullptr) return;
            for (const QTextEdit* text : box->findChildren<QTextEdit*>())
                shown += text->toPlainText();
            for (const QLabel* label : box->findChildren<QLabel*>()) shown += label->text();
            box->close();
        });
        Control<QPushButton>(window_, "btnPreview")->click();
        QVERIFY2(shown.contains(QStringLiteral("No video player is installed to show wide.avi.")),
                 qPrintable(shown));
        QVERIFY(opened.Urls.isEmpty());

        // Another program: the desktop opens the clip with it.
        writeDefault("someplayer.desktop");
        Control<QPushButton>(window_, "btnPreview")->click();
        QCOMPARE(opened.Urls, QList<QUrl>{QUrl::fromLocalFile(wideClip)});
    }
};

KESTOVAR_STEPS_TEST_MAIN(PreviewTest)
#include "PreviewTest.moc"
