#include "ModelListing.h"

#include <QStringList>

#include "Formatparams.h"

namespace {

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString SizeArgument(int32_t resolutionRow) {
    const ResolutionEntry& entry = ResolutionTable[static_cast<std::size_t>(resolutionRow)];
    return QStringLiteral("%1x%2").arg(entry.Width).arg(entry.Height);
}

}  // namespace

QString CodecName(int32_t videoCodec) {
    return videoCodec == VideoCodecMpeg4 ? QStringLiteral("MPEG-4") : QStringLiteral("H.263");
}

QString PhoneModelListing() {
    QString out = QStringLiteral("%1  %2  %3  %4  %5\n")
                      .arg(QStringLiteral("Row"), 3)
                      .arg(QStringLiteral("Manufacturer"), -13)
                      .arg(QStringLiteral("Model"), -34)
                      .arg(QStringLiteral("Size"), -9)
                      .arg(QStringLiteral("Codec"));
    for (std::size_t row = 0; row < PhoneModelTable.size(); ++row) {
        const PhoneModelEntry& model = PhoneModelTable[row];
        out += QStringLiteral("%1  %2  %3  %4  %5\n")
                   .arg(row, 3)
                   .arg(Text(ManufacturerTable[static_cast<std::size_t>(model.Manufacturer)].Name),
                        -13)
                   .arg(Text(model.Name), -34)
                   .arg(SizeArgument(model.Resolution), -9)
                   .arg(CodecName(model.VideoCodec));
    }
    return out;
}

QString ResolutionListing(int32_t modelRow) {
    const PhoneModelEntry& model = PhoneModelTable[static_cast<std::size_t>(modelRow)];
    QString out = QStringLiteral("Picture sizes for %1 (%2):\n")
                      .arg(Text(model.Name), CodecName(model.VideoCodec));
    for (const int32_t row : AllowedResolutions(model.VideoCodec)) {
        if (row == model.Resolution) {
            out += QStringLiteral("  %1  (default)\n").arg(SizeArgument(row), -9);
        } else {
            out += QStringLiteral("  %1\n").arg(SizeArgument(row));
        }
    }
    return out;
}

QString AllowedSizesText(int32_t videoCodec) {
    QStringList sizes;
    for (const int32_t row : AllowedResolutions(videoCodec)) sizes << SizeArgument(row);
    return sizes.join(QStringLiteral(", "));
}
