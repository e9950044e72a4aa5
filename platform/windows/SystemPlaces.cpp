#include "SystemPlaces.h"

namespace platform {

bool IsPathSeparator(QChar c) {
    return c == u'\\' || c == u'/';
}

QString DefaultOutputFolderPath() {
    return QStringLiteral("C:\\3gpVideo");
}

std::filesystem::path FileSystemPath(const QString& path) {
    return std::filesystem::path(path.toStdWString());
}

QString SettingsPlaceText() {
    return QStringLiteral(
        "the registry key HKEY_CURRENT_USER\\Software\\Brenholt\\"
        "Kestovar3GPVideoConverter");
}

std::string TextLayoutLibraryName() {
    return "libass-9.dll";
}

const char* SubtitleFontFile() {
    return nullptr;
}

}  // namespace platform
