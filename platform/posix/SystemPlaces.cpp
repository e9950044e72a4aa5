#include "SystemPlaces.h"

#include <QDir>

#include "NativePath.h"

namespace platform {

bool IsPathSeparator(QChar c) {
    return c == u'/';
}

QString DefaultOutputFolderPath() {
    return QDir::toNativeSeparators(QDir::homePath() + QStringLiteral("/3gpVideo"));
}

std::filesystem::path FileSystemPath(const QString& path) {
    return std::filesystem::path(NativePathString(path));
}

QString SettingsPlaceText() {
    return QStringLiteral("~/.config/Brenholt/Kestovar3GPVideoConverter.conf");
}

std::string TextLayoutLibraryName() {
    return "libass.so.9";
}

std::filesystem::path SubtitleFontFile() {
    return "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
}

}  // namespace platform
