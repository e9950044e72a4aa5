#include "TemporaryOutput.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <memory>

#include "EngineError.h"
#include "LocalMedia.h"

namespace {

constexpr std::string_view kPrefix = ".k3gp-";
constexpr std::string_view kSuffix = ".part";
constexpr std::size_t kRandomLength = 6;
constexpr char kOpenError[] = "Could not open destination file";
constexpr char kReplaceError[] = "Could not replace destination file\n";

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '/') return folder + name;
    return folder + '/' + name;
}

std::string RandomName() {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string name(kPrefix);
    for (std::size_t i = 0; i < kRandomLength; ++i) {
        name +=
            kLetters[QRandomGenerator::global()->bounded(static_cast<int>(sizeof kLetters - 1))];
    }
    name += kSuffix;
    return name;
}

[[noreturn]] void ThrowSystemError(const char* firstLine, int errorNumber,
                                   const std::string& path) {
    throw EngineError(firstLine, 0, SystemErrorText(errorNumber), path);
}

// An existing file that grants no write permission to anyone.
bool IsWriteProtected(const std::string& path) {
    struct stat status = {};
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
           (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

struct DirectoryCloser {
    void operator()(DIR* directory) const { closedir(directory); }
};

// Removes the file at path when it is a temporary file that nobody holds.
bool RemoveIfStale(int folderDescriptor, const char* name) {
    const int fd = openat(folderDescriptor, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    bool removed = false;
    struct stat opened = {};
    struct stat named = {};
    // The lock is kept while the name is removed, so a writer that takes it
    // after this sees its file gone (no links left) and starts another one.
    if (fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        fstatat(folderDescriptor, name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        named.st_dev == opened.st_dev && named.st_ino == opened.st_ino) {
        removed = unlinkat(folderDescriptor, name, 0) == 0;
    }
    close(fd);
    return removed;
}

}  // namespace

void CheckDestination(const std::string& finalPath) {
    const std::string folder = FolderOf(finalPath);
    errno = 0;
    const long nameMax = pathconf(folder.c_str(), _PC_NAME_MAX);
    const std::size_t limit = nameMax > 0 ? static_cast<std::size_t>(nameMax) : 255;
    if (NameOf(finalPath).size() > limit) ThrowSystemError(kOpenError, ENAMETOOLONG, finalPath);
    if (IsWriteProtected(finalPath)) {
        throw EngineError(kOpenError, 0, "The existing file is write-protected", finalPath);
    }
}

TemporaryOutputFile::TemporaryOutputFile(const std::string& finalPath) : FinalPath(finalPath) {
    CheckDestination(finalPath);
    const std::string folder = FolderOf(finalPath);
    for (int attempt = 0; attempt < 32; ++attempt) {
        const std::string path = JoinPath(folder, RandomName());
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            ThrowSystemError(kOpenError, errno, finalPath);
        }
        // Another run's clean-up may have taken the new file for a stale one
        // between its creation and the lock; then it has no name any more.
        struct stat status = {};
        if (flock(fd, LOCK_EX) == 0 && fstat(fd, &status) == 0 && status.st_nlink > 0) {
            TemporaryPath = path;
            Descriptor = fd;
            return;
        }
        close(fd);
    }
    ThrowSystemError(kOpenError, EEXIST, finalPath);
}

TemporaryOutputFile::~TemporaryOutputFile() {
    if (!TemporaryPath.empty()) unlink(TemporaryPath.c_str());
    Release();
}

void TemporaryOutputFile::Commit() {
    // Checked again: the file may have been protected while the clip converted.
    if (IsWriteProtected(FinalPath)) {
        throw EngineError(kReplaceError, 0, "The existing file is write-protected", FinalPath);
    }
    if (std::rename(TemporaryPath.c_str(), FinalPath.c_str()) != 0) {
        ThrowSystemError(kReplaceError, errno, FinalPath);
    }
    TemporaryPath.clear();
    Release();
}

void TemporaryOutputFile::Release() {
    if (Descriptor >= 0) close(Descriptor);
    Descriptor = -1;
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

int RemoveStaleTemporaryFiles(const std::string& folder) {
    const std::unique_ptr<DIR, DirectoryCloser> directory(opendir(folder.c_str()));
    if (!directory) return 0;
    const int folderDescriptor = dirfd(directory.get());
    int removed = 0;
    while (const dirent* entry = readdir(directory.get())) {
        if (IsTemporaryFileName(entry->d_name) && RemoveIfStale(folderDescriptor, entry->d_name)) {
            ++removed;
        }
    }
    return removed;
}
