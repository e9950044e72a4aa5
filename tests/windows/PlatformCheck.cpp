// The Windows side of platform/ on a real file system, without Qt or the
// media libraries: scripts/windows/test.sh builds it with mingw-w64 and runs
// it under Wine (it needs none of the cached libraries). The locks, the
// clean-up across two processes, the replacing rename and the read-only
// attribute, non-ASCII and overlong names, file kinds, and DLLs loaded by
// bare name from the program's folder.
// Usage: PlatformCheck.exe <empty Windows folder>
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "FileKind.h"
#include "LockedFile.h"
#include "SharedLibrary.h"
#include "WindowsText.h"

static int failures = 0;
#define CHECK(x)                          \
    do {                                  \
        if (x)                            \
            std::printf("ok   %s\n", #x); \
        else {                            \
            std::printf("FAIL %s\n", #x); \
            ++failures;                   \
        }                                 \
    } while (0)

int main(int argc, char** argv) {
    const std::string dir = argv[1];  // a Windows folder, UTF-8
    if (argc > 2 && std::string(argv[2]) == "hold") {
        platform::TLockedFile f;
        std::printf("hold create=%d\n", f.CreateNew(dir + "\\.k3gp-child1.part"));
        std::fflush(stdout);
        Sleep(4000);
        return 0;
    }
    const std::string held = dir + "\\.k3gp-held00.part";
    const std::string stale = dir + "\\.k3gp-stale0.part";
    const std::string other = dir +
                              "\\M\xc3\xbc"
                              "ller \xe2\x80\x93 \xc3\x9c"
                              "n\xc3\xaf"
                              "code.3gp";
    platform::TLockedFile h;
    CHECK(h.CreateNew(held) == 0);
    CHECK(h.IsOpen());
    platform::TLockedFile again;
    CHECK(again.CreateNew(held) == EEXIST);
    {
        platform::TLockedFile s;
        CHECK(s.CreateNew(stale) == 0);
    }  // closed: unheld
    // The library writes through a handle of its own while the lock is held.
    FILE* w = _wfopen(platform::WindowsPath(held).c_str(), L"wb");
    CHECK(w != nullptr);
    if (w) {
        CHECK(std::fwrite("data", 1, 4, w) == 4);
        CHECK(std::fclose(w) == 0);
    }
    // Another process's held file stays too.
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string cmd = std::string("\"") + argv[0] + "\" \"" + dir + "\" hold";
    CHECK(CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                         &pi));
    Sleep(1500);
    const int removed = platform::RemoveUnheldFiles(
        dir, [](std::string_view n) { return n.rfind(".k3gp-", 0) == 0; });
    std::printf("removed=%d\n", removed);
    CHECK(removed == 1);
    CHECK(GetFileAttributesW(platform::WindowsPath(stale).c_str()) == INVALID_FILE_ATTRIBUTES);
    CHECK(GetFileAttributesW(platform::WindowsPath(held).c_str()) != INVALID_FILE_ATTRIBUTES);
    CHECK(GetFileAttributesW(platform::WindowsPath(dir + "\\.k3gp-child1.part").c_str()) !=
          INVALID_FILE_ATTRIBUTES);
    WaitForSingleObject(pi.hProcess, INFINITE);
    CHECK(platform::RemoveUnheldFiles(dir, [](std::string_view n) {
              return n.rfind(".k3gp-", 0) == 0;
          }) == 1);  // the child's, now unheld
    // Renamed while held, onto a non-ASCII name; replacing works, read-only is kept.
    CHECK(platform::ReplacingRename(held, other) == 0);
    h.Close();
    CHECK(GetFileAttributesW(platform::WindowsPath(other).c_str()) != INVALID_FILE_ATTRIBUTES);
    platform::TLockedFile n;
    CHECK(n.CreateNew(held) == 0);
    n.Close();
    CHECK(platform::ReplacingRename(held, other) == 0);
    CHECK(!platform::IsWriteProtected(other));
    SetFileAttributesW(platform::WindowsPath(other).c_str(), FILE_ATTRIBUTE_READONLY);
    CHECK(platform::IsWriteProtected(other));
    platform::TLockedFile m;
    CHECK(m.CreateNew(held) == 0);
    m.Close();
    const int refused = platform::ReplacingRename(held, other);
    std::printf("rename onto read-only: %d (%s)\n", refused, std::strerror(refused));
    CHECK(refused != 0);
    SetFileAttributesW(platform::WindowsPath(other).c_str(), FILE_ATTRIBUTE_NORMAL);
    CHECK(platform::RemoveFile(held) == 0);
    CHECK(platform::RemoveFile(held) == ENOENT);
    std::printf("max name=%zu\n", platform::MaxFileNameLength(dir));
    CHECK(platform::MaxFileNameLength(dir) >= 255);
    CHECK(platform::NotRegularFileKind(dir) == "a folder");
    CHECK(platform::NotRegularFileKind(other).empty());
    CHECK(platform::NotRegularFileKind(dir + "\\missing.avi").empty());
    std::printf("NUL kind: '%s'\n", platform::NotRegularFileKind("NUL").c_str());
    // A long full name (over MAX_PATH) through the \\?\ prefix.
    std::string longName = dir + "\\" + std::string(200, 'a') + "\\";
    CHECK(CreateDirectoryW(platform::WindowsPath(longName).c_str(), nullptr) != 0);
    platform::TLockedFile l;
    CHECK(l.CreateNew(longName + std::string(100, 'b') + ".part") == 0);
    l.Close();
    CHECK(platform::RemoveFile(longName + std::string(100, 'b') + ".part") == 0);
    // DLLs by bare name from the program's folder.
    void* lib = platform::LoadSharedLibrary("platformcheck-1.dll");
    CHECK(lib != nullptr);
    if (lib) {
        CHECK(platform::FindSymbol(lib, "answer") != nullptr);
        platform::FreeSharedLibrary(lib);
    }
    CHECK(platform::LoadSharedLibrary("missing-59.dll") == nullptr);
    CHECK(platform::SharedLibraryFileName("avcodec", 59) == "avcodec-59.dll");
    std::printf("%s: %d failures\n", failures ? "FAILED" : "PASSED", failures);
    return failures ? 1 : 0;
}
