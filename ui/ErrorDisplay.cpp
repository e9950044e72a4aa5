#include "ErrorDisplay.h"

#include <QMessageBox>

#include "AppTitle.h"

QString ErrorDisplayText(const QString& message) {
    if (!message.isEmpty() && message.back().unicode() > u'.') return message + u'.';
    return message;
}

void ShowErrorDisplay(const QString& message, QWidget* parent) {
    QMessageBox::critical(parent, QString::fromUtf8(ApplicationTitle), ErrorDisplayText(message));
}
