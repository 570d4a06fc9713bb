#pragma once

// The Windows platform file's text conversion at the registry's edge, open to its tests.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX 1
#endif
#include <windows.h>

#include <string>
#include <string_view>

namespace velbrin::about {

using WideCharToMultiByteFunction = decltype(&WideCharToMultiByte);

// `wide` in the code page `codePage`, a code page's number (GetACP() for the ANSI code page).
// Where the code page lets WideCharToMultiByte report characters it lacks (936 does), such a
// character is a RunTimeError, never a "?" that would name another key. UTF-8, GB18030, UTF-7
// and the other code pages that take neither flags nor that report get neither: the call would
// fail. `convert` is the system's WideCharToMultiByte, or a stand-in in tests.
std::string narrowFrom(std::wstring_view wide, UINT codePage,
    WideCharToMultiByteFunction convert = WideCharToMultiByte);

} // namespace velbrin::about
