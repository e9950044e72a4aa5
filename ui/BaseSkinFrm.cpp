#include "BaseSkinFrm.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QList>
#include <QPair>
#include <QPointer>
#include <QStyle>

// The skin's resources live in this static library; nothing else refers to
// them, so they are registered by hand before the first use.
static void RegisterSkinResources() {
    Q_INIT_RESOURCE(skin);
}

namespace {

QString ReadSkinStyleSheet() {
    RegisterSkinResources();
    QFile file(QStringLiteral(":/skin/kestovar.qss"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
    return QString::fromUtf8(file.readAll());
}

}  // namespace

TBaseSkinForm::TBaseSkinForm(QWidget* owner, QSize clientSize, Qt::WindowFlags flags)
    : QDialog(owner, flags) {
    RegisterSkinResources();
    // Style sheets draw some parts (the grid's titles, popup menus) with the
    // application's default font, so the skin's font is made that default.
    const QFont skinFont = SkinFont();
    if (QApplication::font() != skinFont) QApplication::setFont(skinFont);
    setFont(skinFont);
    setFixedSize(clientSize);
    setSizeGripEnabled(false);
}

const QString& TBaseSkinForm::SkinStyleSheet() {
    static const QString sheet = ReadSkinStyleSheet();
    return sheet;
}

QFont TBaseSkinForm::SkinFont() {
    QFont font;
    if (QFontDatabase::families().contains(QStringLiteral("Tahoma"))) {
        font = QFont(QStringLiteral("Tahoma"));
    } else {
        // DejaVu Sans Condensed is about as wide as Tahoma at the same size
        // (fonts-dejavu-extra; without it the regular face is narrowed).
        font = QFont(QStringLiteral("DejaVu Sans"));
        font.setStretch(QFont::Condensed);
    }
    font.setPointSizeF(8);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

void TBaseSkinForm::FormCreate() {
    setStyleSheet(SkinStyleSheet());
}

void TBaseSkinForm::RefreshSkin() {
    // Detaching a style sheet gives each control back a font resolved against
    // the application's default instead of this window's skin font, so every
    // control keeps the font it had.
    QList<QPair<QPointer<QWidget>, QFont>> fonts;
    for (QWidget* control : findChildren<QWidget*>()) fonts.append({control, control->font()});
    setStyleSheet(QString());
    setStyleSheet(SkinStyleSheet());
    for (const auto& [control, font] : fonts) {
        if (control && control->font() != font) control->setFont(font);
    }
    update();
}

Qt::WindowFlags FixedDialogFlags() {
    return Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
           Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
}
