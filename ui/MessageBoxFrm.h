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
    void CentreMessage();
};

// Shows message in a new modal box over owner and returns the modal result:
// 1 OK, 6 Yes, 7 No, 2 when it was closed with its close box.
int ShowMessageBox(int32_t kind, const QString& message, QWidget* owner);
