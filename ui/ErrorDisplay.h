// The error display: the box that shows an error nothing else handled, such as
// one that escaped an event handler or a window's construction.
#pragma once

#include <QString>

class QWidget;

// The text the error display shows for a message: the message with a "."
// appended when its last character's code is above that of "." (so a message
// ending in ".", "!", a quote or a line feed stays as it is).
QString ErrorDisplayText(const QString& message);

// Shows the message modally with an error icon and one OK button, captioned
// with the application title.
void ShowErrorDisplay(const QString& message, QWidget* parent = nullptr);
