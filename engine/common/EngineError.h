// A failure inside the conversion engine. The message is shown to the user as
// it stands: its first line says what failed, in the words the windows use
// (most end in a line feed); a failure with a known cause adds one more line,
// "<reason>: <path>", naming the cause (the media library's or the system's
// error text) and the file concerned.
#pragma once

#include <stdexcept>
#include <string>

#include "ShownName.h"

class TEngineError : public std::runtime_error {
public:
    // Which of the conversion's two files a failure concerns.
    enum class Concerns { Source, Destination };

    // The first line alone.
    explicit TEngineError(const std::string& message)
        : std::runtime_error(message), FirstLine_(message) {}

    // A failure whose file the transcoder names later (Completed): code is
    // the media library's error code (negative), or 0 with the reason given.
    TEngineError(const std::string& firstLine, Concerns concerns, int code,
                 const std::string& reason = {})
        : std::runtime_error(firstLine),
          FirstLine_(firstLine),
          Concerns_(concerns),
          Code_(code),
          Reason_(reason) {}

    // The first line, then the reason and the path.
    TEngineError(const std::string& firstLine, int code, const std::string& reason,
                 const std::string& path)
        : std::runtime_error(Compose(firstLine, reason, path)),
          FirstLine_(firstLine),
          Code_(code),
          Reason_(reason),
          Path_(path) {}

    const std::string& FirstLine() const { return FirstLine_; }
    Concerns Concern() const { return Concerns_; }
    int Code() const { return Code_; }
    const std::string& Reason() const { return Reason_; }
    // Empty until the file concerned is named.
    const std::string& Path() const { return Path_; }

private:
    static std::string Compose(const std::string& firstLine, const std::string& reason,
                               const std::string& path) {
        std::string text = firstLine;
        if (text.empty() || text.back() != '\n') text += '\n';
        return text + reason + ": " + ShownName(path) + '\n';
    }

    std::string FirstLine_;
    Concerns Concerns_ = Concerns::Source;
    int Code_ = 0;
    std::string Reason_;
    std::string Path_;
};

// A failure concerning the source, or the output, whose path the transcoder
// adds: with the library's error code, or 0 and the reason in words.
inline TEngineError SourceError(const std::string& firstLine, int code,
                                const std::string& reason = {}) {
    return TEngineError(firstLine, TEngineError::Concerns::Source, code, reason);
}
inline TEngineError DestinationError(const std::string& firstLine, int code,
                                     const std::string& reason = {}) {
    return TEngineError(firstLine, TEngineError::Concerns::Destination, code, reason);
}
