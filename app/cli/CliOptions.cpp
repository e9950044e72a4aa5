#include "CliOptions.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include "Formatparams.h"
#include "ModelListing.h"
#include "OutputFolder.h"
#include "SizeLimit.h"
#include "TimeFormat.h"

namespace {

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

template <typename List>
QString JoinNumbers(const List& list) {
    QStringList items;
    for (const int32_t value : list) items << QString::number(value);
    return items.join(QStringLiteral(", "));
}

QString FrameRateChoices() {
    QStringList items;
    for (const FrameRateEntry& entry : FrameRateTable) {
        items << Text(entry.Name).remove(QStringLiteral(" fps"));
    }
    return items.join(QStringLiteral(", "));
}

std::optional<int32_t> FindFrameRate(QString text) {
    text = text.trimmed();
    if (text.endsWith(QStringLiteral("fps"), Qt::CaseInsensitive)) {
        text.chop(3);
        text = text.trimmed();
    }
    for (std::size_t row = 0; row < FrameRateTable.size(); ++row) {
        if (Text(FrameRateTable[row].Name).remove(QStringLiteral(" fps")) == text) {
            return static_cast<int32_t>(row);
        }
    }
    return std::nullopt;
}

template <typename List>
std::optional<int32_t> FindInList(const List& list, const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok) return std::nullopt;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i] == value) return static_cast<int32_t>(i);
    }
    return std::nullopt;
}

std::optional<int32_t> FindQualityLevel(const QString& text) {
    const QString name = text.trimmed();
    // "high" is taken for the system's own "Hight".
    if (name.compare(QStringLiteral("high"), Qt::CaseInsensitive) == 0) return QualityHight;
    const QByteArray utf8 = name.toUtf8();
    return FindQualityLevelByName(std::string_view(utf8.constData(), utf8.size()));
}

// "176x144", "176X144" or "176 x 144".
std::optional<std::pair<int32_t, int32_t>> ParseSize(const QString& text) {
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*(\\d{1,5})\\s*[xX]\\s*(\\d{1,5})\\s*$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch()) return std::nullopt;
    return std::make_pair(match.captured(1).toInt(), match.captured(2).toInt());
}

}  // namespace

std::optional<int32_t> FindPhoneModel(const QString& text) {
    const QString name = text.trimmed();
    bool isNumber = false;
    const int row = name.toInt(&isNumber);
    if (isNumber) {
        if (row >= 0 && row < static_cast<int>(PhoneModelTable.size())) return row;
        return std::nullopt;
    }
    const QByteArray utf8 = name.toUtf8();
    return FindPhoneModelByName(std::string_view(utf8.constData(), utf8.size()));
}

