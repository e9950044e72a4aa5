// One source clip of a run, and the ordered list of them that the main window
// owns and the worker reads.
#pragma once

#include <QString>
#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

struct SourceClipItem {
    QString SourcePath;       // full path as chosen
    QString DisplayName;      // the file name: the text after the last path separator
    int32_t SourceWidth = 0;  // first video stream; 0 when unknown or none
    int32_t SourceHeight = 0;
    double SizeMb = 0;             // file size in units of 2^20 bytes
    int32_t SubtitleTracks = 0;    // subtitle tracks in the file
    bool HasSubtitleFile = false;  // a subtitle file with its name lies beside it
    // Whole seconds, as the clip list shows it; the total progress of a run is
    // weighted by it. The worker measures each file's exact length itself.
    std::chrono::seconds SourceDuration{0};
    // The exact length in seconds, for the trim times; 0 when unknown.
    double LengthSeconds = 0;
    // The part to convert, in seconds from the clip's start. TrimEnd 0 (or
    // less) converts to the clip's end. The clip list is never stored, and
    // neither are these.
    double TrimStart = 0;
    double TrimEnd = 0;
    // The sound track to convert, 1-based among the clip's sound tracks; 0
    // lets the conversion choose (the one flagged default, else the best for
    // the picture).
    int32_t AudioTrack = 0;
    // What the probe found: the number of sound tracks, and which of them
    // (1-based) the conversion takes when AudioTrack is 0; 0 for none.
    int32_t SoundTracks = 0;
    int32_t ChosenSoundTrack = 0;
    // Why the media library cannot read the file ("Invalid data found when
    // processing input"); empty for a clip that can be converted.
    QString UnreadableReason;

    bool IsTrimmed() const { return TrimStart > 0 || TrimEnd > 0; }
    // The whole seconds that will be converted: the length less what the
    // trim times leave out. With an unknown length and no end, 0 like the
    // length itself.
    std::chrono::seconds ConvertedDuration() const;
    // The same in milliseconds, from the exact length where it is known, for
    // the total progress of a run: a short clip moves the bar smoothly.
    std::chrono::milliseconds ConvertedMilliseconds() const;
    // The length in seconds: the exact one, else the whole seconds listed.
    double KnownLength() const {
        return LengthSeconds > 0 ? LengthSeconds : static_cast<double>(SourceDuration.count());
    }
};

using ClipList = std::vector<std::unique_ptr<SourceClipItem>>;
