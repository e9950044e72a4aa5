// The keyboard on the main window: the Delete key, Ctrl+O and Ctrl+Q, the
// buttons' mnemonics (no letter twice on one page), Tab through every
// control in the order they stand, and the tooltips of the clip list.
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <memory>

#include "FindControl.h"
#include "MainFrm.h"
#include "OpenClipPage.h"
#include "SourceClipsGrid.h"
#include "StepsTestSupport.h"

using test_support::Control;

namespace {

// The caption as it shows: a mnemonic's "&" is drawn as an underline.
QString VisibleText(const QPushButton* button) {
    QString text = button->text();
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(u'&');
    text.replace(u'\x01', u'&');
    return text;
}

// The letter after the single "&", upper case; none without one.
QChar Mnemonic(const QPushButton* button) {
    const QString text = button->text();
    const qsizetype at = text.indexOf(u'&');
    return at >= 0 && at + 1 < text.size() ? text.at(at + 1).toUpper() : QChar();
}

}  // namespace

class KeyboardTest : public QObject {
    Q_OBJECT

    QTemporaryDir clips_;
    QString first_, second_;
    std::unique_ptr<TMainForm> window_;
    int dialogsOpened_ = 0;

    TSourceClipsGrid* Grid() const { return Control<TSourceClipsGrid>(window_, "SourceClipsGrid"); }

    // Presses Tab from the given control until the focus comes back to it;
    // the object names in the order the focus went.
    QStringList TabRound(QWidget* start) {
        start->setFocus(Qt::TabFocusReason);
        QStringList order{start->objectName()};
        for (int i = 0; i < 20; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* now = QApplication::focusWidget();
            if (now == nullptr || now == start) break;
            order << now->objectName();
        }
        return order;
    }

private slots:
    void initTestCase() {
        first_ = steps_test::MakeSmallVideo(clips_.filePath("first.avi"));
        second_ = steps_test::MakeSmallVideo(
            clips_.filePath("a clip whose name is far too long for its column in the list.avi"));
        QVERIFY(!first_.isEmpty() && !second_.isEmpty());
    }

    void init() {
        window_ = std::make_unique<TMainForm>();
        dialogsOpened_ = 0;
        window_->OpenClipPage()->SetClipFileChooser(
            [this](QWidget*, const QString&, const QStringList&) {
                ++dialogsOpened_;
                return QStringList();
            });
        window_->show();
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    }

    void cleanup() { window_.reset(); }

    void deleteKeyRemovesTheSelectedClip() {
        window_->OpenClipPage()->FileOpenClipAccept(first_);
        window_->OpenClipPage()->FileOpenClipAccept(second_);
        Grid()->setFocus();
        Grid()->SelectRow(1);
        QTest::keyClick(Grid(), Qt::Key_Delete);
        QCOMPARE(window_->OpenClipPage()->Clips().size(), std::size_t{1});
        QCOMPARE(window_->OpenClipPage()->Clips().front()->SourcePath, second_);
        // The row that moved up keeps its tooltip.
        QCOMPARE(Grid()->item(0, 0)->toolTip(), second_);
        // Not on another step: the output folder takes its Delete key.
        Control<QAction>(window_, "ConvertStep")->trigger();
        auto* folder = Control<QLineEdit>(window_, "ebOutFolder");
        folder->setFocus();
        folder->setText("abc");
        folder->setCursorPosition(0);
        QTest::keyClick(folder, Qt::Key_Delete);
        QCOMPARE(folder->text(), QStringLiteral("bc"));
        QCOMPARE(window_->OpenClipPage()->Clips().size(), std::size_t{1});
    }

