// The launcher's platform on Windows: the registry through advapi32's ANSI entry points, the file
// test through GetFileAttributesW and the program start through CreateProcessW. Texts are UTF-8 on
// our side; they cross the registry in the ANSI code page and the other calls in UTF-16.

#include "about/platform_win.h"

#include "about/platform.h"

#include <algorithm>
#include <climits>
#include <iterator>
#include <string>
#include <utility>

namespace velbrin::about {

namespace {

using RegOpenKeyExAFunction = LONG(WINAPI*)(HKEY, LPCSTR, DWORD, REGSAM, PHKEY);
using RegQueryValueExAFunction = LONG(WINAPI*)(HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD);
using RegCloseKeyFunction = LONG(WINAPI*)(HKEY);

struct Advapi32 {
    RegOpenKeyExAFunction openKey;
    RegQueryValueExAFunction queryValue;
    RegCloseKeyFunction closeKey;
};

[[noreturn]] void failWith(std::string_view what, DWORD error)
{
    throw RunTimeError(std::string(what) + " failed with system error " + std::to_string(error));
}

template<class Function>
Function entryPoint(HMODULE library, const char* name)
{
    const FARPROC address = GetProcAddress(library, name);
    if (!address)
        failWith(name, GetLastError());
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

Advapi32 loadAdvapi32()
{
    // From the system folder only, so no advapi32.dll lying next to the program is picked up.
    const HMODULE library = LoadLibraryExW(L"advapi32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!library)
        failWith("loading advapi32", GetLastError());
    return { entryPoint<RegOpenKeyExAFunction>(library, "RegOpenKeyExA"),
        entryPoint<RegQueryValueExAFunction>(library, "RegQueryValueExA"),
        entryPoint<RegCloseKeyFunction>(library, "RegCloseKey") };
}

// Loaded at the first registry call and kept for the life of the process; a load that failed is
// tried again at the next call.
const Advapi32& advapi32()
{
    static const Advapi32 functions = loadAdvapi32();
    return functions;
}

// Root keys are 32-bit values sign-extended to a handle: 0x80000002 is 0xFFFFFFFF80000002 on
// 64-bit Windows.
HKEY rootKey(std::uint32_t root)
{
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
}

HKEY toHkey(KeyHandle key) { return reinterpret_cast<HKEY>(key); }

int checkedLength(std::size_t size)
{
    if (size > INT_MAX)
        throw RunTimeError("text too long for the system");
    return static_cast<int>(size);
}

// The system takes zero-terminated names; a zero byte inside would silently name something else.
std::string_view withoutZeroBytes(std::string_view text, std::string_view what)
{
    if (text.find('\0') != std::string_view::npos)
        throw RunTimeError(std::string(what) + ": the text holds a zero byte");
    return text;
}

std::wstring wideFrom(UINT codePage, DWORD flags, std::string_view text)
{
    if (text.empty())
        return {};
    const int length = checkedLength(text.size());
    const int wideLength = MultiByteToWideChar(codePage, flags, text.data(), length, nullptr, 0);
    if (wideLength == 0)
        failWith("MultiByteToWideChar", GetLastError());
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(codePage, flags, text.data(), length, wide.data(), wideLength);
    return wide;
}

// WideCharToMultiByte takes neither flags nor a used-default flag for these code pages: given
// either, the call fails. UTF-8 is among them, and Windows 10 and 11 can make it the ANSI code
// page (a setting under Region that Chinese users turn on).
bool takesNoFlags(UINT codePage)
{
    constexpr UINT noFlags[] = { 50220, 50221, 50222, 50225, 50227, 50229, 54936, 65000, CP_UTF8 };
    return std::find(std::begin(noFlags), std::end(noFlags), codePage) != std::end(noFlags)
        || (codePage >= 57002 && codePage <= 57011);
}

std::wstring wideFromUtf8(std::string_view text, std::string_view what)
{
    return wideFrom(CP_UTF8, MB_ERR_INVALID_CHARS, withoutZeroBytes(text, what));
}

// By the ANSI code page's number: CP_ACP would hide which rules the conversion must follow.
std::string ansiFromUtf8(std::string_view text, std::string_view what)
{
    return narrowFrom(wideFromUtf8(text, what), GetACP());
}

class WindowsPlatform final : public Platform {
public:
    explicit WindowsPlatform(MessageBoxFunction showMessage)
        : m_showMessage(std::move(showMessage))
    {
    }

    RegistryStatus openKey(std::uint32_t root, std::string_view path, std::uint32_t access,
        KeyHandle& key) override
    {
        const std::string ansiPath = ansiFromUtf8(path, "key path");
        HKEY opened = nullptr;
        const LONG status = registry().openKey(rootKey(root), ansiPath.c_str(), 0, access, &opened);
        if (status == ERROR_SUCCESS)
            key = reinterpret_cast<KeyHandle>(opened);
        return status;
    }

    RegistryStatus queryValue(KeyHandle key, std::string_view name, std::uint32_t& type,
        ValueBuffer& data, std::uint32_t& length) override
    {
        const std::string ansiName = ansiFromUtf8(name, "value name");
        DWORD valueType = 0;
        DWORD size = std::min<DWORD>(length, static_cast<DWORD>(data.size()));
        const LONG status = registry().queryValue(
            toHkey(key), ansiName.c_str(), nullptr, &valueType, data.data(), &size);
        type = valueType;
        length = size;
        return status;
    }

    void closeKey(KeyHandle key) noexcept override
    {
        // A key can be open only once advapi32 has loaded; before that there is nothing to close,
        // not even the null handle.
        if (m_registry)
            m_registry->closeKey(toHkey(key));
    }

    std::string decodeText(std::string_view registryBytes) override
    {
        return narrowFrom(wideFrom(CP_ACP, 0, registryBytes), CP_UTF8);
    }

    // A missing file or folder is "no file"; any other failure (a malformed name, a path too long,
    // access denied) means the system rejected the path.
    bool isRegularFile(std::string_view path) override
    {
        const std::wstring file = wideFromUtf8(path, "file test");
        const DWORD attributes = GetFileAttributesW(file.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
                return false;
            failWith("GetFileAttributesW", error);
        }
        constexpr DWORD notOrdinary = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN
            | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DEVICE;
        return (attributes & notOrdinary) == 0;
    }

    void startProgram(std::string_view path) override
    {
        const std::wstring program = wideFromUtf8(path, "program start");
        if (program.empty())
            throw RunTimeError("program start: no program named");
        // The application name alone decides which file runs, so "C:\Program Files\x.exe" can never
        // start "C:\Program.exe". The command line only gives the program its own name, quoted, as
        // its one argument.
        std::wstring commandLine = L"\"" + program + L"\"";
        STARTUPINFOW startup {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWNORMAL;
        PROCESS_INFORMATION process {};
        if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                nullptr, nullptr, &startup, &process))
            failWith("CreateProcessW", GetLastError());
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }

    void showMessage(std::string_view text, std::string_view title) override
    {
        m_showMessage(text, title);
    }

private:
    const Advapi32& registry()
    {
        if (!m_registry)
            m_registry = &advapi32();
        return *m_registry;
    }

    MessageBoxFunction m_showMessage;
    const Advapi32* m_registry = nullptr;
};

} // namespace

std::string narrowFrom(std::wstring_view wide, UINT codePage, WideCharToMultiByteFunction convert)
{
    if (wide.empty())
        return {};
    const int length = checkedLength(wide.size());
    // Characters the code page lacks must fail, not turn into "?" and name another key. The code
    // pages that take no flags cannot report them; UTF-8 and GB18030 lack none.
    BOOL usedDefault = FALSE;
    const bool exact = !takesNoFlags(codePage);
    const DWORD flags = exact ? WC_NO_BEST_FIT_CHARS : 0;
    BOOL* const defaultUsed = exact ? &usedDefault : nullptr;
    const int narrowLength
        = convert(codePage, flags, wide.data(), length, nullptr, 0, nullptr, defaultUsed);
    if (narrowLength == 0)
        failWith("WideCharToMultiByte", GetLastError());
    if (usedDefault)
        throw RunTimeError("the name has characters the ANSI code page lacks");
    std::string narrow(static_cast<std::size_t>(narrowLength), '\0');
    convert(codePage, flags, wide.data(), length, narrow.data(), narrowLength, nullptr, nullptr);
    return narrow;
}

std::unique_ptr<Platform> makeSystemPlatform(MessageBoxFunction showMessage)
{
    if (!showMessage)
        throw std::invalid_argument("makeSystemPlatform needs a message box");
    return std::make_unique<WindowsPlatform>(std::move(showMessage));
}

} // namespace velbrin::about
