// Text at the Windows boundary: the program keeps names as UTF-8 (what the
// media library takes on Windows) and calls the wide-character functions.
#pragma once

#include <string>

namespace platform {

std::wstring WideFromUtf8(const std::string& text);
std::string Utf8FromWide(const std::wstring& text);
// A file name for the wide file calls: "/" becomes "\\", and a full name
// longer than MAX_PATH gets the "\\?\" prefix that lifts the limit.
std::wstring WindowsPath(const std::string& path);

// The errno number closest to a GetLastError() code (EIO for the others), so
// that callers give the same texts as on Linux.
int ErrnoFromWindowsError(unsigned long code);

// The system's text for a GetLastError() code, without the trailing period
// and line end.
std::string WindowsErrorText(unsigned long code);

}  // namespace platform
