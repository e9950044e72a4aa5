#include "TemporaryOutput.h"

#include <QDir>
#include <cerrno>
#include <cstdint>

#include "EngineError.h"
#include "LocalMedia.h"
#include "LockedFile.h"
#include "PathNames.h"

namespace {

constexpr std::string_view kPrefix = ".k3gp-";
constexpr std::string_view kSuffix = ".part";
constexpr std::size_t kRandomLength = 6;
constexpr char kOpenError[] = "Could not open destination file";
constexpr char kReplaceError[] = "Could not replace destination file\n";

// The separators are ASCII, so they are found in the name's bytes as they are.
bool IsSeparator(char c) {
    return IsPathSeparator(QChar::fromLatin1(c));
}

std::size_t LastSeparator(const std::string& path) {
    for (std::size_t i = path.size(); i > 0; --i) {
        if (IsSeparator(path[i - 1])) return i - 1;
    }
    return std::string::npos;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = LastSeparator(path);
    if (slash == std::string::npos) return ".";
    // The root keeps its separator: "/", or "C:\" (not drive C's current folder).
    if (slash == 0 || (slash == 2 && path[1] == ':' && IsSeparator('\\'))) {
        return path.substr(0, slash + 1);
    }
    return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = LastSeparator(path);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty() || IsSeparator(folder.back())) return folder + name;
    return folder + QDir::separator().toLatin1() + name;
}

constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::size_t kLetterCount = sizeof kLetters - 1;

// The temporary names for a final name: five letters from the final file
// name's hash, so that another process can tell the name is being written,
// and one more for each file of that name at the same time (a size limit's
// passes keep an earlier result beside the next one).
std::string TemporaryName(const std::string& finalName, std::size_t sequence) {
    uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (const char c : finalName) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    std::string name(kPrefix);
    for (std::size_t i = 0; i + 1 < kRandomLength; ++i, hash /= kLetterCount) {
        name += kLetters[hash % kLetterCount];
    }
    name += kLetters[sequence % kLetterCount];
    name += kSuffix;
    return name;
}

// Creates and locks the first free temporary name for the final path: 0 and
// its sequence number and path, or the errno number of the failure (EEXIST
// when every name is taken).
struct CreatedSlot {
    int Error = EEXIST;
    std::size_t Sequence = 0;
    std::string Path;
};
CreatedSlot CreateFirstFreeSlot(platform::TLockedFile& file, const std::string& finalPath) {
    const std::string folder = FolderOf(finalPath);
    const std::string name = NameOf(finalPath);
    CreatedSlot slot;
    for (; slot.Sequence < kLetterCount; ++slot.Sequence) {
        slot.Path = JoinPath(folder, TemporaryName(name, slot.Sequence));
        slot.Error = file.CreateNew(slot.Path);
        if (slot.Error != EEXIST) return slot;
    }
    return slot;
}

[[noreturn]] void ThrowSystemError(const char* firstLine, int errorNumber,
                                   const std::string& path) {
    throw TEngineError(firstLine, 0, SystemErrorText(errorNumber), path);
}

}  // namespace

void CheckDestination(const std::string& finalPath) {
    const std::string folder = FolderOf(finalPath);
    if (NameOf(finalPath).size() > platform::MaxFileNameLength(folder))
        ThrowSystemError(kOpenError, ENAMETOOLONG, finalPath);
    if (platform::IsWriteProtected(finalPath)) {
        throw TEngineError(kOpenError, 0, "The existing file is write-protected", finalPath);
    }
}

TTemporaryOutputFile::TTemporaryOutputFile(const std::string& finalPath) : FinalPath(finalPath) {
    CheckDestination(finalPath);
    const CreatedSlot slot = CreateFirstFreeSlot(File, finalPath);
    if (slot.Error != 0) ThrowSystemError(kOpenError, slot.Error, finalPath);
    TemporaryPath = slot.Path;
}

TOutputNameClaim::TOutputNameClaim(const std::string& finalPath) {
    const CreatedSlot slot = CreateFirstFreeSlot(File, finalPath);
    if (slot.Error != 0) return;
    ClaimPath = slot.Path;
    const std::string folder = FolderOf(finalPath);
    for (std::size_t earlier = 0; earlier < slot.Sequence && Held; ++earlier) {
        if (platform::IsHeld(JoinPath(folder, TemporaryName(NameOf(finalPath), earlier)))) {
            Held = false;
        }
    }
}

TOutputNameClaim::~TOutputNameClaim() {
    if (!ClaimPath.empty()) platform::RemoveFile(ClaimPath);
}

TTemporaryOutputFile::~TTemporaryOutputFile() {
    if (!TemporaryPath.empty()) platform::RemoveFile(TemporaryPath);
}

void TTemporaryOutputFile::Commit() {
    // Checked again: the file may have been protected while the clip converted.
    if (platform::IsWriteProtected(FinalPath)) {
        throw TEngineError(kReplaceError, 0, "The existing file is write-protected", FinalPath);
    }
    // The data reaches the disk before the name does, and the name after the
    // rename: after a power cut the final name holds the whole output or
    // the earlier file, never an empty one.
    if (const int error = File.Sync(); error != 0)
        ThrowSystemError(kReplaceError, error, FinalPath);
    if (const int error = platform::ReplacingRename(TemporaryPath, FinalPath); error != 0) {
        ThrowSystemError(kReplaceError, error, FinalPath);
    }
    platform::SyncFolder(FolderOf(FinalPath));
    TemporaryPath.clear();
    File.Close();
}

bool IsTemporaryFileName(std::string_view name) {
    if (name.size() != kPrefix.size() + kRandomLength + kSuffix.size()) return false;
    if (name.substr(0, kPrefix.size()) != kPrefix) return false;
    if (name.substr(name.size() - kSuffix.size()) != kSuffix) return false;
    for (const char c : name.substr(kPrefix.size(), kRandomLength)) {
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return false;
    }
    return true;
}

bool IsBeingWritten(const std::string& finalPath) {
    const std::string folder = FolderOf(finalPath);
    for (std::size_t sequence = 0; sequence < kLetterCount; ++sequence) {
        if (platform::IsHeld(JoinPath(folder, TemporaryName(NameOf(finalPath), sequence)))) {
            return true;
        }
    }
    return false;
}

int RemoveStaleTemporaryFiles(const std::string& folder) {
    return platform::RemoveUnheldFiles(folder, IsTemporaryFileName);
}
