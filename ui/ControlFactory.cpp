#include "ControlFactory.h"

#include <QFont>
#include <QLabel>
#include <QPushButton>

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, QRect geometry) {
    auto* button = new QPushButton(caption, parent);
    if (name) button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QPoint position,
                  bool bold) {
    auto* label = new QLabel(text, parent);
    if (name) label->setObjectName(QString::fromLatin1(name));
    if (bold) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    label->move(position);
    label->adjustSize();
    return label;
}
