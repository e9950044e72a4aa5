// Step 1 of the wizard, the page "OpenClipPage": the source clip list. Clips
// are added through the open dialog (or dropped onto the window), probed at
// once and listed in the grid; they can be removed, the selection moved with
// the arrows, and the selected clip played with the desktop's program.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

#include "SourceClip.h"

class QAction;
class QFrame;
class QGroupBox;
class QPushButton;
class TSourceClipsGrid;
class TUpDownArrows;

class TOpenClipPage : public QWidget {
    Q_OBJECT
public:
    // fileOpenClip: the window's "&Open Video File..." action, which this page
    // handles and which greys the "Add" button with it.
    TOpenClipPage(QWidget* parent, QAction* fileOpenClip);

    // The listed clips, in order; the page owns the items.
    const ::ClipList& Clips() const { return ClipList; }
    // The index in Clips of the selected clip; -1 when none is selected.
    int SelectedIndex() const;

    // Asks the user for clip files: the dialog starts at startPath (the
    // folder of the last clip added, or the home folder) and offers the filters in order, each
    // as "text (patterns)". Returns the chosen paths in the dialog's order,
    // none when cancelled. Empty: the platform's open dialog. Tests put their
    // own.
    using ClipFileChooser = std::function<QStringList(QWidget* parent, const QString& startPath,
                                                      const QStringList& filters)>;
    void SetClipFileChooser(ClipFileChooser chooser) { ChooseClipFile = std::move(chooser); }
    // The folder of the last clip added, where the open dialog starts; empty
    // before the first (the home folder then). Kept as "LastSourceFolder".
    QString LastSourceFolder() const { return LastSourceFolder_; }
    void SetLastSourceFolder(const QString& folder) { LastSourceFolder_ = folder; }
    // The filter texts of the open dialog, in order, as the user reads them.
    static QStringList ClipFileFilters();

    // FileOpenClip: the open dialog, then FileOpenClipAccept with each file
    // chosen, in the dialog's order.
    void FileOpenClipExecute();
    // Adds the clip at path (or selects it when it is listed already) and
    // asks for step 1 to be shown (ClipAccepted).
    void FileOpenClipAccept(const QString& path);
    void FileDeleteClipExecute();
    // "Trim": the part of the selected clip to convert, in the Trim dialog;
    // its row then shows the trimmed length.
    void FileTrimClipExecute();
    // TUpDownArrows::UpperArrow or LowerArrow.
    void udSourceClipsClick(int button);
    void PreviewVideoExecute();
    // Frees every clip and leaves only the grid's title row.
    void ClearClipList();

signals:
    // A clip was added or selected: the window shows step 1.
    void ClipAccepted();

private:
    ::ClipList ClipList;
    ClipFileChooser ChooseClipFile;
    QString LastSourceFolder_;

    QAction* FileOpenClip = nullptr;     // the window's; "Add" runs it
    QGroupBox* gpOpenVideo = nullptr;    // "Open video file(s)"
    QFrame* SourceClipsPanel = nullptr;  // frames the grid
    TSourceClipsGrid* SourceClipsGrid = nullptr;
    TUpDownArrows* udSourceClips = nullptr;  // moves the selected row
    QPushButton* btnAddSource = nullptr;     // "Add": FileOpenClip
    QPushButton* btnDelete = nullptr;        // "Delete": FileDeleteClip
    QPushButton* btnTrim = nullptr;          // "Trim": FileTrimClip
    QPushButton* btnPreview = nullptr;       // "Preview": PreviewVideo
    QAction* FileTrimClip = nullptr;         // "Trim"; disabled while the list is empty
    QAction* FileDeleteClip = nullptr;       // "Delete"; disabled while the list is empty
    QAction* PreviewVideo = nullptr;         // "Preview Video"
};
