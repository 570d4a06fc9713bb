// The Windows platform file and the launcher, run under Wine against a real registry, file system
// and process start. The runner script gives this program a fresh prefix; the program creates the
// keys, values and files it reads itself. Prints one line per check; the exit status is the number
// of failed checks (100: the prefix could not be prepared).

#include "about/launcher.h"
#include "about/platform_win.h"

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX 1
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

using namespace velbrin::about;
using namespace std::string_literals;

namespace {

int failures = 0;

void check(bool passed, const std::string& what)
{
    std::printf("%s %s\n", passed ? "ok  " : "FAIL", what.c_str());
    std::fflush(stdout);
    failures += passed ? 0 : 1;
}

[[noreturn]] void cannotPrepare(const char* what)
{
    std::printf("cannot prepare the test: %s (error %lu)\n", what, GetLastError());
    std::exit(100);
}

constexpr const wchar_t* testKey = L"SOFTWARE\\velbrin test";
constexpr const wchar_t* toolKey = L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const wchar_t* folderKey = L"SOFTWARE\\Microsoft\\Shared Tools Location";
constexpr const wchar_t* probeFolder = L"C:\\velbrin 探针";
constexpr const wchar_t* filesFolder = L"C:\\velbrin files";

void setValue(const wchar_t* key, const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    HKEY opened = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened,
            nullptr)
            != ERROR_SUCCESS
        || RegSetValueExW(opened, name, 0, type, static_cast<const BYTE*>(data), size)
            != ERROR_SUCCESS)
        cannotPrepare("registry value");
    RegCloseKey(opened);
}

void setText(const wchar_t* key, const wchar_t* name, const std::wstring& text)
{
    setValue(key, name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * 2));
}

void deleteValue(const wchar_t* key, const wchar_t* name)
{
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_SET_VALUE, &opened) == ERROR_SUCCESS) {
        RegDeleteValueW(opened, name);
        RegCloseKey(opened);
    }
}

void makeFile(const std::wstring& file, DWORD attributes = FILE_ATTRIBUTE_NORMAL)
{
    const HANDLE created
        = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
    if (created == INVALID_HANDLE_VALUE)
        cannotPrepare("file");
    CloseHandle(created);
}

