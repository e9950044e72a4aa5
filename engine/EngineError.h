// A failure inside the conversion engine. The message is shown to the user as
// it stands: its first line says what failed, in the words the windows use
// (most end in a line feed); a failure with a known cause adds one more line,
// "<reason>: <path>", naming the cause (the media library's or the system's
// error text) and the file concerned.
#pragma once

#include <stdexcept>
#include <string>

class EngineError : public std::runtime_error {
public:
    // The first line alone.
    explicit EngineError(const std::string& message) : std::runtime_error(message) {}

    // The first line, then the reason and the path. code is the library's
    // error code (negative) or 0 when the cause came from elsewhere.
    EngineError(const std::string& firstLine, int code, const std::string& reason,
                const std::string& path)
        : std::runtime_error(Compose(firstLine, reason, path)),
          FirstLine_(firstLine),
          Code_(code),
          Reason_(reason),
          Path_(path) {}

    // Empty for a message without its reason line.
    const std::string& FirstLine() const { return FirstLine_; }
    int Code() const { return Code_; }
    const std::string& Reason() const { return Reason_; }
    const std::string& Path() const { return Path_; }
    bool HasReason() const { return !Reason_.empty(); }

private:
    static std::string Compose(const std::string& firstLine, const std::string& reason,
                               const std::string& path) {
        std::string text = firstLine;
        if (text.empty() || text.back() != '\n') text += '\n';
        return text + reason + ": " + path + '\n';
    }

    std::string FirstLine_;
    int Code_ = 0;
    std::string Reason_;
    std::string Path_;
};
