#include "PreviewOutput.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <exception>

#include "NativePath.h"
#include "OutputEstimate.h"
#include "OutputNames.h"
#include "StillRenderer.h"

namespace {

// A binary PPM (P6): the header, then the RGB rows as they are.
bool SavePpm(const transcode::StillImage& still, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const QByteArray header =
        QStringLiteral("P6\n%1 %2\n255\n").arg(still.Width).arg(still.Height).toLatin1();
    return file.write(header) == header.size() &&
           file.write(reinterpret_cast<const char*>(still.Rgb.data()),
                      static_cast<qint64>(still.Rgb.size())) ==
               static_cast<qint64>(still.Rgb.size()) &&
           file.flush();
}

}  // namespace

int WritePreview(const ClipList& clips, const ConversionParameters& parameters,
                 const QString& outputFolder, QTextStream& out, QTextStream& err) {
    const double frameRate = static_cast<double>(parameters.FrameRateNumerator) /
                             std::max(parameters.FrameRateDenominator, 1);
    const bool limited = parameters.SizeLimitBytes > 0;
    int64_t total = 0;
    int status = 0;
    for (const auto& clip : clips) {
        const double length = clip->KnownLength();
        const std::optional<int64_t> bytes =
            ExpectedOutputBytes(parameters.SizeLimitBytes, parameters.VideoBitRate,
                                ConvertedLength(length, clip->TrimStart, clip->TrimEnd), frameRate);
        if (bytes) total += *bytes;
        QString line = clip->DisplayName + QStringLiteral(": ") +
                       QString::fromStdString(ExpectedSizeText(bytes, limited));

        const QString output = BuildOutputPath(outputFolder, clip->SourcePath);
        const QString stillPath = QFileInfo(output).path() + u'/' +
                                  QFileInfo(output).completeBaseName() + QStringLiteral(".ppm");
        try {
            const transcode::StillImage still = transcode::RenderStill(
                parameters, NativePathString(clip->SourcePath),
                transcode::StillTime(length, {clip->TrimStart, clip->TrimEnd}));
            if (still.IsEmpty()) {
                line += QStringLiteral(", no pictures");
            } else if (SavePpm(still, stillPath)) {
                line += QStringLiteral(", still ") + QFileInfo(stillPath).fileName();
            } else {
                err << QStringLiteral("Could not write the still %1\n").arg(stillPath);
                status = 1;
            }
        } catch (const std::exception& error) {
            err << QString::fromUtf8(error.what());
            status = 1;
        }
        out << line << u'\n';
    }
    out << QStringLiteral("Total: ") << QString::fromStdString(ExpectedSizeText(total, limited))
        << u'\n';
    out.flush();
    err.flush();
    return status;
}
