// The "Trim" dialog of the clip page: the part of one clip to convert, as a
// start and an end time (hh:mm:ss.s), beside the clip's length. An empty end
// converts to the clip's end.
#pragma once

#include <QString>

#include "BaseSkinFrm.h"
#include "SourceClip.h"

class QLabel;
class QLineEdit;
class QPushButton;

class TTrimClipForm : public TBaseSkinForm {
    Q_OBJECT
public:
    // Shows the clip's trim times and length; OK stores the times into clip.
    TTrimClipForm(SourceClipItem& clip, QWidget* owner);

    // What is wrong with the two texts for a clip of length seconds (0:
    // unknown), or empty when they can be used; then start and end hold them
    // (end 0: to the clip's end).
    static QString CheckTimes(const QString& startText, const QString& endText, double length,
                              double& start, double& end);

    QLineEdit* ebStart = nullptr;
    QLineEdit* ebEnd = nullptr;
    QLabel* lbLength = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

private:
    // OK: the times are checked; a refusal is shown and the dialog stays.
    void btnOKClick();

    SourceClipItem& Clip;
};
