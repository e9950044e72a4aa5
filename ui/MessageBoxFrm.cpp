#include "MessageBoxFrm.h"

#include <QPushButton>
#include <QStyle>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QtMath>
#include <algorithm>

#include "AppTitle.h"

namespace {

// The box as it is for a short message: its size, the message's area and the
// buttons' row below it.
constexpr QSize ShortBoxSize{248, 131};
constexpr QRect MessageArea{37, 16, 180, 33};
constexpr int ButtonsTop = 63;
constexpr int ButtonWidth = 81;
// A long message widens the box up to this width, then makes it taller; a
// message taller than this height scrolls.
constexpr int WidestBox = 600;
constexpr int TallestMessage = 480;

}  // namespace

TMessageBoxForm::TMessageBoxForm(QWidget* owner)
    : TBaseSkinForm(owner, ShortBoxSize, FixedDialogFlags()) {
    setObjectName(QStringLiteral("MessageBoxForm"));
    setWindowTitle(QString::fromUtf8(ApplicationTitle));
    setModal(true);

    // A read-only text view rather than a plain label: the text can be
    // selected and copied (with the mouse, or Ctrl+A and Ctrl+C), a long path
    // wraps after its separators (the line breaking allows a break after
    // "/"), and a message taller than the tallest box scrolls.
    lbMessage = new QTextEdit(this);
    lbMessage->setObjectName(QStringLiteral("lbMessage"));
    lbMessage->setGeometry(MessageArea);
    lbMessage->setReadOnly(true);
    lbMessage->setFrameShape(QFrame::NoFrame);
    lbMessage->setFocusPolicy(Qt::ClickFocus);
    lbMessage->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lbMessage->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    lbMessage->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    lbMessage->document()->setDocumentMargin(0);
    lbMessage->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    auto makeButton = [this](const char* name, const QString& caption, QRect geometry, int result) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(QString::fromLatin1(name));
        button->setGeometry(geometry);
        connect(button, &QPushButton::clicked, this, [this, result] { done(result); });
        return button;
    };
    btnOK = makeButton("btnOK", tr("OK"), {80, ButtonsTop, ButtonWidth, 25}, ResultOK);
    btnYes = makeButton("btnYes", tr("Yes"), {32, ButtonsTop, ButtonWidth, 25}, ResultYes);
    btnNo = makeButton("btnNo", tr("No"), {136, ButtonsTop, ButtonWidth, 25}, ResultNo);
    btnYes->hide();
    btnNo->hide();

    FormCreate();
}

void TMessageBoxForm::SetMessage(const QString& message) {
    lbMessage->setPlainText(message);
    QTextCursor cursor(lbMessage->document());
    cursor.select(QTextCursor::Document);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    cursor.mergeBlockFormat(centred);
    FitToMessage();
}

void TMessageBoxForm::FitToMessage() {
    lbMessage->ensurePolished();
    QTextDocument* document = lbMessage->document();
    document->setDefaultFont(lbMessage->font());
    document->setTextWidth(MessageArea.width());
    int textHeight = qCeil(document->size().height());

    QRect area = MessageArea;
    if (textHeight > MessageArea.height()) {
        // Wider first, up to the widest box, as wide as the longest line
        // needs; then as tall as the wrapped text.
        const int sideMargins = ShortBoxSize.width() - MessageArea.width();
        document->setTextWidth(-1);
        const int natural = qCeil(document->idealWidth()) + 1;
        const int width = std::clamp(natural, MessageArea.width(), WidestBox - sideMargins);
        document->setTextWidth(width);
        textHeight = qCeil(document->size().height());
        area.setWidth(width);
        area.setHeight(std::min(textHeight, TallestMessage));
        if (textHeight > TallestMessage) {
            // The scroll bar takes room from the text.
            const int bar = lbMessage->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
            document->setTextWidth(width - bar);
        }
    }

    // The box grows by what the message area grew; the buttons move down
    // with it and stay centred.
    const int wider = area.width() - MessageArea.width();
    const int taller = area.height() - MessageArea.height();
    setFixedSize(ShortBoxSize.width() + wider, ShortBoxSize.height() + taller);
    const int buttonsTop = ButtonsTop + taller;
    btnOK->move(80 + wider / 2, buttonsTop);
    btnYes->move(32 + wider / 2, buttonsTop);
    btnNo->move(136 + wider / 2, buttonsTop);

    // Centred vertically in the area while the text fits it.
    const int spare = area.height() - std::min(textHeight, area.height());
    lbMessage->setGeometry(area.adjusted(0, spare / 2, 0, -(spare - spare / 2)));
}

void TMessageBoxForm::reject() {
    done(ResultClosed);
}

void TMessageBoxForm::showEvent(QShowEvent* event) {
    FormShow();
    TBaseSkinForm::showEvent(event);
}

void TMessageBoxForm::FormShow() {
    const bool question = Kind == 0;
    btnYes->setVisible(question);
    btnNo->setVisible(question);
    btnOK->setVisible(!question);
    QPushButton* preferred = question ? btnYes : btnOK;
    preferred->setDefault(true);
    preferred->setFocus();
    // The skin may have changed the font since the message was set.
    FitToMessage();
}

int ShowMessageBox(int32_t kind, const QString& message, QWidget* owner) {
    TMessageBoxForm box(owner);
    box.SetMessage(message);
    box.Kind = kind;
    return box.exec();
}
