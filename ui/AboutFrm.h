// The About box: the program's name and version and the maker's two links.
#pragma once

#include <QLabel>

#include "BaseSkinFrm.h"

class QGroupBox;
class QLabel;
class QPushButton;
class TLinkLabel;

class TAboutForm : public TBaseSkinForm {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget* owner);

    QGroupBox* gbGroupBox = nullptr;
    QLabel* lbTitle = nullptr;
    QLabel* lbMakerLine1 = nullptr;
    QLabel* lbMakerLine2 = nullptr;
    QLabel* lbMail = nullptr;  // "E-mail:"
    TLinkLabel* hrefMail = nullptr;
    QLabel* lbWWW = nullptr;  // "www:"
    TLinkLabel* hrefWWW = nullptr;
    QPushButton* btnOK = nullptr;

    // Open "mailto:" and the mail link's text, and the web link's text
    // unchanged, with the desktop's programs.
    void hrefMailClick();
    void hrefWWWClick();
};

// A label that acts as a link: navy, underlined, a hand cursor, and a click
// signal.
class TLinkLabel : public QLabel {
    Q_OBJECT
public:
    TLinkLabel(const QString& text, QWidget* parent);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
