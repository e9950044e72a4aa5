#include "SystemPlaces.h"

#include "ProgramFolder.h"

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

std::filesystem::path SubtitleFontFile() {
    return std::filesystem::path(ProgramFolder() + L"fonts\\DejaVuSans.ttf");
}

}  // namespace platform
