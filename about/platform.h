#pragma once

// Everything the system-information launcher asks of the operating system: three registry calls,
// the text conversion at the registry's edge, a file test, a program start and a message box.
// One implementation per system (platform_win.cpp, platform_posix.cpp, picked by CMake); tests use
// a fake. Standard C++ only.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace velbrin::about {

// A run-time error of the launcher: a system call that failed, or data it cannot take.
class RunTimeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An open registry key; 0 is the null handle.
using KeyHandle = std::uintptr_t;

// The result of a registry call: 0 on success, otherwise a Windows system error code.
using RegistryStatus = std::int32_t;
inline constexpr RegistryStatus kSuccess = 0;
inline constexpr RegistryStatus kFileNotFound = 2;
inline constexpr RegistryStatus kAccessDenied = 5;
inline constexpr RegistryStatus kInvalidHandle = 6;
inline constexpr RegistryStatus kMoreData = 234;

inline constexpr std::uint32_t kLocalMachine = 0x80000002; // HKEY_LOCAL_MACHINE
inline constexpr std::uint32_t kKeyRead = 0x20019; // read control, query, enumerate, notify

// Registry value types the launcher converts; every other type is read but left alone.
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegDword = 4;

// A value is read into exactly this much room; larger values are never read.
using ValueBuffer = std::array<unsigned char, 1024>;

class Platform {
public:
    virtual ~Platform() = default;

    // Opens the key `path` (UTF-8) below the root key `root` with the access rights `access`.
    // On success sets `key` and returns 0; otherwise returns the failure and leaves `key` alone.
    virtual RegistryStatus openKey(std::uint32_t root, std::string_view path, std::uint32_t access,
        KeyHandle& key)
        = 0;

    // Reads the value `name` (UTF-8) of an open key into `data`. `length` comes in as the room to
    // use and goes out as the size of the data; text data (type 1) comes as the bytes the registry
    // keeps, terminating zero included. A value larger than the room gives kMoreData, with `length`
    // set to the size needed.
    virtual RegistryStatus queryValue(KeyHandle key, std::string_view name, std::uint32_t& type,
        ValueBuffer& data, std::uint32_t& length)
        = 0;

    // Closes a key. Closing the null handle does no harm; nothing is reported.
    virtual void closeKey(KeyHandle key) noexcept = 0;

    // Text data of queryValue as UTF-8. On Windows the registry hands text out in the ANSI code
    // page (936 on a Chinese system); zero bytes inside the text are kept.
    virtual std::string decodeText(std::string_view registryBytes) = 0;

    // True for an ordinary file at `path`: not a directory, not hidden, not a system file.
    // Throws RunTimeError for a path the system rejects.
    virtual bool isRegularFile(std::string_view path) = 0;

    // Starts the program at `path` in a normal window with the focus and returns without waiting
    // for it. The path names the program file itself and is never parsed as a command line.
    // Throws RunTimeError when the program cannot be started.
    virtual void startProgram(std::string_view path) = 0;

    // Shows `text` in a modal message box with an OK button only and no icon, titled `title`, and
    // returns when the user has dismissed it.
    virtual void showMessage(std::string_view text, std::string_view title) = 0;
};

// The message box as the windowing layer shows it (text, title; both UTF-8).
using MessageBoxFunction = std::function<void(std::string_view text, std::string_view title)>;

// The platform of the system this program was built for. `showMessage` is the message box on every
// system, so it looks and behaves the same everywhere (the about window passes a QMessageBox); it
// must not be empty (std::invalid_argument).
std::unique_ptr<Platform> makeSystemPlatform(MessageBoxFunction showMessage);

} // namespace velbrin::about
