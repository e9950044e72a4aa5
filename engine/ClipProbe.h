// Reading a clip's particulars for the clip list.
#pragma once

#include <QString>
#include <memory>

#include "SourceClip.h"

// Opens the file with the media library, reads its stream information and
// closes it again. The item always comes back: a file the library cannot open
// keeps size 0, duration 0 and picture size 0 x 0, and one whose stream
// information cannot be read keeps its size but a zero duration and picture
// size. The duration is in whole seconds (0 when unknown); the picture size is
// that of the first video stream. Call only once the binding has been checked.
std::unique_ptr<SourceClipItem> ProbeClip(const QString& path);
