// Step 1 of the wizard as a user drives it: clips chosen in the open dialog
// (stood in for by a chooser that returns a path), dropped from a file
// manager, deleted, the selection moved with the arrows, and a preview.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <memory>

#include "FindControl.h"
#include "MainFrm.h"
#include "OpenClipPage.h"
#include "SourceClipsGrid.h"
#include "StepsTestSupport.h"
#include "TimeFormat.h"
#include "UpDownArrows.h"

using test_support::Control;

// Receives the addresses the window asks the desktop to open.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> Urls;
public slots:
    void Open(const QUrl& url) { Urls.append(url); }
};

class ClipListTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir clips_;
    QString small_, second_, third_, audioOnly_, exactSize_, longClip_, junk_;
    std::unique_ptr<TMainForm> window_;
    bool LastDragAccepted = false;

    QString Clip(const QString& name) const { return clips_.filePath(name); }
    TSourceClipsGrid* Grid() const { return Control<TSourceClipsGrid>(window_, "SourceClipsGrid"); }
    QString SizeText(const char* digits) const {
        QString text = QString::fromLatin1(digits);
        text.replace(u'.', QLocale::system().decimalPoint());
        return text + QStringLiteral(" Mb");
    }
    QStringList Paths() const {
        QStringList paths;
        for (const auto& item : window_->OpenClipPage()->Clips()) paths.append(item->SourcePath);
        return paths;
    }
    void Drop(const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        const QPointF where(200, 100);
        QDragEnterEvent enter(where.toPoint(), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(window_.get(), &enter);
        QDragMoveEvent move(where.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window_.get(), &move);
        LastDragAccepted = enter.isAccepted() && move.isAccepted();
        QDropEvent drop(where, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window_.get(), &drop);
    }

private slots:
    void initTestCase() {
        QVERIFY(clips_.isValid());
        small_ = steps_test::MakeSmallVideo(Clip("small.avi"), 160, 120);
        second_ = steps_test::MakeSmallVideo(Clip("second.avi"), 176, 144);
        third_ = steps_test::MakeSmallVideo(Clip("third.avi"), 96, 72);
        audioOnly_ = steps_test::MakeClip(
            Clip("tone.wav"),
            {"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=8000", "-t", "2"});
        exactSize_ = steps_test::MakeSmallVideo(Clip("padded.avi"));
        QVERIFY(steps_test::PadFile(exactSize_, 1572864));
        // Ten tiny pictures a second make the length exact to a tenth.
        longClip_ = steps_test::MakeClip(
            Clip("long.mkv"), {"-f", "lavfi", "-i", "color=c=black:s=16x16:r=10", "-t", "3725.9",
                               "-c:v", "mpeg4", "-g", "600"});
        junk_ = steps_test::MakeJunkFile(Clip("notes.avi"), 20000);
        for (const QString& path :
             {small_, second_, third_, audioOnly_, exactSize_, longClip_, junk_})
            QVERIFY(!path.isEmpty());
    }

    void init() {
        QFile::remove(steps_test::SettingsFilePath());
        window_ = std::make_unique<TMainForm>();
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }

    void cleanup() { window_.reset(); }

    void startsWithTitleRowAndOneEmptyRow() {
        QCOMPARE(Grid()->Titles(), (QStringList{"File Name", "Size", "Duration", "Resolution"}));
        QCOMPARE(Grid()->GridRowCount(), 2);
        QCOMPARE(Grid()->RowTexts(1), QStringList(4, QString()));
        QVERIFY(!Control<QPushButton>(window_, "btnDelete")->isEnabled());
        QVERIFY(Control<QPushButton>(window_, "btnAddSource")->isEnabled());
        // 174, 60, 58 and 76 pixels; where the font needs more for a size, a
        // duration or a picture size, the file name gives up the room.
        int total = 0;
        for (int column = 0; column < 4; ++column) total += Grid()->columnWidth(column);
        QCOMPARE(total, 174 + 60 + 58 + 76);
        QVERIFY(Grid()->columnWidth(1) >= 60);
        QVERIFY(Grid()->columnWidth(2) >= 58);
        QVERIFY(Grid()->columnWidth(3) >= 76);
        QVERIFY(Grid()->columnWidth(0) >= 100);
    }

    void draggedColumnWidthsSurviveASkinRefresh() {
        Grid()->setColumnWidth(0, 120);
        Grid()->setColumnWidth(3, 130);
        window_->RefreshSkin();
        QCOMPARE(Grid()->columnWidth(0), 120);
        QCOMPARE(Grid()->columnWidth(3), 130);
    }

    void addingThroughTheOpenDialog() {
        QStringList offered;
        QStringList startPaths;
        QStringList answers{small_, second_, QString()};
        window_->OpenClipPage()->SetClipFileChooser(
            [&](QWidget*, const QString& start, const QStringList& filters) {
                offered = filters;
                startPaths.append(start);
                const QString answer = answers.takeFirst();
                return answer.isEmpty() ? QStringList() : QStringList{answer};
            });

        // From step 2: the first clip is added, and step 1 is shown.
        Control<QAction>(window_, "SelPhoneModelStep")->trigger();
        Control<QPushButton>(window_, "btnAddSource")->click();
        QCOMPARE(window_->CurrentStep(), 1);
        QCOMPARE(Grid()->GridRowCount(), 2);
        QCOMPARE(Grid()->RowTexts(1), (QStringList{"small.avi", Grid()->RowTexts(1).at(1),
                                                   FormatTimeOfDay(1), "160 X 120"}));
        QCOMPARE(Grid()->SelectedRow(), 1);
        QVERIFY(Control<QPushButton>(window_, "btnDelete")->isEnabled());

        // The second makes a third row and is selected; the dialog starts
        // where the last file was chosen.
        Control<QAction>(window_, "FileOpenClip")->trigger();
        QCOMPARE(Grid()->GridRowCount(), 3);
        QCOMPARE(Grid()->RowTexts(2).at(0), QStringLiteral("second.avi"));
        QCOMPARE(Grid()->RowTexts(2).at(3), QStringLiteral("176 X 144"));
        QCOMPARE(Grid()->SelectedRow(), 2);
        QCOMPARE(startPaths.at(0), QDir::homePath());  // none stored at first
        QCOMPARE(QDir::fromNativeSeparators(startPaths.at(1)), QFileInfo(small_).absolutePath());
        QCOMPARE(Paths(), (QStringList{small_, second_}));

        // Cancelled on step 2: nothing is added and the step stays.
        Control<QAction>(window_, "SelPhoneModelStep")->trigger();
        Control<QAction>(window_, "FileOpenClip")->trigger();
        QCOMPARE(window_->CurrentStep(), 2);
        QCOMPARE(window_->OpenClipPage()->Clips().size(), std::size_t{2});

        QCOMPARE(offered.size(), 8);
        QCOMPARE(offered.first(),
                 QStringLiteral("All Supported Files (*.mpeg *.mpg *.m1v *.mp2 *.mpa *.mpe *.avi "
                                "*.wmv *.flv *.mov *.qt *.3gp *.mp4 *.m4v *.mkv *.webm *.ts "
                                "*.m2ts *.vob *.ogv *.3g2)"));
        QCOMPARE(offered.at(3), QStringLiteral("Quick Time Files (*.mov;*.qt) (*.mov *.qt)"));
        QCOMPARE(offered.last(), QStringLiteral("All Files (*.*) (*)"));
        QCOMPARE(TOpenClipPage::ClipFileFilters(),
                 (QStringList{"All Supported Files", "AVI Files (*.avi)", "FLV Files (*.flv)",
                              "Quick Time Files (*.mov;*.qt)", "Windows Media Files (*.wmv)",
                              "MPEG Video Files (*.mpeg;*.mpg;*.m1v;*.mp2;*.mpa;*.mpe)",
                              "3GP Files (*.3gp)", "All Files (*.*)"}));
    }

    void thePlatformOpenDialog() {
        // The real dialog, answered as soon as it is up: its filters as the
        // user reads them, the first one chosen, and the chosen file added.
        QStringList shown;
        QString chosenFilter;
        QStringList listed;
        bool answered = false;
        auto answer = [&](const QString& file) {
            QTRY_VERIFY(qobject_cast<QFileDialog*>(QApplication::activeModalWidget()));
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog->testOption(QFileDialog::HideNameFilterDetails));
            QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFiles);
            shown = dialog->nameFilters();
            chosenFilter = dialog->selectedNameFilter();
            // What the user reads in the dialog's list of file types.
            if (auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) {
                for (int i = 0; i < types->count(); ++i) listed.append(types->itemText(i));
            }
            dialog->selectFile(file);
            QMetaObject::invokeMethod(dialog, "accept");
            answered = true;
        };
        QTimer::singleShot(0, this, [&] { answer(second_); });
        Control<QAction>(window_, "FileOpenClip")->trigger();
        QVERIFY(answered);
        QCOMPARE(Paths(), QStringList{second_});
        QCOMPARE(shown.size(), 8);
        QCOMPARE(chosenFilter, QStringLiteral("All Supported Files"));
        QCOMPARE(listed, TOpenClipPage::ClipFileFilters());
        QVERIFY(shown.at(6).startsWith(QStringLiteral("3GP Files (*.3gp)")));

        // Opened again, in the folder of the last clip; cancelled, nothing
        // changes.
        QString secondFolder;
        QTimer::singleShot(0, this, [&secondFolder] {
            QTRY_VERIFY(qobject_cast<QFileDialog*>(QApplication::activeModalWidget()));
            secondFolder =
                qobject_cast<QFileDialog*>(QApplication::activeModalWidget())->directory().path();
            QApplication::activeModalWidget()->close();
        });
        Control<QAction>(window_, "FileOpenClip")->trigger();
        QCOMPARE(Paths(), QStringList{second_});
        QCOMPARE(secondFolder, clips_.path());
    }

    void severalFilesChosenAtOnceAreAddedInTheDialogsOrder() {
        // Three files chosen together in the real dialog, one of them listed
        // already: each is taken as a single Add takes it, in order.
        window_->OpenClipPage()->FileOpenClipAccept(small_);
        Control<QAction>(window_, "ConvertStep")->trigger();
        bool answered = false;
        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY(qobject_cast<QFileDialog*>(QApplication::activeModalWidget()));
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            dialog->setDirectory(clips_.path());
            dialog->selectFile(QStringLiteral("\"third.avi\" \"small.avi\" \"second.avi\""));
            QMetaObject::invokeMethod(dialog, "accept");
            answered = true;
        });
        Control<QAction>(window_, "FileOpenClip")->trigger();
        QVERIFY(answered);
        QCOMPARE(Paths(), (QStringList{small_, third_, second_}));
        QCOMPARE(Grid()->GridRowCount(), 4);
        QCOMPARE(Grid()->RowTexts(2).at(3), QStringLiteral("96 X 72"));
        QCOMPARE(Grid()->SelectedRow(), 3);
        QCOMPARE(window_->CurrentStep(), 1);

        // The next dialog starts in the folder of the last clip added, also
        // after a restart ("LastSourceFolder").
        QString startPath;
        const auto recordStart = [&](QWidget*, const QString& start, const QStringList&) {
            startPath = start;
            return QStringList();
        };
        window_->OpenClipPage()->SetClipFileChooser(recordStart);
        Control<QAction>(window_, "FileOpenClip")->trigger();
        QCOMPARE(QDir::fromNativeSeparators(startPath), QFileInfo(second_).absolutePath());

        const QString elsewhere = QDir(steps_test::HomeFolder()).filePath("elsewhere");
        QVERIFY(QDir().mkpath(elsewhere));
        const QString moved = QDir(elsewhere).filePath("moved.avi");
        QFile::remove(moved);
        QVERIFY(QFile::copy(small_, moved));
        window_->OpenClipPage()->FileOpenClipAccept(moved);
        window_.reset();
        QSettings stored(steps_test::SettingsFilePath(), QSettings::NativeFormat);
        QCOMPARE(stored.value("LastSourceFolder").toString(), QDir::toNativeSeparators(elsewhere));
        window_ = std::make_unique<TMainForm>();
        window_->OpenClipPage()->SetClipFileChooser(recordStart);
        Control<QAction>(window_, "FileOpenClip")->trigger();
        QCOMPARE(QDir::fromNativeSeparators(startPath), elsewhere);
        // A folder that has gone since: the home folder.
        QVERIFY(QDir(elsewhere).removeRecursively());
        Control<QAction>(window_, "FileOpenClip")->trigger();
        QCOMPARE(startPath, QDir::homePath());
    }

    void aListedPathIsSelectedNotAddedAgain() {
        window_->OpenClipPage()->FileOpenClipAccept(small_);
        window_->OpenClipPage()->FileOpenClipAccept(second_);
        QCOMPARE(Grid()->SelectedRow(), 2);
        Control<QAction>(window_, "ConvertStep")->trigger();
        window_->OpenClipPage()->FileOpenClipAccept(small_);
        QCOMPARE(Paths(), (QStringList{small_, second_}));
        QCOMPARE(Grid()->GridRowCount(), 3);
        QCOMPARE(Grid()->SelectedRow(), 1);
        QCOMPARE(window_->CurrentStep(), 1);
    }

    void pathsDifferingInLetterCaseAreDifferentClips() {
        const QString upper = Clip("CASE.AVI");
        const QString lower = Clip("case.avi");
        QVERIFY(QFile::copy(small_, upper));
        QVERIFY(QFile::copy(second_, lower));
        window_->OpenClipPage()->FileOpenClipAccept(upper);
        window_->OpenClipPage()->FileOpenClipAccept(lower);
        QCOMPARE(Paths(), (QStringList{upper, lower}));
        QCOMPARE(Grid()->RowTexts(1).at(0), QStringLiteral("CASE.AVI"));
        QCOMPARE(Grid()->RowTexts(2).at(0), QStringLiteral("case.avi"));
    }

    void fileTheLibraryCannotReadIsStillListed() {
        window_->OpenClipPage()->FileOpenClipAccept(junk_);
        // Listed, but marked: the duration reads "unreadable", the reason
        // is its tooltip.
        QCOMPARE(Grid()->RowTexts(1),
                 (QStringList{"notes.avi", SizeText("0.00"), "unreadable", "0 X 0"}));
        QCOMPARE(Grid()->item(0, 2)->toolTip(),
                 QStringLiteral("Invalid data found when processing input"));
        QCOMPARE(window_->OpenClipPage()->Clips().front()->UnreadableReason,
                 QStringLiteral("Invalid data found when processing input"));
        QCOMPARE(window_->OpenClipPage()->Clips().size(), std::size_t{1});
    }

    // The row's tooltip tells whether the clip has subtitles: its own tracks,
    // or a subtitle file beside it; a row moved up by a deletion keeps its own.
    void tooltipTellsOfSubtitles() {
        QFile srt(Clip("second.srt"));
        QVERIFY(srt.open(QIODevice::WriteOnly));
        srt.write("1\n00:00:00,000 --> 00:00:01,000\nHello\n");
        srt.close();
        const QString subtitled = steps_test::MakeClip(
            Clip("subtitled.mkv"), {"-f", "lavfi", "-i", "color=c=gray:s=32x32:r=5", "-i",
                                    Clip("second.srt"), "-t", "1", "-c:v", "mpeg4", "-c:s", "srt"});
        QVERIFY(!subtitled.isEmpty());
        window_->OpenClipPage()->FileOpenClipAccept(small_);
        window_->OpenClipPage()->FileOpenClipAccept(second_);
        window_->OpenClipPage()->FileOpenClipAccept(subtitled);
        QCOMPARE(Grid()->RowToolTip(1), QStringLiteral("No subtitles"));
        QCOMPARE(Grid()->RowToolTip(2), QStringLiteral("Subtitles: a file beside it"));
        QCOMPARE(Grid()->RowToolTip(3), QStringLiteral("Subtitles: 1 track"));
        Grid()->SelectRow(1);
        window_->OpenClipPage()->FileDeleteClipExecute();
        QCOMPARE(Grid()->RowToolTip(1), QStringLiteral("Subtitles: a file beside it"));
        QFile::remove(Clip("second.srt"));
    }

    void audioOnlyFileHasNoPictureSize() {
        window_->OpenClipPage()->FileOpenClipAccept(audioOnly_);
        QCOMPARE(Grid()->RowTexts(1).at(2), FormatTimeOfDay(2));
        QCOMPARE(Grid()->RowTexts(1).at(3), QStringLiteral("0 X 0"));
    }

    void sizeIsInUnitsOfTwoToTheTwentiethBytes() {
        window_->OpenClipPage()->FileOpenClipAccept(exactSize_);
        QCOMPARE(Grid()->RowTexts(1).at(1), SizeText("1.50"));
        QCOMPARE(Grid()->RowTexts(1).at(3), QStringLiteral("160 X 120"));
    }

    void durationIsCutToWholeSeconds() {
        window_->OpenClipPage()->FileOpenClipAccept(longClip_);
        QCOMPARE(window_->OpenClipPage()->Clips().front()->SourceDuration.count(), 3725);
        QCOMPARE(Grid()->RowTexts(1).at(2), FormatTimeOfDay(1 * 3600 + 2 * 60 + 5));
        QVERIFY2(Grid()->RowTexts(1).at(2).contains(QStringLiteral("02:05")),
                 qPrintable(Grid()->RowTexts(1).at(2)));
    }

    void sizeTextHasNoGroupSeparator() {
        SourceClipItem item;
        item.DisplayName = QStringLiteral("big.avi");
        item.SizeMb = 1536.25;
        QCOMPARE(TSourceClipsGrid::ClipRowTexts(item).at(1), SizeText("1536.25"));
    }

    void deletingTheOnlyClipLeavesTheEmptyRow() {
        window_->OpenClipPage()->FileOpenClipAccept(small_);
        Control<QPushButton>(window_, "btnDelete")->click();
        QVERIFY(window_->OpenClipPage()->Clips().empty());
        QCOMPARE(Grid()->GridRowCount(), 2);
        QCOMPARE(Grid()->RowTexts(1), QStringList(4, QString()));
        QVERIFY(!Control<QPushButton>(window_, "btnDelete")->isEnabled());
        QVERIFY(!Control<QAction>(window_, "FileDeleteClip")->isEnabled());
        // Once more with the list empty: nothing happens.
        window_->OpenClipPage()->FileDeleteClipExecute();
        QCOMPARE(Grid()->GridRowCount(), 2);
        // A new clip takes row 1 again.
        window_->OpenClipPage()->FileOpenClipAccept(second_);
        QCOMPARE(Grid()->GridRowCount(), 2);
        QCOMPARE(Grid()->RowTexts(1).at(0), QStringLiteral("second.avi"));
    }

    void deletingTheLastAndAMiddleClip() {
        window_->OpenClipPage()->FileOpenClipAccept(small_);
        window_->OpenClipPage()->FileOpenClipAccept(second_);
        window_->OpenClipPage()->FileOpenClipAccept(third_);
        QCOMPARE(Grid()->SelectedRow(), 3);
        Control<QPushButton>(window_, "btnDelete")->click();
        QCOMPARE(Paths(), (QStringList{small_, second_}));
        QCOMPARE(Grid()->GridRowCount(), 3);
        QCOMPARE(Grid()->SelectedRow(), 2);
        QVERIFY(Control<QPushButton>(window_, "btnDelete")->isEnabled());

        window_->OpenClipPage()->FileOpenClipAccept(third_);
        Grid()->SelectRow(2);
        Control<QPushButton>(window_, "btnDelete")->click();
        QCOMPARE(Paths(), (QStringList{small_, third_}));
        QCOMPARE(Grid()->RowTexts(1).at(0), QStringLiteral("small.avi"));
        QCOMPARE(Grid()->RowTexts(2).at(0), QStringLiteral("third.avi"));
        QCOMPARE(Grid()->RowTexts(2).at(3), QStringLiteral("96 X 72"));
        QCOMPARE(Grid()->SelectedRow(), 2);
    }

    void arrowsMoveTheSelectionOnly() {
        TUpDownArrows* arrows = Control<TUpDownArrows>(window_, "udSourceClips");
        // Empty list: both arrows do nothing.
        arrows->UpButton()->click();
        arrows->DownButton()->click();
        QVERIFY(Grid()->SelectedRow() <= 1);

        window_->OpenClipPage()->FileOpenClipAccept(small_);
        window_->OpenClipPage()->FileOpenClipAccept(second_);
        window_->OpenClipPage()->FileOpenClipAccept(third_);
        Grid()->SelectRow(1);
        arrows->UpButton()->click();
        QCOMPARE(Grid()->SelectedRow(), 1);
        arrows->DownButton()->click();
        QCOMPARE(Grid()->SelectedRow(), 2);
        arrows->DownButton()->click();
        arrows->DownButton()->click();
        QCOMPARE(Grid()->SelectedRow(), 3);
        arrows->UpButton()->click();
        QCOMPARE(Grid()->SelectedRow(), 2);
        QCOMPARE(Paths(), (QStringList{small_, second_, third_}));
        QCOMPARE(Grid()->RowTexts(1).at(0), QStringLiteral("small.avi"));
    }

    void arrowsAreDrawnFromTheSkin() {
        TUpDownArrows* arrows = Control<TUpDownArrows>(window_, "udSourceClips");
        auto picture = [](const QIcon& icon, QIcon::Mode mode) {
            return icon.pixmap(QSize(9, 5), mode)
                .toImage()
                .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        };
        auto skin = [](const char* name) {
            return QImage(QStringLiteral(":/skin/") + QString::fromLatin1(name))
                .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        };
        QCOMPARE(arrows->UpButton()->arrowType(), Qt::NoArrow);
        QCOMPARE(picture(arrows->UpButton()->icon(), QIcon::Normal), skin("arrow-up.png"));
        QCOMPARE(picture(arrows->DownButton()->icon(), QIcon::Normal), skin("arrow-down.png"));
        QCOMPARE(picture(arrows->UpButton()->icon(), QIcon::Disabled),
                 skin("arrow-up-disabled.png"));
        QCOMPARE(picture(arrows->DownButton()->icon(), QIcon::Disabled),
                 skin("arrow-down-disabled.png"));
    }

    void theGridScrollsToTheSelectedRow() {
        QCOMPARE(Grid()->rowHeight(0), 14);
        for (int i = 0; i < 9; ++i) {
            const QString copy = Clip(QStringLiteral("copy%1.avi").arg(i));
            QVERIFY(QFile::exists(copy) || QFile::copy(small_, copy));
            window_->OpenClipPage()->FileOpenClipAccept(copy);
        }
        QCOMPARE(Grid()->GridRowCount(), 10);
        auto rowShown = [this](int row) {
            const QRect cell = Grid()->visualItemRect(Grid()->item(row - 1, 0));
            return Grid()->viewport()->rect().contains(cell);
        };
        QVERIFY(rowShown(9));
        QVERIFY(!rowShown(1));
        for (int i = 0; i < 8; ++i)
            Control<TUpDownArrows>(window_, "udSourceClips")->UpButton()->click();
        QCOMPARE(Grid()->SelectedRow(), 1);
        QVERIFY(rowShown(1));
    }

    void previewOpensTheSelectedClip() {
        UrlRecorder recorder;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "Open");
        Control<QPushButton>(window_, "btnPreview")->click();
        QVERIFY(recorder.Urls.isEmpty());

        window_->OpenClipPage()->FileOpenClipAccept(small_);
        window_->OpenClipPage()->FileOpenClipAccept(second_);
        Grid()->SelectRow(1);
        Control<QPushButton>(window_, "btnPreview")->click();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(recorder.Urls, (QList<QUrl>{QUrl::fromLocalFile(small_)}));
    }

    void droppedFilesAreAddedInOrder() {
        Control<QAction>(window_, "SelPhoneModelStep")->trigger();
        Drop({QUrl::fromLocalFile(second_), QUrl::fromLocalFile(clips_.path()),
              QUrl(QStringLiteral("https://example.org/clip.avi")), QUrl::fromLocalFile(small_)});
        QVERIFY(LastDragAccepted);
        QCOMPARE(Paths(), (QStringList{second_, small_}));
        QCOMPARE(Grid()->SelectedRow(), 2);
        QCOMPARE(window_->CurrentStep(), 1);
        // A dropped file already listed is selected, as from the dialog.
        Drop({QUrl::fromLocalFile(second_)});
        QCOMPARE(window_->OpenClipPage()->Clips().size(), std::size_t{2});
        QCOMPARE(Grid()->SelectedRow(), 1);
    }

    void nothingIsDroppedWhileAddingIsDisabled() {
        Control<QAction>(window_, "FileOpenClip")->setEnabled(false);
        QVERIFY(!Control<QPushButton>(window_, "btnAddSource")->isEnabled());
        Drop({QUrl::fromLocalFile(small_)});
        QVERIFY(!LastDragAccepted);
        QVERIFY(window_->OpenClipPage()->Clips().empty());
        // Nothing but a folder: refused too.
        Control<QAction>(window_, "FileOpenClip")->setEnabled(true);
        Drop({QUrl::fromLocalFile(clips_.path())});
        QVERIFY(!LastDragAccepted);
        QVERIFY(window_->OpenClipPage()->Clips().empty());
    }

    void clearingLeavesOnlyTheTitleRow() {
        window_->OpenClipPage()->FileOpenClipAccept(small_);
        window_->OpenClipPage()->FileOpenClipAccept(second_);
        window_->OpenClipPage()->ClearClipList();
        QVERIFY(window_->OpenClipPage()->Clips().empty());
        QCOMPARE(Grid()->GridRowCount(), 1);
    }
};

KESTOVAR_STEPS_TEST_MAIN(ClipListTest)
#include "ClipListTest.moc"
