#include "PopupSelector.h"

#include <QLineEdit>
#include <QMenu>

TPopupButton::TPopupButton(QWidget* parent) : QPushButton(QStringLiteral(">"), parent) {
    setFocusPolicy(Qt::TabFocus);
}

void PopupButtonMenu(TPopupButton* button) {
    if (button == nullptr || button->PopupMenu() == nullptr) return;
    QWidget* parent = button->parentWidget();
    const QPoint belowButton(button->x(), button->y() + button->height());
    const QPoint screenPoint = parent ? parent->mapToGlobal(belowButton)
                                      : button->mapToGlobal(QPoint(0, button->height()));
    button->PopupMenu()->popup(screenPoint);
}

void ShowSelectorText(QLineEdit* field, const QString& text) {
    field->setText(text);
    field->setCursorPosition(0);
    field->setToolTip(text);
}

TPopupSelector MakePopupSelector(QWidget* parent, QWidget* menuOwner, const QString& stem,
                                 const QRect& fieldRect, const QRect& buttonRect) {
    TPopupSelector selector;
    selector.Field = new QLineEdit(parent);
    selector.Field->setObjectName(QStringLiteral("eb") + stem);
    selector.Field->setReadOnly(true);
    selector.Field->setGeometry(fieldRect);
    selector.Button = new TPopupButton(parent);
    selector.Button->setObjectName(QStringLiteral("btnSelect") + stem);
    selector.Button->setGeometry(buttonRect);
    selector.Menu = new QMenu(menuOwner);
    selector.Menu->setObjectName(stem + QStringLiteral("PopupActionBar"));
    selector.Button->SetPopupMenu(selector.Menu);
    return selector;
}
