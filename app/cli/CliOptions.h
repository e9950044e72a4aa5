// The command line of kestovar3gp-cli: what it asks for, checked against the
// profiles before anything is converted.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

#include "ProfileSelection.h"

struct CliRequest {
    enum class Mode { Help, Version, ListModels, ListResolutions, Convert };
    Mode What = Mode::Help;

    // Convert
    ProfileSelection Selection;  // the settled choice of model, size and quality
    QString OutputFolder;        // as given, or the default folder
    QStringList Files;           // in the order given
    bool Verbose = false;        // let the media library write its own log
    bool IdlePriority = false;   // convert at idle priority, as the desktop program does
    int64_t SizeLimitBytes = 0;  // --max-size; 0: no limit
    double TrimStart = 0;        // --start, seconds, for every file
    double TrimEnd = 0;          // --end, seconds; 0: to each file's end
    int32_t AudioTrack = 0;      // --audio-track, 1-based; 0: each file's default
    bool BurnSubtitles = false;  // --subtitles (also set by the two below)
    QString SubtitleFile;        // --subtitle-file, for every file
    int32_t SubtitleTrack = 0;   // --subtitle-track, 1-based; 0: forced, default, first
    bool PreviewOnly = false;    // --preview: stills and expected sizes, nothing converted

    // ListResolutions
    int32_t ModelRow = 0;

    QString HelpText;  // the full --help text
};

struct CliParseResult {
    CliRequest Request;
    // Empty when the command line is usable; else what is wrong with it,
    // for standard error (the program then ends with status 2).
    QString Error;
};

// arguments includes the program name first, as QCoreApplication::arguments().
CliParseResult ParseCommandLine(const QStringList& arguments);

// A phone model by row number ("13") or by name ("Nokia 6630", any case).
std::optional<int32_t> FindPhoneModel(const QString& text);
