#include "TrimClipFrm.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ControlFactory.h"
#include "MessageBoxFrm.h"
#include "TimeFormat.h"

TTrimClipForm::TTrimClipForm(SourceClipItem& clip, QWidget* owner)
    : TBaseSkinForm(owner, QSize(230, 120), FixedDialogFlags()), Clip(clip) {
    setObjectName(QStringLiteral("TrimClipForm"));
    setWindowTitle(QStringLiteral("Trim"));

    MakeLabel(this, nullptr, QStringLiteral("Start:"), {12, 16});
    ebStart = new QLineEdit(FormatClipTime(clip.TrimStart), this);
    ebStart->setObjectName(QStringLiteral("ebStart"));
    ebStart->setGeometry(70, 12, 80, 23);
    MakeLabel(this, nullptr, QStringLiteral("End:"), {12, 45});
    ebEnd = new QLineEdit(clip.TrimEnd > 0         ? FormatClipTime(clip.TrimEnd)
                          : clip.LengthSeconds > 0 ? FormatClipTime(clip.LengthSeconds)
                                                   : QString(),
                          this);
    ebEnd->setObjectName(QStringLiteral("ebEnd"));
    ebEnd->setGeometry(70, 41, 80, 23);
    MakeLabel(this, nullptr, QStringLiteral("Length:"), {12, 74});
    lbLength = MakeLabel(this, "lbLength", FormatClipTime(clip.LengthSeconds), {70, 74});
    lbEndNote = MakeLabel(this, "lbEndNote", QString(), {12, 96});
    lbEndNote->hide();

    btnOK = new QPushButton(QStringLiteral("&OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setGeometry(160, 12, 60, 23);
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setGeometry(160, 41, 60, 23);
    connect(btnOK, &QPushButton::clicked, this, &TTrimClipForm::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ebStart, &QLineEdit::textChanged, this, &TTrimClipForm::TimesEdited);
    connect(ebEnd, &QLineEdit::textChanged, this, &TTrimClipForm::TimesEdited);
    TimesEdited();
    FormCreate();
}

QString TTrimClipForm::TrimmedLengthText(const QString& startText, const QString& endText,
                                         double length, bool* endPastLength) {
    if (endPastLength) *endPastLength = false;
    const std::optional<double> start =
        startText.trimmed().isEmpty() ? std::optional<double>(0) : ParseClipTime(startText);
    std::optional<double> end =
        endText.trimmed().isEmpty() ? std::optional<double>(0) : ParseClipTime(endText);
    if (!start || !end) return QStringLiteral("-");
    if (length > 0 && (*end <= 0 || *end > length)) {
        if (endPastLength && *end > length) *endPastLength = true;
        end = length;
    }
    if (*end <= 0) return QStringLiteral("unknown");
    if (*start >= *end) return QStringLiteral("-");
    return FormatClipTime(*end - *start);
}

void TTrimClipForm::TimesEdited() {
    bool pastEnd = false;
    lbLength->setText(
        TrimmedLengthText(ebStart->text(), ebEnd->text(), Clip.LengthSeconds, &pastEnd));
    lbLength->adjustSize();
    lbEndNote->setText(
        QStringLiteral("The clip ends at %1.").arg(FormatClipTime(Clip.LengthSeconds)));
    lbEndNote->adjustSize();
    lbEndNote->setVisible(pastEnd);
}

QString TTrimClipForm::CheckTimes(const QString& startText, const QString& endText, double length,
                                  double& start, double& end) {
    bool startBeyond = false;
    const std::optional<double> startTime = startText.trimmed().isEmpty()
                                                ? std::optional<double>(0)
                                                : ParseClipTime(startText, &startBeyond);
    if (startBeyond) return QStringLiteral("The start time lies past 100 hours.");
    if (!startTime) return QStringLiteral("The start time is not a time: use hh:mm:ss.s");
    bool endBeyond = false;
    std::optional<double> endTime =
        endText.trimmed().isEmpty() ? std::optional<double>(0) : ParseClipTime(endText, &endBeyond);
    if (endBeyond) return QStringLiteral("The end time lies past 100 hours.");
    if (!endTime) return QStringLiteral("The end time is not a time: use hh:mm:ss.s");
    if (length > 0 && *startTime >= length) {
        return QStringLiteral("The start lies past the clip's end (%1).")
            .arg(FormatClipTime(length));
    }
    // An end at or past the clip's length is its end.
    if (length > 0 && *endTime >= length) endTime = 0;
    if (*endTime > 0 && *startTime >= *endTime) {
        return QStringLiteral("The start must come before the end.");
    }
    start = *startTime;
    end = *endTime;
    return {};
}

void TTrimClipForm::btnOKClick() {
    double start = 0;
    double end = 0;
    const QString problem =
        CheckTimes(ebStart->text(), ebEnd->text(), Clip.LengthSeconds, start, end);
    if (!problem.isEmpty()) {
        ShowMessageBox(1, problem, this);
        return;
    }
    Clip.TrimStart = start;
    Clip.TrimEnd = end;
    accept();
}
