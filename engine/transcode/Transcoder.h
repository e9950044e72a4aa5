// The per-file conversion: one source file in, one phone-ready .3gp file out.
//
// TTranscoder opens the source and its decoders, creates the output with an
// H.263 or MPEG-4 Part 2 video stream and an AMR narrow-band sound stream,
// runs the conversion loop (frame-rate conversion, scaling, resampling) and
// writes the trailer. The output is written under a temporary name in the
// output folder and renamed to its final name only once it is complete.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "ConversionParameters.h"

namespace subtitles {
class TSubtitlePath;
}

namespace transcode {
class TAudioPath;
class TOutputFile;
class TVideoPath;
}  // namespace transcode

class TTranscodeObserver {
public:
    virtual ~TTranscodeObserver() = default;
    // Called on the worker's thread whenever the file's whole percentage grows
    // beyond the last reported one (at most once per whole percent, 1 to 100).
    virtual void FilePercent(int32_t percent) = 0;
    // Polled once per pass of the conversion loop. True ends the file normally:
    // what was converted so far becomes a complete, shorter output file.
    virtual bool IsStopRequested() const = 0;
    // Called on the worker's thread when a damaged part of the source (a packet
    // the decoder rejects) has been passed over and the conversion goes on.
    // secondsIntoClip: where, from the start of the source. Once per file at
    // most; a file that fails later still fails.
    virtual void DamagePassedOver(double secondsIntoClip) { (void)secondsIntoClip; }
    // Called on the worker's thread with the name of the temporary file the
    // output is being written to, and with an empty name once that file has
    // taken its final name or been removed.
    virtual void TemporaryFileChanged(const std::string& /*path*/) {}
    // Called on the worker's thread to make a temporary file: create makes it
    // and gives its name, which the observer is told as by
    // TemporaryFileChanged. An observer that removes such files from another
    // thread makes the two one step, so that no file can exist unannounced.
    virtual void CreateTemporaryFile(const std::function<std::string()>& create) {
        TemporaryFileChanged(create());
    }
    // Called on the worker's thread once a file has converted whose source
    // ends before the length its container gives (a file cut short, or still
    // being written): where it ends and that length, in seconds. The output
    // then ends there too.
    virtual void SourceEndsEarly(double endSeconds, double lengthSeconds) {
        (void)endSeconds;
        (void)lengthSeconds;
    }
    // The file is encoded once more (at another bitrate, to fit its size
    // limit): its percentage starts again from 0.
    virtual void FileRestarted() {}
    // The clip converts without the subtitles it was to get: reason says why
    // ("The subtitle file film.srt could not be read"). At every encoding of
    // the file (again for each pass of a size limit).
    virtual void SubtitlesLeftOut(const std::string& reason) { (void)reason; }
    // Called on the worker's thread, once per file, with a remark on how it
    // is converted ("HDR picture (PQ) mapped to SDR"): for a detailed log.
    virtual void Remark(const std::string& /*text*/) {}
    // Called on the worker's thread, once per file, when it converts but
    // will not look as it should; the text says why.
    virtual void Warning(const std::string& /*text*/) {}
};

// The part of a source to convert, in seconds from its start. End 0 (or
// less) converts to the source's end, and so does an end past it.
struct ClipRange {
    double Start = 0;
    double End = 0;
    // The sound track, 1-based among the source's sound streams; 0 chooses
    // the one flagged default, else the library's best for the picture.
    int32_t AudioTrack = 0;
};

class TTranscoder {
public:
    // Keeps a copy of the parameters and a reference to the observer, which
    // must outlive the transcoder.
    TTranscoder(const ConversionParameters& parameters, TTranscodeObserver& observer);
    ~TTranscoder();
    TTranscoder(const TTranscoder&) = delete;
    TTranscoder& operator=(const TTranscoder&) = delete;