void copyProbe(const std::wstring& to)
{
    wchar_t self[MAX_PATH];
    std::wstring probe(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
    probe.replace(probe.rfind(L'\\') + 1, std::wstring::npos, L"wine_probe.exe");
    if (!CopyFileW(probe.c_str(), to.c_str(), FALSE))
        cannotPrepare("copy of the probe");
}

bool exists(const std::wstring& file)
{
    return GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The probe's marker, once it appears (within ten seconds), else "".
std::string waitForMarker(const std::wstring& program)
{
    const std::wstring marker = program + L".started";
    for (int i = 0; i < 200 && !exists(marker); ++i)
        Sleep(50);
    const HANDLE file = CreateFileW(marker.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
        OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    char text[16] = {};
    DWORD read = 0;
    ReadFile(file, text, sizeof text - 1, &read, nullptr);
    CloseHandle(file);
    DeleteFileW(marker.c_str());
    return std::string(text, read);
}

void readsTheRegistry(Platform& platform)
{
    setText(testKey, L"chinese", L"C:\\系统工具\\信息.exe");
    setText(testKey, L"limit", std::wstring(1023, L'x'));
    setValue(testKey, L"empty", REG_SZ, L"", 0);
    const std::string big(1025, 'b');
    setValue(testKey, L"big", REG_BINARY, big.data(), 1025);
    const DWORD number = 0x1A2B3C4D;
    setValue(testKey, L"dword", REG_DWORD, &number, sizeof number);
    setText(L"SOFTWARE\\velbrin test\\键", L"值", L"中文");

    check(GetACP() == 936, "the ANSI code page is 936 (" + std::to_string(GetACP()) + ")");

    struct Case {
        const char* key;
        const char* value;
        bool found;
        std::string text;
    };
    const Case cases[] = {
        { "SOFTWARE\\velbrin test", "chinese", true, "C:\\系统工具\\信息.exe" },
        { "SOFTWARE\\velbrin test\\键", "值", true, "中文" },
        { "SOFTWARE\\velbrin test", "limit", true, std::string(1023, 'x') },
        { "SOFTWARE\\velbrin test", "dword", true, "&h1A2B3C4D" },
        { "SOFTWARE\\velbrin test", "big", false, "" },
        { "SOFTWARE\\velbrin test", "missing", false, "" },
        { "SOFTWARE\\velbrin missing", "chinese", false, "" },
    };
    for (const Case& c : cases) {
        std::string text = "before";
        const bool found = GetKeyValue(platform, kLocalMachine, c.key, c.value, text);
        check(found == c.found && text == c.text,
            "GetKeyValue "s + c.key + " " + c.value + " -> " + (found ? "true " : "false ")
                + text.substr(0, 40));
    }

    KeyHandle key = 0;
    std::uint32_t type = 0;
    ValueBuffer data {};
    std::uint32_t length = 1024;
    const bool opened
        = platform.openKey(kLocalMachine, "SOFTWARE\\velbrin test", kKeyRead, key) == kSuccess;
    const RegistryStatus status = platform.queryValue(key, "big", type, data, length);
    platform.closeKey(key);
    check(opened && status == 234 && length == 1025,
        "1025 bytes: status " + std::to_string(status) + ", length " + std::to_string(length));

    bool threw = false;
    try {
        std::string text;
        GetKeyValue(platform, kLocalMachine, "SOFTWARE\\velbrin test", "empty", text);
    } catch (const RunTimeError&) {
        threw = true;
    }
    check(threw, "a value of length 0 is a run-time error");
}

// The flags of each call of WideCharToMultiByte, and whether it could report a default
// character. Wine holds to the documented rules for UTF-7 only: for UTF-8 the arguments tell.
std::vector<std::pair<DWORD, bool>> conversions;

int WINAPI recordingConversion(UINT codePage, DWORD flags, LPCWCH wide, int length, LPSTR narrow,
    int size, LPCCH defaultChar, LPBOOL usedDefault)
{
    conversions.emplace_back(flags, usedDefault != nullptr);
    return WideCharToMultiByte(
        codePage, flags, wide, length, narrow, size, defaultChar, usedDefault);
}

void convertsNamesByTheCodePagesRules()
{
    using Calls = std::vector<std::pair<DWORD, bool>>;
    const DWORD exact = WC_NO_BEST_FIT_CHARS;
    const struct {
        UINT codePage;
        const wchar_t* name;
        std::string bytes;
        Calls calls;
    } cases[] = {
        { CP_UTF8, L"系统 한", "系统 한", { { 0, false }, { 0, false } } },
        { 65000, L"系统", "+fPt+3w-", { { 0, false }, { 0, false } } }, // UTF-7
        { 936, L"系统", "\xCF\xB5\xCD\xB3", { { exact, true }, { exact, false } } },
        { 936, L"한", "(run-time error)", { { exact, true } } },
    };
    for (const auto& c : cases) {
        conversions.clear();
        std::string narrow;
        try {
            narrow = narrowFrom(c.name, c.codePage, recordingConversion);
        } catch (const RunTimeError&) {
            narrow = "(run-time error)";
        }
        check(narrow == c.bytes && conversions == c.calls,
            "code page " + std::to_string(c.codePage) + ": " + narrow + ", "
                + std::to_string(conversions.size()) + " calls");
    }
}

void testsFiles(Platform& platform)
{
    CreateDirectoryW(filesFolder, nullptr);
    const std::wstring folder = filesFolder;
    makeFile(folder + L"\\plain.exe");
    makeFile(folder + L"\\工具.exe");
    makeFile(folder + L"\\hidden.exe", FILE_ATTRIBUTE_HIDDEN);
    makeFile(folder + L"\\system.exe", FILE_ATTRIBUTE_SYSTEM);

    struct Case {
        std::string path;
        bool regular;
    };
    const Case cases[] = {
        { "C:\\velbrin files\\plain.exe", true },
        { "C:\\velbrin files\\工具.exe", true },
        { "C:\\velbrin files\\hidden.exe", false },
        { "C:\\velbrin files\\system.exe", false },
        { "C:\\velbrin files", false },
        { "C:\\velbrin files\\missing.exe", false },
        { "C:\\velbrin missing\\plain.exe", false },
    };
    for (const Case& c : cases)
        check(platform.isRegularFile(c.path) == c.regular, "file test " + c.path);

    bool threw = false;
    try {
        platform.isRegularFile("C:\\velbrin files\\plain.exe\0x"s);
    } catch (const RunTimeError&) {
        threw = true;
    }
    check(threw, "a path holding a zero byte is rejected");
}

void startsTheTool(Platform& platform, const std::vector<std::string>& messages)
{
    CreateDirectoryW(probeFolder, nullptr);
    const std::wstring folder = probeFolder;
    const std::wstring probe = folder + L"\\probe.exe";
    const std::wstring msinfo = folder + L"\\MSINFO32.EXE";
    copyProbe(probe);
    copyProbe(msinfo);
    // What a path read as a command line would start: "C:\velbrin" plus ".exe".
    copyProbe(L"C:\\velbrin.exe");

    setText(toolKey, L"PATH", probe);
    setText(folderKey, L"MSINFO", folder);
    StartSysInfo(platform);
    check(waitForMarker(probe) == "1" && messages.empty(),
        "PATH with a blank and Chinese characters starts that very file, named as one argument");

    deleteValue(toolKey, L"PATH");
    StartSysInfo(platform);
    check(waitForMarker(msinfo) == "1" && messages.empty(),
        "MSINFO folder + \\MSINFO32.EXE started");

    struct Case {
        const char* name;
        std::wstring path; // nothing: PATH missing; "-": no data at all
        std::wstring folder;
    };
    const Case cases[] = {
        { "PATH without data: MSINFO is not tried", L"-", folder },
        { "PATH with a zero byte inside", probe + L'\0' + L"x", folder },
        { "MSINFO folder without the tool", L"", filesFolder },
    };
    for (const Case& c : cases) {
        if (c.path.empty())
            deleteValue(toolKey, L"PATH");
        else if (c.path == L"-")
            setValue(toolKey, L"PATH", REG_SZ, L"", 0);
        else
            setValue(toolKey, L"PATH", REG_SZ, c.path.c_str(),
                static_cast<DWORD>((c.path.size() + 1) * 2));
        setText(folderKey, L"MSINFO", c.folder);
        const std::size_t before = messages.size();
        StartSysInfo(platform);
        check(messages.size() == before + 1 && messages.back() == "此时系统信息不可用",
            c.name + " -> the message"s);
    }

    Sleep(500);
    check(!exists(L"C:\\velbrin.exe.started") && !exists(msinfo + L".started")
            && !exists(probe + L".started"),
        "nothing else was started");
}

} // namespace

int main()
{
    std::vector<std::string> messages;
    const auto platform = makeSystemPlatform([&](std::string_view text, std::string_view title) {
        messages.emplace_back(text);
        if (title != "velbrin")
            messages.back() += " (title " + std::string(title) + ")";
    });

    readsTheRegistry(*platform);
    convertsNamesByTheCodePagesRules();
    testsFiles(*platform);
    startsTheTool(*platform, messages);

    std::printf("%d failed\n", failures);
    return failures;
}
