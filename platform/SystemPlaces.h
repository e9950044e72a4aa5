// Where this system keeps things and how it spells a file's name: the path
// separators, the default output folder, the settings' place, the name of
// the text layout library and the subtitles' default font.
#pragma once

#include <QChar>
#include <QString>
#include <filesystem>
#include <string>

namespace platform {

// True for a character that separates a path's folders ('/' here; '\' and
// '/' on Windows).
bool IsPathSeparator(QChar c);

// The output folder before one is chosen, in native separators.
QString DefaultOutputFolderPath();

// A name as the file system library takes it, without loss.
std::filesystem::path FileSystemPath(const QString& path);

// Where the desktop program keeps its settings, as its help tells.
QString SettingsPlaceText();

// The file name libass is loaded by.
std::string TextLayoutLibraryName();

// The font file plain subtitles are set in (DejaVu Sans): the system's own
// on Linux, the copy beside the program on Windows.
std::filesystem::path SubtitleFontFile();

}  // namespace platform
