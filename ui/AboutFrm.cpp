#include "AboutFrm.h"

#include <QDesktopServices>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>

#include "AppTitle.h"
#include "ControlFactory.h"
#include "KestovarVersion.h"
#include "MakerInfo.h"

namespace {

// A link keeps its place; it is at least as wide as laid out and wide
// enough for its whole text.
void PlaceLink(QLabel* link, QRect geometry) {
    link->adjustSize();
    link->setGeometry(geometry.x(), geometry.y(), std::max(geometry.width(), link->width()),
                      std::max(geometry.height(), link->height()));
}

}  // namespace

TLinkLabel::TLinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setProperty("link", true);
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

void TLinkLabel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
        event->key() == Qt::Key_Space) {
        emit clicked();
        return;
    }
    QLabel::keyPressEvent(event);
}

TAboutForm::TAboutForm(QWidget* owner) : TBaseSkinForm(owner, {296, 249}, FixedDialogFlags()) {
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(tr("About"));
    setModal(true);

    gbGroupBox = new QGroupBox(QString::fromUtf8(ApplicationTitle), this);
    gbGroupBox->setObjectName(QStringLiteral("gbGroupBox"));
    gbGroupBox->setAlignment(Qt::AlignHCenter);
    gbGroupBox->setGeometry(9, 3, 273, 174);

    lbTitle =
        new QLabel(tr("Kestovar 3GP Video Converter v %1").arg(QLatin1String(KestovarVersionShort)),
                   gbGroupBox);
    lbTitle->setObjectName(QStringLiteral("lbTitle"));
    QFont titleFont = font();
    titleFont.setBold(true);
    titleFont.setUnderline(true);
    lbTitle->setFont(titleFont);
    lbTitle->setAlignment(Qt::AlignCenter);
    // Centred over the group box's width, as wide as its text needs.
    lbTitle->adjustSize();
    const int titleWidth = std::max(198, lbTitle->width());
    lbTitle->setGeometry((273 - titleWidth) / 2, 24, titleWidth, std::max(13, lbTitle->height()));

    lbMakerLine1 =
        MakeLabel(gbGroupBox, "lbMakerLine1", QString::fromUtf8(MakerCopyright), {18, 51});
    lbMakerLine2 = new QLabel(QString::fromUtf8(MakerLine), gbGroupBox);
    lbMakerLine2->setObjectName(QStringLiteral("lbMakerLine2"));
    QFont bold = font();
    bold.setBold(true);
    lbMakerLine2->setFont(bold);
    lbMakerLine2->move(18, 74);
    lbMakerLine2->adjustSize();

    lbMail = MakeLabel(gbGroupBox, "lbMail", tr("E-mail:"), {18, 98});
    hrefMail = new TLinkLabel(QString::fromUtf8(MakerMail), gbGroupBox);
    hrefMail->setObjectName(QStringLiteral("hrefMail"));
    PlaceLink(hrefMail, {56, 98, 90, 13});
    connect(hrefMail, &TLinkLabel::clicked, this, &TAboutForm::hrefMailClick);

    lbWWW = MakeLabel(gbGroupBox, "lbWWW", tr("www:"), {18, 122});
    hrefWWW = new TLinkLabel(QString::fromUtf8(MakerWeb), gbGroupBox);
    hrefWWW->setObjectName(QStringLiteral("hrefWWW"));
    PlaceLink(hrefWWW, {56, 122, 122, 13});
    connect(hrefWWW, &TLinkLabel::clicked, this, &TAboutForm::hrefWWWClick);

    btnOK = new QPushButton(tr("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setGeometry(222, 183, 60, 23);
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);

    FormCreate();
}

void TAboutForm::hrefMailClick() {
    QDesktopServices::openUrl(QUrl(QStringLiteral("mailto:") + hrefMail->text()));
}

void TAboutForm::hrefWWWClick() {
    QDesktopServices::openUrl(QUrl(hrefWWW->text()));
}
