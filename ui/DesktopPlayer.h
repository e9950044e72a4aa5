// Which program the desktop opens a clip with. This program's own desktop
// entry claims the video types it reads, so on a machine without a video
// player the desktop's choice for a clip may be this very program; a preview
// must then not start a second converter.
#pragma once

#include <QString>

// The name of this program's desktop entry, as the desktop's associations
// name it.
inline constexpr char kOwnDesktopEntry[] = "example.brenholt_soft.Kestovar3GP.desktop";

// The desktop entry of the program the desktop opens files of mimeType with
// ("vlc.desktop"), as `xdg-mime query default` tells it; empty when there is
// none or the desktop does not say (no xdg-mime, as on Windows).
QString DefaultApplicationFor(const QString& mimeType);

// True when the desktop would open the file at path with this program.
bool OpensWithThisProgram(const QString& path);
