#include "UpDownArrows.h"

#include <QIcon>
#include <QPixmap>
#include <QToolButton>

namespace {

// One arrow drawn from the skin's pictures: "arrow-up.png" and, greyed,
// "arrow-up-disabled.png" (the same for "down").
QToolButton* MakeArrow(const char* name, const QString& picture, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    QIcon icon;
    const QString stem = QStringLiteral(":/skin/") + picture;
    icon.addFile(stem + QStringLiteral(".png"), QSize(), QIcon::Normal);
    icon.addFile(stem + QStringLiteral("-disabled.png"), QSize(), QIcon::Disabled);
    button->setIcon(icon);
    button->setIconSize(QPixmap(stem + QStringLiteral(".png")).size());
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setAutoRepeat(true);
    // Reached with Tab; Space presses it.
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

}  // namespace

TUpDownArrows::TUpDownArrows(QWidget* parent)
    : QWidget(parent),
      up_(MakeArrow("UpArrow", QStringLiteral("arrow-up"), this)),
      down_(MakeArrow("DownArrow", QStringLiteral("arrow-down"), this)) {
    up_->setToolTip(tr("Selects the clip above"));
    down_->setToolTip(tr("Selects the clip below"));
    connect(up_, &QToolButton::clicked, this, [this] { emit Click(UpperArrow); });
    connect(down_, &QToolButton::clicked, this, [this] { emit Click(LowerArrow); });
}

void TUpDownArrows::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int upperHeight = height() / 2;
    up_->setGeometry(0, 0, width(), upperHeight);
    down_->setGeometry(0, upperHeight, width(), height() - upperHeight);
}