    // Converts one source file into one output file; both paths are the file
    // system's bytes (UTF-8 for any ordinary name), each opened as a local file
    // whatever it looks like. Returns normally when the file was converted or
    // stopped. On failure throws TEngineError with the message to show: its
    // first line ("Could not open source file\n", ..., "Could not open
    // destination file"), then the reason and the path of the file concerned;
    // everything the file held is released first and the temporary output
    // removed, and an existing file of the output's name is left untouched.
    //
    // With a size limit (ConversionParameters::SizeLimitBytes) the bitrates
    // are computed from the length converted; a result above the limit is
    // encoded again at a lower rate, one far below it at a higher rate unless
    // the encoder already used its finest quantiser. A clip that cannot fit
    // fails with "The clip does not fit in 300 KB: at most hh:mm:ss" and
    // nothing is written.
    void ConvertFile(const std::string& sourcePathUtf8, const std::string& outputPathUtf8,
                     const ClipRange& range = {});

    // The exact length in seconds of the source last opened by ConvertFile;
    // negative when the source does not tell its length.
    double SourceDuration() const { return Duration; }

private:
    struct TranscodeState;

    // Releases what the file held: the output file is closed first, then the
    // video path, the audio path and the source go. Never allocates, never
    // throws.
    void ReleaseState() noexcept;

    // Set-up and tear-down (Transcoder.cpp).
    // One encoding of the whole file with Current into a finished temporary
    // file, which Output still holds; its size in bytes.
    int64_t EncodeOnce(const std::string& sourcePath, const std::string& outputPath);
    // The first pass's bitrates from the size limit and the length; throws
    // when the clip cannot fit.
    void PlanForLimit();
    // Moves to the start of the range; drops nothing itself.
    void SeekToStart();
    void OpenSource(const std::string& sourcePath, const std::string& outputPath);
    void StartDecoders();
    // The subtitles to burn in, when asked for: a file named, a track of the
    // source, a file beside it. Subtitles that cannot be used are left out
    // with a warning.
    void StartSubtitles(const std::string& sourcePath);
    void CreateOutput(const std::string& outputPath);
    void DiscardDestination() noexcept;

    // The conversion loop between the parts (TranscodeLoop.cpp).
    void RunLoop();
    void FinishStreams();
    bool ReadPacket();
    bool ReceivePicture();
    // Holds the latest picture for the slots the sound has passed, less lead
    // microseconds.
    void HoldPictureUnderSound(int64_t lead);
    // Fills the sound with silence up to the pictures encoded, less lead
    // microseconds.
    void FillSilenceUnderPictures(int64_t lead);
    void ReportProgress();
    // Notes in EndedEarlyAt whether the input ended before its length.
    void CheckSourceEnd();
    // True once a stop has been asked for; polled in every reading loop.
    bool StopSeen();
    // A packet of the video (else the audio) stream decoded, or was damaged
    // and passed over; fails the file once damage has lasted too long.
    void NoteDecoding(bool video, bool damaged);
    // Fails the file when not one picture (sound, without pictures) decoded.
    void CheckSomethingDecoded();
    // No picture (no sound, without pictures) has gone to the encoder.
    bool NothingEncoded() const;

    const ConversionParameters Parameters;
    TTranscodeObserver& Observer;
    // What the current encoding uses: Parameters with the bitrates the size
    // limit gives.
    ConversionParameters Current;
    ClipRange Range;
    bool Planned = false;       // Current's bitrates come from the size limit
    bool Remarked = false;      // the file's remarks and warnings have been told
    bool StoppedEmpty = false;  // stopped before anything was encoded: no file
    double Duration = 0;
    // Where the source's packets ended, in seconds from its start, when that
    // lies well before the length converted; negative otherwise.
    double EndedEarlyAt = -1;
    // The length converted in seconds: the source's length less what the range
    // leaves out; 0 or less when unknown.
    double PartLength = 0;
    // The parts of the file being converted; all absent between files, and a
    // path also when the source has no such stream.
    std::unique_ptr<TranscodeState> State;
    std::unique_ptr<transcode::TOutputFile> Output;
    std::unique_ptr<transcode::TVideoPath> Video;
    std::unique_ptr<transcode::TAudioPath> Audio;
    std::unique_ptr<subtitles::TSubtitlePath> Subtitles;  // absent: none burned in
};
