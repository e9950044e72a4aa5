#include "BaseSkinFrm.h"

#include <QFile>
#include <QFontDatabase>
#include <QStyle>

namespace {

QString ReadSkinStyleSheet() {
    QFile file(QStringLiteral(":/skin/kestovar.qss"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
    return QString::fromUtf8(file.readAll());
}

}  // namespace

TBaseSkinForm::TBaseSkinForm(QWidget* owner, QSize clientSize, Qt::WindowFlags flags)
    : QDialog(owner, flags) {
    setFont(SkinFont());
    setFixedSize(clientSize);
    setSizeGripEnabled(false);
}

const QString& TBaseSkinForm::SkinStyleSheet() {
    static const QString sheet = ReadSkinStyleSheet();
    return sheet;
}

QFont TBaseSkinForm::SkinFont() {
    const QStringList families = QFontDatabase::families();
    QFont font;
    if (families.contains(QStringLiteral("Tahoma"))) {
        font = QFont(QStringLiteral("Tahoma"));
        font.setPointSizeF(8);
    } else if (families.contains(QStringLiteral("DejaVu Sans Condensed"))) {
        // About as wide as Tahoma at the same size.
        font = QFont(QStringLiteral("DejaVu Sans Condensed"));
        font.setPointSizeF(8);
    } else {
        font = QFont(QStringLiteral("DejaVu Sans"));
        font.setPointSizeF(7.5);
    }
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

void TBaseSkinForm::FormCreate() {
    setStyleSheet(SkinStyleSheet());
}

void TBaseSkinForm::RefreshSkin() {
    setStyleSheet(QString());
    setStyleSheet(SkinStyleSheet());
    update();
}

Qt::WindowFlags FixedDialogFlags() {
    return Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
           Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
}
