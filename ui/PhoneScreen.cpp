#include "PhoneScreen.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace {

constexpr int kBezel = 6;  // the dark frame round the screen
const QColor kBezelColour(40, 42, 48);
const QColor kEmptyScreenColour(18, 20, 24);

}  // namespace

TPhoneScreen::TPhoneScreen(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void TPhoneScreen::SetScreenSize(QSize size) {
    if (size.isEmpty() || size == ScreenSize) return;
    ScreenSize = size;
    update();
}

void TPhoneScreen::SetPicture(const QImage& picture, const QString& note) {
    Shown = picture;
    ShownNote = note;
    update();
}

QRect TPhoneScreen::ScreenRect() const {
    const QRect inside = rect().adjusted(kBezel, kBezel, -kBezel, -kBezel);
    if (inside.isEmpty()) return inside;
    // The output's proportions, as large as the bezel allows; a small screen
    // is shown pixel for pixel.
    QSize size = ScreenSize.scaled(inside.size(), Qt::KeepAspectRatio);
    if (ScreenSize.width() <= inside.width() && ScreenSize.height() <= inside.height()) {
        size = ScreenSize;
    }
    QRect screen(QPoint(0, 0), size);
    screen.moveCenter(inside.center());
    return screen;
}

void TPhoneScreen::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect screen = ScreenRect();
    const QRect bezel = screen.adjusted(-kBezel, -kBezel, kBezel, kBezel);
    QPainterPath frame;
    frame.addRoundedRect(QRectF(bezel), kBezel, kBezel);
    painter.fillPath(frame, kBezelColour);
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (Shown.isNull()) {
        painter.fillRect(screen, kEmptyScreenColour);
        if (!ShownNote.isEmpty()) {
            painter.setPen(QColor(200, 200, 200));
            QFont small = font();
            small.setPointSizeF(std::max(small.pointSizeF() - 1, 6.0));
            painter.setFont(small);
            painter.drawText(screen.adjusted(3, 3, -3, -3), Qt::AlignCenter | Qt::TextWordWrap,
                             ShownNote);
        }
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform, screen.size() != Shown.size());
    painter.drawImage(screen, Shown);
}
