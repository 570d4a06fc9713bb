#include "about/launcher.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

using namespace velbrin::about;
using namespace std::string_literals;

namespace {

constexpr auto toolKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr auto folderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";

struct FakeValue {
    std::uint32_t type = kRegSz;
    std::string data;
};

// A registry under HKEY_LOCAL_MACHINE that grants read access only, a file system of listed files,
// and a record of every call. Text data is Latin-1, so a missing decode shows.
class FakePlatform final : public Platform {
public:
    std::map<std::string, std::map<std::string, FakeValue>> keys;
    std::set<std::string> files;
    std::set<std::string> unstartable;

    std::vector<std::string> opened;
    std::vector<std::uint32_t> accessMasks;
    std::vector<KeyHandle> closed;
    std::vector<std::string> fileTests;
    std::vector<std::string> started;
    std::vector<std::pair<std::string, std::string>> messages;

    RegistryStatus openKey(std::uint32_t root, std::string_view path, std::uint32_t access,
        KeyHandle& key) override
    {
        opened.emplace_back(path);
        accessMasks.push_back(access);
        if (root != kLocalMachine || !keys.contains(std::string(path)))
            return kFileNotFound;
        if ((access & ~kKeyRead) != 0)
            return kAccessDenied;
        key = opened.size() + 100;
        return kSuccess;
    }

    RegistryStatus queryValue(KeyHandle key, std::string_view name, std::uint32_t& type,
        ValueBuffer& data, std::uint32_t& length) override
    {
        const auto& values = keys.at(opened.at(key - 101));
        const auto value = values.find(std::string(name));
        if (value == values.end())
            return kFileNotFound;
        type = value->second.type;
        const auto size = static_cast<std::uint32_t>(value->second.data.size());
        const std::uint32_t room = length;
        length = size;
        if (size > room)
            return kMoreData;
        value->second.data.copy(reinterpret_cast<char*>(data.data()), size);
        return kSuccess;
    }

    void closeKey(KeyHandle key) noexcept override { closed.push_back(key); }

    std::string decodeText(std::string_view bytes) override
    {
        std::string text;
        for (const char c : bytes) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 0x80) {
                text += c;
            } else {
                text += static_cast<char>(0xC0 | byte >> 6);
                text += static_cast<char>(0x80 | (byte & 0x3F));
            }
        }
        return text;
    }

    bool isRegularFile(std::string_view path) override
    {
        fileTests.emplace_back(path);
        return files.contains(std::string(path));
    }

    void startProgram(std::string_view path) override
    {
        if (path.empty() || unstartable.contains(std::string(path)))
            throw RunTimeError("cannot start");
        started.emplace_back(path);
    }

    void showMessage(std::string_view text, std::string_view title) override
    {
        messages.emplace_back(text, title);
    }
};

} // namespace

