#include "MessageBoxFrm.h"

#include <QPushButton>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QtMath>

#include "AppTitle.h"

namespace {

constexpr QRect MessageArea{37, 16, 180, 33};

}  // namespace

TMessageBoxForm::TMessageBoxForm(QWidget* owner)
    : TBaseSkinForm(owner, {248, 131}, FixedDialogFlags()) {
    setObjectName(QStringLiteral("MessageBoxForm"));
    setWindowTitle(QString::fromUtf8(ApplicationTitle));
    setModal(true);

    // A read-only text view rather than a plain label: a long path wraps
    // anywhere instead of being cut off, a message taller than the area
    // scrolls, and the text can be selected and copied.
    lbMessage = new QTextEdit(this);
    lbMessage->setObjectName(QStringLiteral("lbMessage"));
    lbMessage->setGeometry(MessageArea);
    lbMessage->setReadOnly(true);
    lbMessage->setFrameShape(QFrame::NoFrame);
    lbMessage->setFocusPolicy(Qt::NoFocus);
    lbMessage->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lbMessage->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    lbMessage->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    lbMessage->document()->setDocumentMargin(0);
    lbMessage->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto makeButton = [this](const char* name, const QString& caption, QRect geometry, int result) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(QString::fromLatin1(name));
        button->setGeometry(geometry);
        connect(button, &QPushButton::clicked, this, [this, result] { done(result); });
        return button;
    };
    btnOK = makeButton("btnOK", tr("OK"), {80, 63, 81, 25}, ResultOK);
    btnYes = makeButton("btnYes", tr("Yes"), {32, 63, 81, 25}, ResultYes);
    btnNo = makeButton("btnNo", tr("No"), {136, 63, 81, 25}, ResultNo);
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
    CentreMessage();
}

void TMessageBoxForm::CentreMessage() {
    // Centres the text vertically while it fits; taller text starts at the top
    // and scrolls.
    QTextDocument* document = lbMessage->document();
    document->setTextWidth(MessageArea.width());
    const int textHeight = qCeil(document->size().height());
    const int spare = MessageArea.height() - textHeight;
    if (spare > 0) {
        lbMessage->setGeometry(MessageArea.adjusted(0, spare / 2, 0, -(spare - spare / 2)));
    } else {
        lbMessage->setGeometry(MessageArea);
    }
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
    CentreMessage();
}

int ShowMessageBox(int32_t kind, const QString& message, QWidget* owner) {
    TMessageBoxForm box(owner);
    box.SetMessage(message);
    box.Kind = kind;
    return box.exec();
}
