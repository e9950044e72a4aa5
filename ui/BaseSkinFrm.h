// The base of every window of the program. It holds the skin (a style sheet
// with its pictures, compiled into the program), gives the window its fixed
// client size and font, and draws it with the skin when it is created and
// again on RefreshSkin.
#pragma once

#include <QDialog>
#include <QFont>
#include <QSize>
#include <QString>

class TBaseSkinForm : public QDialog {
    Q_OBJECT
public:
    // flags: the window's border and title-bar buttons. The client area is
    // fixed at clientSize.
    TBaseSkinForm(QWidget* owner, QSize clientSize, Qt::WindowFlags flags);

    // Detaches the skin and attaches it again, so that every control of the
    // window is drawn anew (after a modal window closed over it, say).
    void RefreshSkin();

    // The style sheet of the skin, read once from the program's resources.
    static const QString& SkinStyleSheet();
    // Tahoma 8 pt where it is installed, else the closest installed face at a
    // size that fits the same fixed layout.
    static QFont SkinFont();

protected:
    // Runs once the derived window is built: attaches the skin.
    void FormCreate();
};

// Flags of a fixed-size dialog with a close box.
Qt::WindowFlags FixedDialogFlags();
