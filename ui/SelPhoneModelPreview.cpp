// The phone page's preview: one still of the selected clip (a tenth into the
// part converted) made by the video path itself at the output's size, shown
// framed as the phone's screen, and the expected output size of each clip and
// of the whole list. Every choice on the page and in the Quality Settings
// dialog makes it anew; the still is made off the window's thread.
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QShowEvent>
#include <QTableWidget>
#include <QTimer>
#include <algorithm>

#include "OutputEstimate.h"
#include "PhoneScreen.h"
#include "SelPhoneModelPage.h"
#include "SelectionChoices.h"
#include "StillMaker.h"
#include "StillRenderer.h"
#include "WorkerParameters.h"

namespace {

constexpr int kPreviewTop = 169;
constexpr int kPreviewGroupHeight = 136;

QString SizeText(std::optional<int64_t> bytes, bool limited) {
    const QString decimal = QLocale().decimalPoint();
    return QString::fromStdString(
        ExpectedSizeText(bytes, limited, decimal.size() == 1 ? decimal.at(0).toLatin1() : '.'));
}

}  // namespace

int TSelPhoneModelPage::PreviewHeight() {
    return kPreviewGroupHeight + 3;
}

void TSelPhoneModelPage::CreatePreview() {
    gbPreview = new QGroupBox(tr("Preview"), this);
    gbPreview->setObjectName(QStringLiteral("gbPreview"));
    gbPreview->setGeometry(3, kPreviewTop, 413, kPreviewGroupHeight);

    PhonePreview = new TPhoneScreen(gbPreview);
    PhonePreview->setObjectName(QStringLiteral("PhonePreview"));
    PhonePreview->setGeometry(12, 18, 150, 112);

    auto* caption = new QLabel(tr("Expected size:"), gbPreview);
    caption->setObjectName(QStringLiteral("lbExpectedSize"));
    caption->move(174, 20);
    ExpectedSizes = new QTableWidget(0, 2, gbPreview);
    ExpectedSizes->setObjectName(QStringLiteral("ExpectedSizes"));
    ExpectedSizes->setGeometry(174, 38, 227, 70);
    ExpectedSizes->horizontalHeader()->hide();
    ExpectedSizes->verticalHeader()->hide();
    ExpectedSizes->verticalHeader()->setDefaultSectionSize(17);
    ExpectedSizes->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    ExpectedSizes->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    ExpectedSizes->setShowGrid(false);
    ExpectedSizes->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ExpectedSizes->setSelectionMode(QAbstractItemView::NoSelection);
    ExpectedSizes->setFocusPolicy(Qt::NoFocus);
    lbTotalSize = new QLabel(gbPreview);
    lbTotalSize->setObjectName(QStringLiteral("lbTotalSize"));
    lbTotalSize->setGeometry(174, 111, 227, 17);

    Maker = new TStillMaker(this);
    connect(Maker, &TStillMaker::StillMade, this, &TSelPhoneModelPage::StillMade);
    PreviewTimer = new QTimer(this);
    PreviewTimer->setSingleShot(true);
    PreviewTimer->setInterval(0);
    connect(PreviewTimer, &QTimer::timeout, this, &TSelPhoneModelPage::RefreshPreview);

    // Every change of the selection, on the page or in the Quality Settings
    // dialog, makes the preview anew.
    connect(&Choices, &TSelectionChoices::Changed, this, &TSelPhoneModelPage::SchedulePreview);
}

void TSelPhoneModelPage::SetPreviewClips(const ::ClipList& clips,
                                         std::function<int()> selectedClip) {
    PreviewClips = &clips;
    SelectedClip = std::move(selectedClip);
    SchedulePreview();
}

void TSelPhoneModelPage::SetRunning(bool running) {
    if (Running == running) return;
    Running = running;
    if (Running) {
        PreviewTimer->stop();
        Maker->Cancel();
    } else {
        SchedulePreview();
    }
}

void TSelPhoneModelPage::SchedulePreview() {
    if (PreviewTimer) PreviewTimer->start();
}

void TSelPhoneModelPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    SchedulePreview();
}

void TSelPhoneModelPage::RefreshPreview() {
    if (Running || !isVisible()) return;
    const std::optional<ConversionParameters> parameters = ParametersForSelection(ProfileSelection);
    if (!parameters) {
        Maker->Cancel();
        PhonePreview->SetPicture({});
        return;
    }
    PhonePreview->SetScreenSize(QSize(parameters->Width, parameters->Height));
    ShowExpectedSizes(*parameters);

    const int selected = SelectedClip ? SelectedClip() : -1;
    if (!PreviewClips || selected < 0 || selected >= static_cast<int>(PreviewClips->size())) {
        // Without a clip the screen stays empty.
        Maker->Cancel();
        PhonePreview->SetPicture({});
        return;
    }
    const SourceClipItem& clip = *(*PreviewClips)[static_cast<size_t>(selected)];
    Maker->Request(*parameters, clip.SourcePath,
                   transcode::StillTime(clip.KnownLength(), {clip.TrimStart, clip.TrimEnd}));
}

void TSelPhoneModelPage::ShowExpectedSizes(const ConversionParameters& parameters) {
    const int count = PreviewClips ? static_cast<int>(PreviewClips->size()) : 0;
    ExpectedSizes->setRowCount(count);
    const double frameRate = static_cast<double>(parameters.FrameRateNumerator) /
                             std::max(parameters.FrameRateDenominator, 1);
    const bool limited = parameters.SizeLimitBytes > 0;
    int64_t total = 0;
    bool allFit = true;
    for (int row = 0; row < count; ++row) {
        const SourceClipItem& clip = *(*PreviewClips)[static_cast<size_t>(row)];
        const std::optional<int64_t> bytes = ExpectedOutputBytes(
            parameters.SizeLimitBytes, parameters.VideoBitRate,
            ConvertedLength(clip.KnownLength(), clip.TrimStart, clip.TrimEnd), frameRate);
        if (bytes) {
            total += *bytes;
        } else {
            allFit = false;
        }
        const QString text = SizeText(bytes, limited);
        auto* name = new QTableWidgetItem(clip.DisplayName);
        name->setToolTip(clip.SourcePath);
        ExpectedSizes->setItem(row, 0, name);
        auto* size = new QTableWidgetItem(text);
        size->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        ExpectedSizes->setItem(row, 1, size);
    }
    QString totalText = tr("Total: %1").arg(SizeText(total, limited));
    if (!allFit) totalText += tr(" (without the clips that do not fit)");
    lbTotalSize->setText(count > 0 ? totalText : QString());
}

void TSelPhoneModelPage::StillMade(const QImage& still, const QString& problem) {
    if (Running) return;
    QString note;
    if (still.isNull()) note = problem.isEmpty() ? tr("No pictures") : tr("Cannot be read");
    PhonePreview->SetPicture(still, note);
    PhonePreview->setToolTip(problem);
}
