#include "LockedFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <memory>

namespace platform {

namespace {

struct TDirectoryCloser {
    void operator()(DIR* directory) const { closedir(directory); }
};

// Removes the named file of the folder when nobody holds its lock.
bool RemoveIfUnheld(int folderDescriptor, const char* name) {
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

TLockedFile::~TLockedFile() {
    Close();
}

int TLockedFile::CreateNew(const std::string& path) {
    Close();
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return errno;
    // Another run's clean-up may have taken the new file for a stale one
    // between its creation and the lock; then it has no name any more.
    struct stat status = {};
    if (flock(fd, LOCK_EX) == 0 && fstat(fd, &status) == 0 && status.st_nlink > 0) {
        Handle = fd;
        return 0;
    }
    close(fd);
    return EEXIST;
}

int TLockedFile::Sync() {
    if (Handle == kNoHandle) return EBADF;
    return fsync(static_cast<int>(Handle)) == 0 ? 0 : errno;
}

void TLockedFile::Close() {
    if (Handle != kNoHandle) close(static_cast<int>(Handle));
    Handle = kNoHandle;
}

int RemoveUnheldFiles(const std::string& folder,
                      const std::function<bool(std::string_view)>& nameMatches) {
    const std::unique_ptr<DIR, TDirectoryCloser> directory(opendir(folder.c_str()));
    if (!directory) return 0;
    const int folderDescriptor = dirfd(directory.get());
    int removed = 0;
    while (const dirent* entry = readdir(directory.get())) {
        if (nameMatches(entry->d_name) && RemoveIfUnheld(folderDescriptor, entry->d_name)) {
            ++removed;
        }
    }
    return removed;
}

int ReplacingRename(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

bool IsHeld(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    const bool held = flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    close(fd);
    return held;
}

int SyncFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    const int error = fsync(fd) == 0 ? 0 : errno;
    close(fd);
    return error == EINVAL || error == EROFS ? 0 : error;
}

void IgnoreFileSizeLimitSignal() {
    std::signal(SIGXFSZ, SIG_IGN);
}

int RemoveFile(const std::string& path) {
    return unlink(path.c_str()) == 0 ? 0 : errno;
}

bool IsWriteProtected(const std::string& path) {
    struct stat status = {};
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
           (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

std::size_t MaxFileNameLength(const std::string& folder) {
    errno = 0;
    const long nameMax = pathconf(folder.c_str(), _PC_NAME_MAX);
    return nameMax > 0 ? static_cast<std::size_t>(nameMax) : 255;
}

}  // namespace platform
