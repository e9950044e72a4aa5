// Windows locks are mandatory, and the media library writes the file through
// a handle of its own, so the lock is a byte-range lock (LockFileEx) on one
// byte far past any data; it goes away with the handle, or with the process
// however it ends. The files are shared for reading, writing and deleting so
// that the library can open the file again and the finished file can be
// renamed while it is still held.
#include "LockedFile.h"

#include <windows.h>

#include <cerrno>

#include "WindowsText.h"

namespace platform {

namespace {

constexpr DWORD kLockOffsetHigh = 0x7FFFFFFF;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool Lock(HANDLE file, DWORD flags) {
    OVERLAPPED where = {};
    where.OffsetHigh = kLockOffsetHigh;
    return LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | flags, 0, 1, 0, &where) != 0;
}

int LastErrno() {
    return ErrnoFromWindowsError(GetLastError());
}

std::string JoinName(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '\\' || folder.back() == '/') return folder + name;
    return folder + '\\' + name;
}

// Removes the file when it is a regular file whose lock nobody holds.
bool RemoveIfUnheld(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | DELETE, kShareAll, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool removed = false;
    // The lock is kept while the file is marked for deletion, so a writer
    // that takes it after this sees the deletion pending and starts another.
    if (GetFileType(file) == FILE_TYPE_DISK && Lock(file, LOCKFILE_FAIL_IMMEDIATELY)) {
        FILE_DISPOSITION_INFO disposition = {};
        disposition.DeleteFile = TRUE;
        removed = SetFileInformationByHandle(file, FileDispositionInfo, &disposition,
                                             sizeof disposition) != 0;
    }
    CloseHandle(file);
    return removed;
}

}  // namespace

TLockedFile::~TLockedFile() {
    Close();
}

int TLockedFile::CreateNew(const std::string& path) {
    Close();
    HANDLE file = CreateFileW(WindowsPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll,
                              nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return LastErrno();
    // Another run's clean-up may have taken the new file for a stale one
    // between its creation and the lock; then its deletion is pending.
    FILE_STANDARD_INFO status = {};
    if (Lock(file, 0) &&
        GetFileInformationByHandleEx(file, FileStandardInfo, &status, sizeof status) &&
        !status.DeletePending) {
        Handle = reinterpret_cast<std::intptr_t>(file);
        return 0;
    }
    CloseHandle(file);
    return EEXIST;
}

void TLockedFile::Close() {
    if (Handle != kNoHandle) CloseHandle(reinterpret_cast<HANDLE>(Handle));
    Handle = kNoHandle;
}

int RemoveUnheldFiles(const std::string& folder,
                      const std::function<bool(std::string_view)>& nameMatches) {
    WIN32_FIND_DATAW entry = {};
    HANDLE search = FindFirstFileExW(WindowsPath(JoinName(folder, "*")).c_str(), FindExInfoBasic,
                                     &entry, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int removed = 0;
    do {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const std::string name = Utf8FromWide(entry.cFileName);
        if (nameMatches(name) && RemoveIfUnheld(WindowsPath(JoinName(folder, name)))) ++removed;
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return removed;
}

int ReplacingRename(const std::string& from, const std::string& to) {
    // A read-only file of the final name is not replaced. Windows' MoveFileExW
    // refuses by itself; Wine's replaces it, so it is asked here first.
    if (IsWriteProtected(to)) return EACCES;
    if (MoveFileExW(WindowsPath(from).c_str(), WindowsPath(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING)) {
        return 0;
    }
    return LastErrno();
}

int RemoveFile(const std::string& path) {
    return DeleteFileW(WindowsPath(path).c_str()) ? 0 : LastErrno();
}

bool IsWriteProtected(const std::string& path) {
    // The read-only attribute is Windows' write protection.
    const DWORD attributes = GetFileAttributesW(WindowsPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           (attributes & FILE_ATTRIBUTE_READONLY);
}

std::size_t MaxFileNameLength(const std::string& folder) {
    wchar_t volume[MAX_PATH + 1] = {};
    DWORD longest = 0;
    if (GetVolumePathNameW(WindowsPath(folder).c_str(), volume, MAX_PATH) &&
        GetVolumeInformationW(volume, nullptr, 0, nullptr, &longest, nullptr, nullptr, 0) &&
        longest > 0) {
        return longest;
    }
    return 255;
}

}  // namespace platform
