#include "SourceClipsGrid.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLocale>

#include "SourceClip.h"
#include "TimeFormat.h"

namespace {

constexpr int kColumnCount = 4;
constexpr int kColumnWidths[kColumnCount] = {174, 60, 58, 76};
constexpr int kRowHeight = 14;
constexpr int kMinimumNameWidth = 100;
constexpr int kCellMargin = 8;

}  // namespace

TSourceClipsGrid::TSourceClipsGrid(QWidget* parent) : QTableWidget(1, kColumnCount, parent) {
    setObjectName(QStringLiteral("SourceClipsGrid"));
    setHorizontalHeaderLabels(QStringList(kColumnCount, QString()));

    QHeaderView* header = horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setHighlightSections(false);
    header->setSectionsClickable(false);
    header->setMinimumSectionSize(8);
    header->setFixedHeight(kRowHeight + 2);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int column = 0; column < kColumnCount; ++column) {
        setColumnWidth(column, kColumnWidths[column]);
    }

    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(kRowHeight);
    verticalHeader()->setDefaultSectionSize(kRowHeight);

    // The selection moves with the keyboard, the mouse or the arrows beside
    // the grid; the grid scrolls to keep it in view.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setShowGrid(true);
    setWordWrap(false);
    // A name too long for its column ends in "…"; its tooltip has the path.
    setTextElideMode(Qt::ElideRight);
    setTabKeyNavigation(false);
    setCornerButtonEnabled(false);
    setStyleSheet(
        QStringLiteral("QTableWidget { background: white; gridline-color: #a0a0a0; }"
                       "QHeaderView::section { background: rgb(217, 219, 230); border: none;"
                       " border-right: 1px solid #a0a0a0; border-bottom: 1px solid #a0a0a0; "
                       "padding-left: 2px; }"));
}

QStringList TSourceClipsGrid::ClipRowTexts(const SourceClipItem& item) {
    QLocale locale = QLocale::system();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    QString duration;
    if (!item.UnreadableReason.isEmpty()) {
        duration = tr("unreadable");
    } else if (item.IsTrimmed()) {
        const double seconds = static_cast<double>(item.ConvertedMilliseconds().count()) / 1000;
        duration = FormatClipTime(seconds) + tr(" (trimmed)");
    } else {
        duration = FormatTimeOfDay(item.ConvertedDuration().count());
    }
    return {item.DisplayName, locale.toString(item.SizeMb, 'f', 2) + QStringLiteral(" Mb"),
            duration, QStringLiteral("%1 X %2").arg(item.SourceWidth).arg(item.SourceHeight)};
}

void TSourceClipsGrid::SetClipRow(int row, const SourceClipItem& item) {
    SetRowTexts(row, ClipRowTexts(item));
    if (row < 1 || row >= GridRowCount()) return;
    SetRowToolTip(row, ClipRowToolTip(item));
    if (QTableWidgetItem* name = this->item(row - 1, 0)) name->setToolTip(item.SourcePath);
    if (QTableWidgetItem* duration = this->item(row - 1, 2);
        duration && !item.UnreadableReason.isEmpty()) {
        duration->setToolTip(item.UnreadableReason);
    }
}

QString TSourceClipsGrid::ClipRowToolTip(const SourceClipItem& item) {
    QStringList parts;
    if (item.SubtitleTracks == 1) parts << QStringLiteral("1 track");
    if (item.SubtitleTracks > 1) parts << QStringLiteral("%1 tracks").arg(item.SubtitleTracks);
    if (item.HasSubtitleFile) parts << QStringLiteral("a file beside it");
    if (parts.isEmpty()) return QStringLiteral("No subtitles");
    return QStringLiteral("Subtitles: ") + parts.join(QStringLiteral(", "));
}

QString TSourceClipsGrid::RowToolTip(int row) const {
    const QTableWidgetItem* cell = row >= 1 ? item(row - 1, 1) : nullptr;
    return cell ? cell->toolTip() : QString();
}

