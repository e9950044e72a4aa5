// The window's selection as the pages and the Quality Settings dialog share
// it: every change goes through here and is told to whoever shows it, so no
// page or dialog writes into another's fields.
//
// The seven choices of the Quality Settings dialog are named by QualityChoice:
// their menu items (ChoiceItems), the text their field shows (ChoiceText) and
// the change a menu item makes (Choose). Any other change (a phone, a size, a
// quality level) goes through Change. Each change that takes emits Changed.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>

#include "ProfileSelection.h"

enum class QualityChoice {
    FrameRate,
    VideoQuality,
    AudioQuality,
    PictureFit,
    SizeLimit,
    Sound,
    Subtitles
};

inline constexpr std::array<QualityChoice, 7> AllQualityChoices{
    QualityChoice::FrameRate,  QualityChoice::VideoQuality, QualityChoice::AudioQuality,
    QualityChoice::PictureFit, QualityChoice::SizeLimit,    QualityChoice::Sound,
    QualityChoice::Subtitles};

class QMenu;

// One popup menu per choice, at QualityMenuIndex(choice).
using QualityMenus = std::array<QMenu*, AllQualityChoices.size()>;
constexpr std::size_t QualityMenuIndex(QualityChoice choice) {
    return static_cast<std::size_t>(choice);
}

class TSelectionChoices : public QObject {
    Q_OBJECT
public:
    // selection: the window's, which lives as long as this object.
    explicit TSelectionChoices(::ProfileSelection& selection, QObject* parent = nullptr);

    const ::ProfileSelection& Current() const { return Selection; }

    // The captions of a choice's menu items, in table order; item i is row i.
    static QStringList ChoiceItems(QualityChoice choice);
    // What the choice's field shows for the current selection. While a size
    // limit is set the video bitrate is computed per clip: "Size limit".
    QString ChoiceText(QualityChoice choice) const;
    // False for the video bitrate while a size limit is set.
    bool IsChoosable(QualityChoice choice) const;
    // The menu item of row `row` chosen: the selection's operation for it.
    // False, and nothing told, for a row outside its table.
    bool Choose(QualityChoice choice, int row);

    // Any other change: change(selection) reports whether it took; when it
    // did, Changed follows.
    bool Change(const std::function<bool(::ProfileSelection&)>& change);

signals:
    // The selection has changed; whoever shows a part of it shows it anew.
    void Changed();

private:
    ::ProfileSelection& Selection;
};
