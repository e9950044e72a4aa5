// The "Trim" dialog of the clip page: the part of one clip to convert, as a
// start and an end time (hh:mm:ss.s), and the part's length, which follows
// the two times as they are typed. An empty end converts to the clip's end;
// an end past the clip's known end is its end, and a note says so.
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
    QLabel* lbEndNote = nullptr;  // shown while End lies past the clip's end
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

    // The length of the part that Start and End give as they read now:
    // "00:00:25.5"; "-" while they give none (a text that is no time, or an
    // end before the start); "unknown" without an end and a known length.
    static QString TrimmedLengthText(const QString& startText, const QString& endText,
                                     double length, bool* endPastLength = nullptr);

private:
    // OK: the times are checked; a refusal is shown and the dialog stays.
    void btnOKClick();
    // Start or End was edited: the length and the note follow.
    void TimesEdited();

    SourceClipItem& Clip;
};
