// Subtitle files that go with a video file.
#pragma once

#include <string>

// A subtitle file beside the video with its base name: film.srt, film.ass,
// film.ssa, film.vtt first, then film.<anything>.srt and so on (film.en.srt),
// in name order. Empty when there is none. videoPath is the file system's
// bytes.
std::string SubtitleFileBeside(const std::string& videoPath);