TEST(GetKeyValue, TrimsOneZeroByteAndConvertsByType)
{
    struct Case {
        const char* name;
        std::uint32_t type;
        std::string data;
        std::string before;
        std::string after;
    };
    const Case cases[] = {
        { "text with its zero byte", kRegSz, "C:\\T\\msinfo32.exe\0"s, "x", "C:\\T\\msinfo32.exe" },
        { "text without a zero byte", kRegSz, "abc", "", "abc" },
        { "only the last zero byte goes", kRegSz, "a\0b\0\0"s, "", "a\0b\0"s },
        { "a single zero byte", kRegSz, "\0"s, "abc", "" },
        { "text through the code page", kRegSz, "caf\xE9\0"s, "", "caf\xC3\xA9" },
        { "text filling the buffer", kRegSz, std::string(1024, 'x'), "", std::string(1024, 'x') },
        { "number 261", kRegDword, "\x05\x01\x00\x00"s, "", "&h000105" },
        { "number with a high byte", kRegDword, "\x4D\x3C\x2B\x1A", "", "&h1A2B3C4D" },
        { "expandable text left alone", 2, "%SystemRoot%\0"s, "", "" },
        { "binary left alone", 3, "xyz\xE9", "abc", "abc" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform platform;
        platform.keys["K"]["V"] = { c.type, c.data };
        std::string value = c.before;
        EXPECT_TRUE(GetKeyValue(platform, kLocalMachine, "K", "V", value));
        EXPECT_EQ(value, c.after);
        EXPECT_EQ(platform.accessMasks, std::vector<std::uint32_t> { 0x20019 });
        EXPECT_EQ(platform.closed, std::vector<KeyHandle> { 101 });
    }
}

TEST(GetKeyValue, FailsWithEmptyTextAndStillClosesTheKey)
{
    struct Case {
        const char* name;
        const char* key;
        std::string data;
        KeyHandle closed;
    };
    const Case cases[] = {
        { "key cannot be opened: the null handle is closed", "Missing", "", 0 },
        { "value missing", "K", "", 101 },
        { "1025 bytes of data", "K", std::string(1025, 'x'), 101 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform platform;
        platform.keys["K"]["Other"] = { kRegSz, "a" };
        if (!c.data.empty())
            platform.keys["K"]["V"] = { kRegSz, c.data };
        std::string value = "abc";
        EXPECT_FALSE(GetKeyValue(platform, kLocalMachine, c.key, "V", value));
        EXPECT_EQ(value, "");
        EXPECT_EQ(platform.closed, std::vector<KeyHandle> { c.closed });
    }
}

TEST(GetKeyValue, DataOfLengthZeroIsARunTimeErrorAfterTheKeyIsClosed)
{
    FakePlatform platform;
    platform.keys["K"]["V"] = { kRegSz, "" };
    std::string value = "abc";
    EXPECT_THROW(GetKeyValue(platform, kLocalMachine, "K", "V", value), RunTimeError);
    EXPECT_EQ(platform.closed, std::vector<KeyHandle> { 101 });
}

TEST(StartSysInfo, StartsTheToolOrShowsTheMessage)
{
    struct Case {
        const char* name;
        std::optional<FakeValue> path;
        std::optional<FakeValue> folder;
        std::set<std::string> files;
        std::set<std::string> unstartable;
        std::vector<std::string> fileTests;
        std::vector<std::string> started;
        bool folderRead;
    };
    const FakeValue toolM { kRegSz, "C:\\M\0"s };
    const Case cases[] = {
        { "path as read", FakeValue { kRegSz, "C:\\T\\msinfo32.exe\0"s }, toolM, {}, {}, {},
            { "C:\\T\\msinfo32.exe" }, false },
        { "path with blanks handed over unchanged",
            FakeValue { kRegSz, "C:\\Program Files\\T\\msinfo32.exe\0"s }, {}, {}, {}, {},
            { "C:\\Program Files\\T\\msinfo32.exe" }, false },
        { "folder", {}, toolM, { "C:\\M\\MSINFO32.EXE" }, {}, { "C:\\M\\MSINFO32.EXE" },
            { "C:\\M\\MSINFO32.EXE" }, true },
        { "folder with a trailing backslash", {}, FakeValue { kRegSz, "C:\\M\\\0"s },
            { "C:\\M\\\\MSINFO32.EXE" }, {}, { "C:\\M\\\\MSINFO32.EXE" },
            { "C:\\M\\\\MSINFO32.EXE" }, true },
        { "folder without the tool", {}, toolM, {}, {}, { "C:\\M\\MSINFO32.EXE" }, {}, true },
        { "both missing", {}, {}, {}, {}, {}, {}, true },
        { "empty path", FakeValue { kRegSz, "\0"s }, toolM, {}, {}, {}, {}, false },
        { "expandable path", FakeValue { 2, "C:\\T\\msinfo32.exe\0"s }, toolM, {}, {}, {}, {},
            false },
        { "path without data", FakeValue { kRegSz, "" }, toolM, {}, {}, {}, {}, false },
        { "path that cannot be started", FakeValue { kRegSz, "C:\\T\\x.exe" }, toolM, {},
            { "C:\\T\\x.exe" }, {}, {}, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform platform;
        if (c.path)
            platform.keys[toolKey]["PATH"] = *c.path;
        if (c.folder)
            platform.keys[folderKey]["MSINFO"] = *c.folder;
        platform.files = c.files;
        platform.unstartable = c.unstartable;

        StartSysInfo(platform);

        EXPECT_EQ(platform.started, c.started);
        EXPECT_EQ(platform.fileTests, c.fileTests);
        const auto message = std::pair { "此时系统信息不可用"s, "velbrin"s };
        EXPECT_EQ(platform.messages,
            c.started.empty() ? std::vector { message } : decltype(platform.messages) {});
        std::vector<std::string> opened { toolKey };
        if (c.folderRead)
            opened.emplace_back(folderKey);
        EXPECT_EQ(platform.opened, opened);
        EXPECT_EQ(platform.closed.size(), opened.size());
        for (const std::uint32_t access : platform.accessMasks)
            EXPECT_EQ(access, 0x20019u);
    }
}
