#pragma once

// Windows only: what the Win32 files of the core share. Text crosses into
// Win32 as UTF-16 and comes back as UTF-8; Win32 errors become errno values
// (whose texts read as on Linux) or the system's own words.

#include <string>
#include <string_view>
#include <windows.h>

// The core's own ReplaceFile (sys/FileIo.h) and LoadString (res/StringTable.h),
// not the macros for ReplaceFileW and LoadStringW.
#undef ReplaceFile
#undef LoadString

namespace tessel::sys::win32 {

// UTF-8 to UTF-16 and back; a byte that is no UTF-8 becomes U+FFFD.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

// The errno value closest to a Win32 error (EIO when none is close).
int ErrnoFrom(DWORD error);
// The system's text for a Win32 error, in the user's language, without the
// final full stop and line end; "error N" when the system has none.
std::string SystemMessage(DWORD error);

} // namespace tessel::sys::win32
