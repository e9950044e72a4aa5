// A choice from a list: a read-only text field with a small ">" button beside
// it that opens the choice's popup menu just below the button.
#pragma once

#include <QPushButton>
#include <QRect>

class QLineEdit;
class QMenu;

// A ">" button that knows the popup menu it opens.
class TPopupButton : public QPushButton {
    Q_OBJECT
public:
    explicit TPopupButton(QWidget* parent = nullptr);

    QMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(QMenu* menu) { popupMenu_ = menu; }

private:
    QMenu* popupMenu_ = nullptr;
};

// Opens the button's popup menu with its top-left corner at the button's
// bottom-left corner. Does nothing without a button or without a menu.
void PopupButtonMenu(TPopupButton* button);

// The three parts of one selector, children of `parent` at the given places;
// the menu belongs to `menuOwner` (the window), so that it lives as long as the
// window does. The owner connects the button to its own click handler.
struct TPopupSelector {
    QLineEdit* Field = nullptr;
    TPopupButton* Button = nullptr;
    QMenu* Menu = nullptr;
};

// Shows text in a selector's field from its start (a long model name is cut
// at its end, not at its beginning), with the whole text as the tool tip.
void ShowSelectorText(QLineEdit* field, const QString& text);

// The parts are named after `stem` as the windows name them: "ebStem",
// "btnSelectStem" and "StemPopupActionBar".
TPopupSelector MakePopupSelector(QWidget* parent, QWidget* menuOwner, const QString& stem,
                                 const QRect& fieldRect, const QRect& buttonRect);
