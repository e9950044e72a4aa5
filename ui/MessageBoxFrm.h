// The application's own message box: a message with OK, or a question with
// Yes and No, in the program's skin.
#pragma once

#include <QString>
#include <cstdint>

#include "BaseSkinFrm.h"

class QPushButton;
class QTextEdit;

class TMessageBoxForm : public TBaseSkinForm {
    Q_OBJECT
public:
    // The modal results.
    enum Result : int { ResultOK = 1, ResultClosed = 2, ResultYes = 6, ResultNo = 7 };

    explicit TMessageBoxForm(QWidget* owner);

    // Puts the message into lbMessage, centred; line breaks start new lines.
    // A short message keeps the box at 248 x 131. A longer one widens the
    // box up to 600 pixels and then makes it taller, so that every line
    // shows whole; long paths wrap after their separators.
    void SetMessage(const QString& message);

    // 0 asks a question with Yes and No; any other value shows OK alone.
    int32_t Kind = 1;

    QTextEdit* lbMessage = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnYes = nullptr;
    QPushButton* btnNo = nullptr;

public slots:
    // The close box and Escape end the box with ResultClosed.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    // Sizes the message area, the buttons' row and the box to the text.
    void FitToMessage();
};

// Shows message in a new modal box over owner and returns the modal result:
// 1 OK, 6 Yes, 7 No, 2 when it was closed with its close box.
int ShowMessageBox(int32_t kind, const QString& message, QWidget* owner);
