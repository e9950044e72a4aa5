// Reading a clip's particulars for the clip list.
#pragma once

#include <QString>
#include <memory>

#include "SourceClip.h"

// Opens the file with the media library (as a local file, whatever its name
// looks like), reads its stream information and closes it again. The item
// always comes back: a file the library cannot open, and anything that is not
// a regular file, keeps size 0, duration 0 and picture size 0 x 0, and one
// whose stream information cannot be read keeps its size but a zero duration
// and picture size. The duration is in whole seconds (0 when unknown); the
// picture size is that of the first video stream (of the cover picture, for a
// sound file with one). The sound tracks are counted, and the one a
// conversion would choose is noted. path may carry a name's
// own bytes (NativePath.h). Call only once the binding has been checked.
std::unique_ptr<SourceClipItem> ProbeClip(const QString& path);

// The message that refuses a source which is not a regular file (a pipe, a
// device, a folder), naming it: "Could not open source file\nNot a regular
// file (a pipe): <path>\n". Empty for a regular file and for a name that
// leads nowhere (the conversion then says why).
QString SourceRefusal(const QString& path);