void TSourceClipsGrid::SetRowToolTip(int row, const QString& text) {
    if (row < 1 || row >= GridRowCount()) return;
    for (int column = 0; column < kColumnCount; ++column) {
        if (QTableWidgetItem* cell = item(row - 1, column)) cell->setToolTip(text);
    }
}

void TSourceClipsGrid::SetTitles(const QStringList& titles) {
    QStringList labels = titles.mid(0, kColumnCount);
    while (labels.size() < kColumnCount) labels.append(QString());
    setHorizontalHeaderLabels(labels);
    fittedFont_.clear();
    FitColumnsToFont();
}

QStringList TSourceClipsGrid::Titles() const {
    QStringList titles;
    for (int column = 0; column < kColumnCount; ++column) {
        const QTableWidgetItem* cell = horizontalHeaderItem(column);
        titles.append(cell ? cell->text() : QString());
    }
    return titles;
}

int TSourceClipsGrid::GridRowCount() const {
    return rowCount() + 1;
}

void TSourceClipsGrid::SetGridRowCount(int count) {
    setRowCount(std::max(count, 1) - 1);
}

QStringList TSourceClipsGrid::RowTexts(int row) const {
    QStringList texts;
    for (int column = 0; column < kColumnCount; ++column) {
        const QTableWidgetItem* cell = row >= 1 ? item(row - 1, column) : nullptr;
        texts.append(cell ? cell->text() : QString());
    }
    return texts;
}

void TSourceClipsGrid::SetRowTexts(int row, const QStringList& texts) {
    if (row < 1 || row >= GridRowCount()) return;
    for (int column = 0; column < kColumnCount; ++column) {
        const QString text = texts.value(column);
        if (QTableWidgetItem* cell = item(row - 1, column)) {
            cell->setText(text);
            cell->setToolTip(QString());
        } else {
            setItem(row - 1, column, new QTableWidgetItem(text));
        }
    }
}

int TSourceClipsGrid::SelectedRow() const {
    const int current = currentRow();
    return current >= 0 ? current + 1 : 0;
}

void TSourceClipsGrid::SelectRow(int row) {
    if (row < 1 || row >= GridRowCount()) return;
    setCurrentCell(row - 1, 0);
    selectRow(row - 1);
    if (QTableWidgetItem* cell = item(row - 1, 0)) scrollToItem(cell);
}

void TSourceClipsGrid::changeEvent(QEvent* event) {
    QTableWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        FitColumnsToFont();
    }
}

void TSourceClipsGrid::FitColumnsToFont() {
    if (font().key() == fittedFont_) return;
    fittedFont_ = font().key();
    const QFontMetrics metrics(font());
    const QStringList titles = Titles();
    SourceClipItem sample;
    sample.SizeMb = 999.99;
    sample.SourceDuration = std::chrono::seconds(23 * 3600 + 59 * 60 + 59);
    sample.SourceWidth = 1920;
    sample.SourceHeight = 1080;
    QStringList texts = ClipRowTexts(sample);
    // A trimmed clip's duration is the widest text of its column.
    sample.TrimStart = 0.5;
    texts[2] = ClipRowTexts(sample)[2];

    int widths[kColumnCount];
    std::copy(std::begin(kColumnWidths), std::end(kColumnWidths), widths);
    int taken = 0;
    for (int column = 1; column < kColumnCount; ++column) {
        const int needed = std::max(metrics.horizontalAdvance(texts[column]),
                                    metrics.horizontalAdvance(titles[column])) +
                           kCellMargin;
        if (needed > widths[column]) {
            taken += needed - widths[column];
            widths[column] = needed;
        }
    }
    widths[0] = std::max(kMinimumNameWidth, widths[0] - taken);
    for (int column = 0; column < kColumnCount; ++column) setColumnWidth(column, widths[column]);
}
