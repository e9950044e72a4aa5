// Opening a source file for reading its pictures and sound: a local file and
// nothing else, never a pipe or a device, with its stream information read.
#pragma once

#include <string>

#include "AvPtr.h"
#include "EngineError.h"

// Opens the source and reads its stream information. Throws SourceError
// ("Could not open source file\n" with the reason, or "Could not find stream
// info in source file\n"); the caller names the path.
av::InputContextPtr OpenSourceFile(const std::string& nativePath);

// Moves the input to the key picture at or before seconds from the source's
// start, so that what lies before that time can be decoded and dropped. Where
// the format cannot seek, the input goes back to its start.
void SeekToKeyPictureBefore(AVFormatContext& input, double seconds);

// The error with its reason line (the library's text for its code when it
// gave none) and the file it concerns; an error that names its file already
// comes back as it is.
TEngineError NamingFile(const TEngineError& error, const std::string& path);
