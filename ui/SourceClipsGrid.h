// The grid of step 1 that lists the source clips: a title row with the four
// column titles and one row per clip below it.
//
// Rows are counted as the user sees them: row 0 is the title row (drawn as the
// table's horizontal header), row i + 1 shows clip i. The grid never has fewer
// than two rows, the title row and one row that stays empty while no clip is
// listed, except after Clear(), which leaves the title row alone.
#pragma once

#include <QStringList>
#include <QTableWidget>

struct SourceClipItem;

class TSourceClipsGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit TSourceClipsGrid(QWidget* parent = nullptr);

    // The four texts of a clip's row: name, "1.50 Mb" (system decimal
    // separator, no group separator), duration in the long time format,
    // "320 X 240". A trimmed clip's duration is the part's length to a tenth
    // of a second, "00:00:03.5 (trimmed)"; a clip that cannot be read reads
    // "unreadable".
    static QStringList ClipRowTexts(const SourceClipItem& item);
    // Row `row` (1 or more) shows the clip: its texts, the full path as the
    // name's tooltip (a long name is cut short with "…"), whether it has
    // subtitles as the other cells' tooltip ("Subtitles: 2 tracks",
    // "Subtitles: a file beside it", "No subtitles"), and instead the reason
    // as the duration's tooltip when the clip cannot be read.
    void SetClipRow(int row, const SourceClipItem& item);
    static QString ClipRowToolTip(const SourceClipItem& item);

    // "File Name", "Size", ... for row 0.
    void SetTitles(const QStringList& titles);
    QStringList Titles() const;

    // Row count including the title row.
    int GridRowCount() const;
    // Sets the row count including the title row; at least 1.
    void SetGridRowCount(int count);

    // The texts of row `row` (1 or more); empty texts for missing cells.
    QStringList RowTexts(int row) const;
    void SetRowTexts(int row, const QStringList& texts);
    // The tooltip of every cell of row `row` (1 or more); read from the size
    // cell, whose tooltip SetClipRow leaves as the subtitles note.
    QString RowToolTip(int row) const;
    void SetRowToolTip(int row, const QString& text);

    // The selected row (1 or more); 0 when nothing is selected.
    int SelectedRow() const;
    // Selects a whole row (1 or more) and scrolls it into view.
    void SelectRow(int row);

protected:
    void changeEvent(QEvent* event) override;

private:
    // Widens the size, duration and resolution columns to what their usual
    // texts need in the current font, taking the room from the file name.
    void FitColumnsToFont();

    // The font the columns were last fitted to: a refreshed skin with the
    // same font keeps the widths the user may have dragged.
    QString fittedFont_;
};