    void ctrlOAddsAndCtrlQQuits() {
        QTest::keyClick(window_.get(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(dialogsOpened_, 1);
        // Ctrl+Q is the menu's "Exit", and the menu says so.
        auto* exit = Control<QAction>(window_, "FileExit");
        QCOMPARE(exit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
        QVERIFY(Control<QMenu>(window_, "MainMenu")->actions().contains(exit));
        QCOMPARE(Control<QAction>(window_, "FileOpenClip")->shortcut(),
                 QKeySequence(Qt::CTRL | Qt::Key_O));
        QTest::keyClick(window_.get(), Qt::Key_Q, Qt::ControlModifier);
        QTRY_VERIFY(!window_->isVisible());
    }

    void mnemonicsOnEveryPage() {
        const QStringList frame{"btnBack", "btnNext"};
        const QList<QStringList> pages{{"btnAddSource", "btnDelete", "btnTrim", "btnPreview"},
                                       {"btnAdvanced"},
                                       {"btnBrowseOutput", "btnOpenOutFolder", "btnStartStop"}};
        for (const QStringList& page : pages) {
            QSet<QChar> letters;
            for (const QString& name : page + frame) {
                const auto* button = Control<QPushButton>(window_, qPrintable(name));
                const QChar letter = Mnemonic(button);
                QVERIFY2(!letter.isNull(), qPrintable(name));
                QVERIFY2(!letters.contains(letter), qPrintable(name + " repeats " + letter));
                letters.insert(letter);
            }
        }
        // The captions read as before.
        const QList<std::pair<const char*, const char*>> captions{
            {"btnAddSource", "Add"},   {"btnDelete", "Delete"},       {"btnTrim", "Trim"},
            {"btnPreview", "Preview"}, {"btnBack", "<<Back"},         {"btnNext", "Next>>"},
            {"btnStartStop", "Start"}, {"btnBrowseOutput", "Browse"}, {"btnOpenOutFolder", "Open"}};
        for (const auto& [name, caption] : captions)
            QCOMPARE(VisibleText(Control<QPushButton>(window_, name)), QString(caption));
        QCOMPARE(Mnemonic(Control<QPushButton>(window_, "btnAddSource")), QChar('A'));
        QCOMPARE(Mnemonic(Control<QPushButton>(window_, "btnStartStop")), QChar('S'));
        QCOMPARE(Mnemonic(Control<QPushButton>(window_, "btnBrowseOutput")), QChar('R'));
        QCOMPARE(Mnemonic(Control<QPushButton>(window_, "btnOpenOutFolder")), QChar('E'));

        // Alt+A on step 1 opens the dialog; Alt+N goes to step 2; Alt+B back.
        // (A mnemonic presses its button as a click that shows, a moment later.)
        QTest::keyClick(window_.get(), Qt::Key_A, Qt::AltModifier);
        QTRY_COMPARE(dialogsOpened_, 1);
        QTest::keyClick(window_.get(), Qt::Key_N, Qt::AltModifier);
        QTRY_COMPARE(window_->CurrentStep(), 2);
        QTest::keyClick(window_.get(), Qt::Key_B, Qt::AltModifier);
        QTRY_COMPARE(window_->CurrentStep(), 1);
        // A page's letters act only while it is shown: Alt+S is step 3's.
        QTest::keyClick(window_.get(), Qt::Key_S, Qt::AltModifier);
        QTest::qWait(300);
        QCOMPARE(dialogsOpened_, 1);
        Control<QAction>(window_, "ConvertStep")->trigger();
        QTest::keyClick(window_.get(), Qt::Key_S, Qt::AltModifier);  // no clips: the open dialog
        QTRY_COMPARE(dialogsOpened_, 2);
        // Alt+D deletes the selected clip on step 1.
        window_->OpenClipPage()->FileOpenClipAccept(first_);
        QCOMPARE(window_->CurrentStep(), 1);
        QTest::keyClick(window_.get(), Qt::Key_D, Qt::AltModifier);
        QTRY_VERIFY(window_->OpenClipPage()->Clips().empty());
    }

    void tabGoesThroughEveryControlInVisualOrder() {
        window_->OpenClipPage()->FileOpenClipAccept(first_);
        window_->OpenClipPage()->FileOpenClipAccept(second_);
        // Step 1: the list, its arrows, the buttons; "<<Back" is greyed.
        QCOMPARE(TabRound(Grid()),
                 (QStringList{"SourceClipsGrid", "UpArrow", "DownArrow", "btnAddSource",
                              "btnDelete", "btnTrim", "btnPreview", "btnNext"}));
        // The arrows work from the keyboard: Space on the up arrow.
        Grid()->SelectRow(2);
        auto* up = Control<QToolButton>(window_, "UpArrow");
        up->setFocus(Qt::TabFocusReason);
        QTest::keyClick(up, Qt::Key_Space);
        QCOMPARE(Grid()->SelectedRow(), 1);

        Control<QAction>(window_, "ConvertStep")->trigger();
        QCOMPARE(TabRound(Control<QLineEdit>(window_, "ebOutFolder")),
                 (QStringList{"ebOutFolder", "btnBrowseOutput", "btnOpenOutFolder", "btnStartStop",
                              "btnBack"}));
    }

    void tooltipsOfTheListAndTheArrows() {
        window_->OpenClipPage()->FileOpenClipAccept(second_);
        // The name's cell has the full path; a name too long for its column
        // is cut short with "…" at its end.
        QCOMPARE(Grid()->item(0, 0)->toolTip(), second_);
        QCOMPARE(Grid()->textElideMode(), Qt::ElideRight);
        const QFontMetrics metrics(Grid()->font());
        QVERIFY(metrics.horizontalAdvance(Grid()->item(0, 0)->text()) > Grid()->columnWidth(0));
        QVERIFY(!Control<QToolButton>(window_, "UpArrow")->toolTip().isEmpty());
        QVERIFY(!Control<QToolButton>(window_, "DownArrow")->toolTip().isEmpty());
        QVERIFY(Control<QToolButton>(window_, "UpArrow")->toolTip() !=
                Control<QToolButton>(window_, "DownArrow")->toolTip());
    }
};

KESTOVAR_STEPS_TEST_MAIN(KeyboardTest)
#include "KeyboardTest.moc"