CliParseResult ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Converts video files into .3gp clips for mobile phones "
                       "(H.263 or MPEG-4 video, AMR narrow-band sound), one after another, "
                       "into the output folder, each named after its source."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Show the program's version and the versions "
                                                    "of the loaded media libraries."));
    const QCommandLineOption listModels(QStringLiteral("list-models"),
                                        QStringLiteral("List the phone models with their row, "
                                                       "manufacturer, default size and codec."));
    const QCommandLineOption listResolutions(
        QStringLiteral("list-resolutions"),
        QStringLiteral("List the picture sizes that MODEL's video codec allows."),
        QStringLiteral("MODEL"));
    const QCommandLineOption model(
        {QStringLiteral("m"), QStringLiteral("model")},
        QStringLiteral("Phone model, by name or row (see --list-models); the manufacturer "
                       "follows. Default: \"Nokia N93\"."),
        QStringLiteral("MODEL"));
    const QCommandLineOption size(
        {QStringLiteral("s"), QStringLiteral("size")},
        QStringLiteral("Picture size WIDTHxHEIGHT, one the model's codec allows (see "
                       "--list-resolutions). Default: the model's own size."),
        QStringLiteral("SIZE"));
    const QCommandLineOption quality(
        {QStringLiteral("q"), QStringLiteral("quality")},
        QStringLiteral("Quality level: low, medium, hight or best. Default: medium."),
        QStringLiteral("LEVEL"));
    const QCommandLineOption frameRate(
        QStringLiteral("frame-rate"),
        QStringLiteral("Custom frame rate: %1 (frames per second).").arg(FrameRateChoices()),
        QStringLiteral("FPS"));
    const QCommandLineOption videoBitrate(
        QStringLiteral("video-bitrate"),
        QStringLiteral("Custom video bitrate in kbit/s: %1.").arg(JoinNumbers(VideoBitrateList)),
        QStringLiteral("KBPS"));
    const QCommandLineOption audioBitrate(
        QStringLiteral("audio-bitrate"),
        QStringLiteral("Custom audio bitrate in kbit/s: %1.").arg(JoinNumbers(AudioBitrateList)),
        QStringLiteral("KBPS"));
    const QCommandLineOption maxSize(
        QStringLiteral("max-size"),
        QStringLiteral("Make every output at most SIZE bytes (suffix K or M, 1 K = 1024 bytes), "
                       "such as 300K for a video message: the video bitrate is lowered to fit, "
                       "never raised. A clip too long for SIZE fails."),
        QStringLiteral("SIZE"));
    const QCommandLineOption start(
        QStringLiteral("start"),
        QStringLiteral("Convert every file from this time on: seconds or hh:mm:ss.s."),
        QStringLiteral("T"));
    const QCommandLineOption end(
        QStringLiteral("end"),
        QStringLiteral("Convert every file up to this time: seconds or hh:mm:ss.s; past a "
                       "file's end means its end."),
        QStringLiteral("T"));
    const QCommandLineOption evenLoudness(
        QStringLiteral("even-loudness"),
        QStringLiteral("Bring the sound to one loudness that carries on a phone's small "
                       "speaker (-16 LUFS)."));
    const QCommandLineOption fit(
        QStringLiteral("fit"),
        QStringLiteral("How the picture fills the phone's screen: stretch (the whole picture, "
                       "its proportions changed), bars (the whole picture with its proportions, "
                       "black bars beside or above and below) or crop (the screen filled, the "
                       "overflow cut off). Default: stretch."),
        QStringLiteral("FIT"));
    const QCommandLineOption subtitlesOption(
        QStringLiteral("subtitles"),
        QStringLiteral("Burn subtitles into the picture: the file's forced track, else its "
                       "default track, else its first, else a subtitle file beside it with its "
                       "name (film.srt, film.ass, film.en.srt)."));
    const QCommandLineOption subtitleFile(
        QStringLiteral("subtitle-file"),
        QStringLiteral("Burn in the subtitles of this file (SubRip, ASS/SSA or WebVTT) for "
                       "every video, in place of the file's own tracks."),
        QStringLiteral("FILE"));
    const QCommandLineOption subtitleTrack(
        QStringLiteral("subtitle-track"),
        QStringLiteral("Burn in the Nth subtitle track of each file (1 the first)."),
        QStringLiteral("N"));
    const QCommandLineOption audioTrack(
        QStringLiteral("audio-track"),
        QStringLiteral("The sound track to convert, counted from 1 among each file's sound "
                       "tracks. Default: the track flagged default, else the one that best "
                       "goes with the picture."),
        QStringLiteral("N"));
    const QCommandLineOption outputFolder(
        {QStringLiteral("o"), QStringLiteral("output-folder")},
        QStringLiteral("Folder for the .3gp files; a missing folder is created (one level). "
                       "Default: %1.")
            .arg(DefaultOutputFolder()),
        QStringLiteral("FOLDER"));
    const QCommandLineOption verbose(QStringLiteral("verbose"),
                                     QStringLiteral("Show the media library's own log."));
    const QCommandLineOption idle(QStringLiteral("idle"),
                                  QStringLiteral("Convert at idle priority, using only processor "
                                                 "time nothing else wants."));
    const QCommandLineOption preview(
        QStringLiteral("preview"),
        QStringLiteral("Convert nothing: write each file's still, as the phone will show it, "
                       "as NAME.ppm into the output folder, and print each file's expected "
                       "output size and the total."));
    parser.addOptions({help,
                       version,
                       listModels,
                       listResolutions,
                       model,
                       size,
                       quality,
                       frameRate,
                       videoBitrate,
                       audioBitrate,
                       fit,
                       maxSize,
                       start,
                       end,
                       evenLoudness,
                       audioTrack,
                       subtitlesOption,
                       subtitleFile,
                       subtitleTrack,
                       outputFolder,
                       verbose,
                       idle,
                       preview});
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("Video files to convert, in this order."),
                                 QStringLiteral("FILE..."));

    CliParseResult result;
    CliRequest& request = result.Request;
    request.HelpText = parser.helpText() +
                       QStringLiteral(
                           "\nThe custom values make the quality level Custom, starting from the "
                           "chosen level's values.\n"
                           "Exit status: 0 all files converted, 1 a file "
                           "failed, 2 bad usage, 130 stopped by Ctrl+C.\n");

    if (!parser.parse(arguments)) {
        result.Error = parser.errorText();
        // "-dash.mp4" reads as the options d, a, s and h: a file whose name
        // starts with a dash comes after "--".
        if (!parser.unknownOptionNames().isEmpty()) {
            result.Error += QStringLiteral(
                " A file whose name starts with \"-\" goes after \"--\": -- -name.mp4");
        }
        return result;
    }
    if (parser.isSet(help)) {
        request.What = CliRequest::Mode::Help;
        return result;
    }
    if (parser.isSet(version)) {
        request.What = CliRequest::Mode::Version;
        return result;
    }
    if (parser.isSet(listModels)) {
        request.What = CliRequest::Mode::ListModels;
        return result;
    }
    if (parser.isSet(listResolutions)) {
        request.What = CliRequest::Mode::ListResolutions;
        const auto row = FindPhoneModel(parser.value(listResolutions));
        if (!row) {
            result.Error = QStringLiteral("Unknown phone model: %1 (see --list-models)")
                               .arg(parser.value(listResolutions));
        } else {
            request.ModelRow = *row;
        }
        return result;
    }

    request.What = CliRequest::Mode::Convert;
    request.Files = parser.positionalArguments();
    if (request.Files.isEmpty()) {
        result.Error = QStringLiteral("No video file given (see --help).");
        return result;
    }
    request.Verbose = parser.isSet(verbose);
    request.IdlePriority = parser.isSet(idle);
    request.PreviewOnly = parser.isSet(preview);
    request.OutputFolder =
        parser.isSet(outputFolder) ? parser.value(outputFolder) : DefaultOutputFolder();
    if (parser.isSet(maxSize)) {
        const QByteArray text = parser.value(maxSize).toUtf8();
        const auto bytes = ParseSizeText(std::string_view(text.constData(), text.size()));
        if (!bytes) {
            result.Error = QStringLiteral(
                               "Size %1 is not a size: give bytes, or a number with "
                               "K or M (300K, 1M)")
                               .arg(parser.value(maxSize));
            return result;
        }
        request.SizeLimitBytes = *bytes;
    }
    for (const auto& [option, field] :
         {std::pair{&start, &request.TrimStart}, std::pair{&end, &request.TrimEnd}}) {
        if (!parser.isSet(*option)) continue;
        bool beyondLimit = false;
        const auto time = ParseClipTime(parser.value(*option), &beyondLimit);
        if (!time) {
            result.Error =
                beyondLimit
                    ? QStringLiteral("Time %1 lies past 100 hours, the latest time there is")
                    : QStringLiteral("Time %1 is not a time: give seconds or hh:mm:ss.s");
            result.Error = result.Error.arg(parser.value(*option));
            return result;
        }
        *field = *time;
    }
    request.BurnSubtitles =
        parser.isSet(subtitlesOption) || parser.isSet(subtitleFile) || parser.isSet(subtitleTrack);
    if (parser.isSet(subtitleFile)) {
        request.SubtitleFile = parser.value(subtitleFile);
        if (request.SubtitleFile.isEmpty()) {
            result.Error = QStringLiteral("No subtitle file given to --subtitle-file.");
            return result;
        }
    }
    if (parser.isSet(subtitleTrack)) {
        bool number = false;
        const int track = parser.value(subtitleTrack).trimmed().toInt(&number);
        if (!number || track < 1) {
            result.Error = QStringLiteral(
                               "Subtitle track %1 is not a track number: give 1 for "
                               "the first subtitle track")
                               .arg(parser.value(subtitleTrack));
            return result;
        }
        request.SubtitleTrack = track;
    }
    if (parser.isSet(audioTrack)) {
        bool number = false;
        const int track = parser.value(audioTrack).toInt(&number);
        if (!number || track < 1) {
            result.Error = QStringLiteral("Sound track %1 is not a track number: give 1 or more")
                               .arg(parser.value(audioTrack));
            return result;
        }
        request.AudioTrack = track;
    }
    if (parser.isSet(end) && request.TrimEnd <= request.TrimStart) {
        result.Error = QStringLiteral("The start must come before the end.");
        return result;
    }

    ProfileSelection& selection = request.Selection;
    SettleRestoredSelection(selection);  // Width, Height, codec and flag of the default model
    if (parser.isSet(model)) {
        const auto row = FindPhoneModel(parser.value(model));
        if (!row) {
            result.Error = QStringLiteral("Unknown phone model: %1 (see --list-models)")
                               .arg(parser.value(model));
            return result;
        }
        selection.PhoneManufacturer = PhoneModelTable[static_cast<std::size_t>(*row)].Manufacturer;
        selection.SelectPhoneModel(*row);
    }
    if (parser.isSet(size)) {
        const auto wanted = ParseSize(parser.value(size));
        const std::optional<int32_t> row =
            wanted ? FindResolution(wanted->first, wanted->second) : std::nullopt;
        if (!row || !IsResolutionAllowed(selection.VideoCodec, *row)) {
            result.Error =
                QStringLiteral("The picture size %1 is not allowed for %2 (%3). Allowed sizes: %4")
                    .arg(parser.value(size),
                         Text(PhoneModelTable[static_cast<std::size_t>(selection.PhoneModel)].Name),
                         CodecName(selection.VideoCodec), AllowedSizesText(selection.VideoCodec));
            return result;
        }
        selection.SelectResolution(*row);
    }
    if (parser.isSet(quality)) {
        const auto level = FindQualityLevel(parser.value(quality));
        if (!level) {
            result.Error = QStringLiteral("Unknown quality level: %1 (low, medium, hight or best)")
                               .arg(parser.value(quality));
            return result;
        }
        selection.ApplyQualityLevel(*level);
    }

    if (parser.isSet(evenLoudness)) selection.SelectSoundChoice(1);

    // Custom values start from the chosen level's preset.
    if (parser.isSet(frameRate) || parser.isSet(videoBitrate) || parser.isSet(audioBitrate)) {
        selection.ApplyQualityLevel(QualityCustom);
    }
    if (parser.isSet(frameRate)) {
        const auto row = FindFrameRate(parser.value(frameRate));
        if (!row) {
            result.Error = QStringLiteral("Frame rate %1 is not offered; choose one of: %2")
                               .arg(parser.value(frameRate), FrameRateChoices());
            return result;
        }
        selection.SelectFrameRate(*row);
    }
    if (parser.isSet(videoBitrate)) {
        const auto position = FindInList(VideoBitrateList, parser.value(videoBitrate));
        if (!position) {
            result.Error =
                QStringLiteral("Video bitrate %1 is not offered; choose one of: %2 kbit/s")
                    .arg(parser.value(videoBitrate), JoinNumbers(VideoBitrateList));
            return result;
        }
        selection.SelectVideoQuality(*position);
    }
    if (parser.isSet(audioBitrate)) {
        const auto row = FindInList(AudioBitrateList, parser.value(audioBitrate));
        if (!row) {
            result.Error =
                QStringLiteral("Audio bitrate %1 is not offered; choose one of: %2 kbit/s")
                    .arg(parser.value(audioBitrate), JoinNumbers(AudioBitrateList));
            return result;
        }
        selection.SelectAudioQuality(*row);
    }
    if (parser.isSet(fit)) {
        const QStringList fits{QStringLiteral("stretch"), QStringLiteral("bars"),
                               QStringLiteral("crop")};
        const QString value = parser.value(fit).trimmed().toLower();
        if (!fits.contains(value)) {
            result.Error = QStringLiteral("Unknown picture fit: %1 (stretch, bars or crop)")
                               .arg(parser.value(fit));
            return result;
        }
        selection.SelectPictureFit(static_cast<int32_t>(fits.indexOf(value)));
    }
    return result;
}
