// Small makers for the controls every window places at fixed positions.
#pragma once

#include <QPoint>
#include <QRect>
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

// A push button at its fixed place that never becomes the window's default
// button and takes the focus only by the keyboard. name may be null.
QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, QRect geometry);

// A label at its fixed place, as wide as its text; bold for captions that the
// windows set off. name may be null.
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QPoint position,
                  bool bold = false);
