// Files that one process holds while it writes them, and the system calls
// around them. Errors are errno numbers (<cerrno>), on every system, so that
// callers can turn them into the same texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace platform {

// A file this process created and holds under an exclusive lock until it is
// closed (or the process ends, however it ends). Another process can tell
// such a file from one nobody holds (see RemoveUnheldFiles).
class TLockedFile {
public:
    TLockedFile() = default;
    ~TLockedFile();
    TLockedFile(const TLockedFile&) = delete;
    TLockedFile& operator=(const TLockedFile&) = delete;

    // Creates the file at path, which must not exist yet, and takes its lock.
    // Returns 0, or the errno number of the failure: EEXIST when the name is
    // taken, also when another process's clean-up removed the new file before
    // its lock was taken (the caller then tries another name).
    int CreateNew(const std::string& path);
    bool IsOpen() const { return Handle != kNoHandle; }
    // Closes the file, which releases the lock. Nothing happens when not open.
    void Close();

private:
    static constexpr std::intptr_t kNoHandle = -1;
    std::intptr_t Handle = kNoHandle;  // the system's descriptor or handle
};

// Removes the files of the folder whose name passes nameMatches and whose lock
// nobody holds (left by a process that was killed); files being written stay.
// Returns how many were removed.
int RemoveUnheldFiles(const std::string& folder,
                      const std::function<bool(std::string_view)>& nameMatches);

// Gives the file at from the name to, replacing a file of that name. Returns
// 0 or the errno number of the failure.
int ReplacingRename(const std::string& from, const std::string& to);

// Removes a file. Returns 0 or the errno number of the failure.
int RemoveFile(const std::string& path);

// True for an existing regular file whose permission bits let nobody write
// to it.
bool IsWriteProtected(const std::string& path);

// The longest file name the folder's file system takes (255 when it does not
// say).
std::size_t MaxFileNameLength(const std::string& folder);

}  // namespace platform
