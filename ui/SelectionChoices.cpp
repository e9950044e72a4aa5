#include "SelectionChoices.h"

#include "Formatparams.h"
#include "SizeLimit.h"

namespace {

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The picture fits, in the order of their stored numbers.
const std::array<QString, 3> kPictureFitNames{QStringLiteral("Stretch"),
                                              QStringLiteral("Black bars"), QStringLiteral("Crop")};

// The subtitle choices, in the order of their stored numbers.
const std::array<QString, 2> kSubtitlesNames{QStringLiteral("None"), QStringLiteral("Burn in")};

}  // namespace

TSelectionChoices::TSelectionChoices(::ProfileSelection& selection, QObject* parent)
    : QObject(parent), Selection(selection) {
    setObjectName(QStringLiteral("SelectionChoices"));
}

QStringList TSelectionChoices::ChoiceItems(QualityChoice choice) {
    QStringList items;
    switch (choice) {
        case QualityChoice::FrameRate:
            for (const FrameRateEntry& row : FrameRateTable) items << Text(row.Name);
            break;
        case QualityChoice::VideoQuality:
            for (const int32_t rate : VideoBitrateList)
                items << QString::fromStdString(BitrateText(rate));
            break;
        case QualityChoice::AudioQuality:
            for (const int32_t rate : AudioBitrateList)
                items << QString::fromStdString(BitrateText(rate));
            break;
        case QualityChoice::PictureFit:
            for (const QString& name : kPictureFitNames) items << name;
            break;
        case QualityChoice::SizeLimit:
            for (const SizeLimitEntry& row : SizeLimitTable) items << Text(row.Name);
            break;
        case QualityChoice::Sound:
            for (const std::string_view name : SoundChoiceNames) items << Text(name);
            break;
        case QualityChoice::Subtitles:
            for (const QString& name : kSubtitlesNames) items << name;
            break;
    }
    return items;
}

QString TSelectionChoices::ChoiceText(QualityChoice choice) const {
    const auto row = [](const auto& table, int32_t index) -> const auto& {
        const auto size = static_cast<int32_t>(table.size());
        return table[static_cast<std::size_t>(index >= 0 && index < size ? index : 0)];
    };
    switch (choice) {
        case QualityChoice::FrameRate:
            return Text(row(FrameRateTable, Selection.FrameRate).Name);
        case QualityChoice::VideoQuality:
            return Selection.SizeLimitBytes() > 0
                       ? QStringLiteral("Size limit")
                       : QString::fromStdString(BitrateText(Selection.VideoQuality));
        case QualityChoice::AudioQuality:
            return QString::fromStdString(
                BitrateText(row(AudioBitrateList, Selection.AudioQuality)));
        case QualityChoice::PictureFit:
            return row(kPictureFitNames, Selection.PictureFit);
        case QualityChoice::SizeLimit:
            return Text(row(SizeLimitTable, Selection.SizeLimit).Name);
        case QualityChoice::Sound:
            return Text(row(SoundChoiceNames, Selection.EvenLoudness));
        case QualityChoice::Subtitles:
            return row(kSubtitlesNames, Selection.Subtitles);
    }
    return {};
}

bool TSelectionChoices::IsChoosable(QualityChoice choice) const {
    return choice != QualityChoice::VideoQuality || Selection.SizeLimitBytes() <= 0;
}

bool TSelectionChoices::Choose(QualityChoice choice, int row) {
    return Change([choice, row](::ProfileSelection& s) {
        switch (choice) {
            case QualityChoice::FrameRate:
                return s.SelectFrameRate(row);
            case QualityChoice::VideoQuality:
                return s.SelectVideoQuality(row);
            case QualityChoice::AudioQuality:
                return s.SelectAudioQuality(row);
            case QualityChoice::PictureFit:
                return s.SelectPictureFit(row);
            case QualityChoice::SizeLimit:
                return s.SelectSizeLimit(row);
            case QualityChoice::Sound:
                return s.SelectSoundChoice(row);
            case QualityChoice::Subtitles:
                return s.SelectSubtitles(row);
        }
        return false;
    });
}

bool TSelectionChoices::Change(const std::function<bool(::ProfileSelection&)>& change) {
    if (!change(Selection)) return false;
    emit Changed();
    return true;
}
