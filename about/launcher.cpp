#include "about/launcher.h"

#include <exception>

namespace velbrin::about {

namespace {

constexpr std::string_view kToolFile = "\\MSINFO32.EXE";

// Closes the key on every way out of GetKeyValue, run-time errors included, with whatever handle
// the open left behind: closing the null handle is harmless.
class KeyCloser {
public:
    KeyCloser(Platform& platform, const KeyHandle& key)
        : m_platform(platform)
        , m_key(key)
    {
    }
    KeyCloser(const KeyCloser&) = delete;
    KeyCloser& operator=(const KeyCloser&) = delete;
    ~KeyCloser() { m_platform.closeKey(m_key); }

private:
    Platform& m_platform;
    const KeyHandle& m_key;
};

std::string hexFromLastByte(std::string_view bytes)
{
    constexpr std::string_view digits = "0123456789ABCDEF";
    std::string text = "&h";
    for (auto byte = bytes.rbegin(); byte != bytes.rend(); ++byte) {
        const auto value = static_cast<unsigned char>(*byte);
        text += digits[value >> 4];
        text += digits[value & 0x0F];
    }
    return text;
}

// False when neither location names a tool; the caller then shows the message.
bool startTool(Platform& platform)
{
    std::string toolPath;
    if (!GetKeyValue(platform, kLocalMachine, kToolPathLocation.key, kToolPathLocation.value,
            toolPath)) {
        if (!GetKeyValue(platform, kLocalMachine, kToolFolderLocation.key,
                kToolFolderLocation.value, toolPath))
            return false;
        // Appended as it stands: a folder given with a trailing "\" yields "\\MSINFO32.EXE".
        toolPath += kToolFile;
        if (!platform.isRegularFile(toolPath))
            return false;
    }
    platform.startProgram(toolPath);
    return true;
}

} // namespace

bool GetKeyValue(Platform& platform, std::uint32_t KeyRoot, std::string_view KeyName,
    std::string_view SubKeyRef, std::string& KeyVal)
{
    KeyHandle key = 0;
    const KeyCloser closer(platform, key);
    std::uint32_t type = 0;
    ValueBuffer data {};
    auto length = static_cast<std::uint32_t>(data.size());
    // Read-only access: asking for write rights as well would fail for every user without
    // administrator rights, although nothing is ever written.
    if (platform.openKey(KeyRoot, KeyName, kKeyRead, key) != kSuccess
        || platform.queryValue(key, SubKeyRef, type, data, length) != kSuccess) {
        KeyVal.clear();
        return false;
    }
    if (length == 0)
        throw RunTimeError("the registry value holds no data");
    if (length > data.size())
        throw RunTimeError("the registry reported more data than it had room for");

    std::string_view taken(reinterpret_cast<const char*>(data.data()), length);
    if (taken.back() == '\0')
        taken.remove_suffix(1);
    if (type == kRegSz)
        KeyVal = platform.decodeText(taken);
    else if (type == kRegDword)
        KeyVal = hexFromLastByte(taken);
    return true;
}

void StartSysInfo(Platform& platform)
{
    bool started = false;
    try {
        started = startTool(platform);
    } catch (const std::exception&) {
        // Whatever went wrong, the user learns only that the tool is unavailable.
    }
    if (!started)
        platform.showMessage(kUnavailableMessage, kProgramTitle);
}

} // namespace velbrin::about
