#pragma once

// The system-information launcher behind the about window's button `cmdSysInfo`: finds the
// system's information tool through the registry and starts it, or tells the user in one message
// box that it cannot. It reaches the system only through Platform; standard C++ only.

#include "about/platform.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace velbrin::about {

inline constexpr std::string_view kProgramTitle = "velbrin";
inline constexpr std::string_view kUnavailableMessage = "此时系统信息不可用";

struct RegistryLocation {
    std::string_view key;
    std::string_view value;
};

// Where the tool is looked for, in this order, below HKEY_LOCAL_MACHINE: first its full path,
// then the folder that holds MSINFO32.EXE.
inline constexpr RegistryLocation kToolPathLocation { "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO",
    "PATH" };
inline constexpr RegistryLocation kToolFolderLocation {
    "SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO"
};

// Reads the value `SubKeyRef` of the key `KeyName` below the root key `KeyRoot` into `KeyVal`.
// The key is opened read-only (kKeyRead) and closed again on every way out. Of the data, one
// trailing zero byte is dropped (earlier zero bytes stay); then text (type 1) is decoded to UTF-8,
// a number (type 4) is written as "&h" and two upper-case hex digits per byte from the last byte
// to the first, and any other type leaves `KeyVal` as it was passed.
//
//   type 1, "C:\T\msinfo32.exe" 00            -> true, "C:\T\msinfo32.exe"
//   type 1, "abc" (no zero byte)              -> true, "abc"
//   type 1, "a" 00 "b" 00                     -> true, "a" 00 "b"
//   type 1, 00                                -> true, ""
//   type 4, 05 01 00 00                       -> true, "&h000105"
//   type 4, 4D 3C 2B 1A                       -> true, "&h1A2B3C4D"
//   type 2 or 3, KeyVal "abc"                 -> true, "abc"
//   key or value missing, 1025 bytes of data -> false, ""
//   no data at all (length 0)                 -> throws RunTimeError (the key closed first)
bool GetKeyValue(Platform& platform, std::uint32_t KeyRoot, std::string_view KeyName,
    std::string_view SubKeyRef, std::string& KeyVal);

// Starts the system-information tool: the path in kToolPathLocation as it stands, else the folder
// in kToolFolderLocation with "\MSINFO32.EXE" appended, if that file exists. When neither gives a
// tool, or anything fails on the way, shows kUnavailableMessage titled kProgramTitle instead.
// Nothing is passed back; the reason of a failure is not shown.
//
//   PATH "C:\T\msinfo32.exe"                  -> starts "C:\T\msinfo32.exe", MSINFO not read
//   PATH missing, MSINFO "C:\M"               -> tests and starts "C:\M\MSINFO32.EXE"
//   PATH missing, MSINFO "C:\M\"              -> tests and starts "C:\M\\MSINFO32.EXE"
//   PATH "" (a single zero byte)              -> the start fails: the message, MSINFO not read
//   PATH with no data, or both missing        -> the message, nothing started
void StartSysInfo(Platform& platform);

} // namespace velbrin::about
