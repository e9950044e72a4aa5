// One source clip of a run, and the ordered list of them that the main window
// owns and the worker reads.
#pragma once

#include <QString>
#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

struct SourceClipItem {
    QString SourcePath;   // full path as chosen
    QString DisplayName;  // the file name: the text after the last path separator
    int32_t SourceWidth = 0;   // first video stream; 0 when unknown or none
    int32_t SourceHeight = 0;
    double SizeMb = 0;    // file size in units of 2^20 bytes
    // Whole seconds, as the clip list shows it; the total progress of a run is
    // weighted by it. The worker measures each file's exact length itself.
    std::chrono::seconds SourceDuration{0};
};

using ClipList = std::vector<std::unique_ptr<SourceClipItem>>;
