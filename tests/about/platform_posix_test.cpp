#include "about/launcher.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

using namespace velbrin::about;
namespace fs = std::filesystem;

namespace {

// A scratch folder with a blank in its name, and PATH under the test's control.
class PosixPlatformTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "velbrin launcher XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_root = pattern;
        if (const char* path = std::getenv("PATH"))
            m_savedPath = path;
        m_platform = makeSystemPlatform([this](std::string_view text, std::string_view title) {
            m_messages.emplace_back(text, title);
        });
    }

    void TearDown() override
    {
        setenv("PATH", m_savedPath.c_str(), 1);
        fs::remove_all(m_root);
    }

    fs::path makeFile(const fs::path& file, const std::string& content, fs::perms permissions)
    {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << content;
        fs::permissions(file, permissions);
        return file;
    }

    // A stand-in tool that records the name it was started under and its argument count.
    fs::path makeTool(const fs::path& file)
    {
        return makeFile(file,
            "#!/bin/sh\nprintf '%s %s' \"$0\" \"$#\" > '" + marker().string() + ".tmp'\n/bin/mv '"
                + marker().string() + ".tmp' '" + marker().string() + "'\n",
            fs::perms::owner_all);
    }

    fs::path marker() const { return m_root / "started"; }

    std::string toolPath()
    {
        std::string value;
        GetKeyValue(*m_platform, kLocalMachine, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO",
            "PATH", value);
        return value;
    }

    fs::path m_root;
    std::string m_savedPath;
    std::unique_ptr<Platform> m_platform;
    std::vector<std::pair<std::string, std::string>> m_messages;
};

template<class Condition>
bool waitFor(Condition condition)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

int zombieChildren()
{
    int zombies = 0;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line) || line.rfind(')') == std::string::npos)
            continue;
        std::istringstream fields(line.substr(line.rfind(')') + 1));
        char state = 0;
        pid_t parent = 0;
        fields >> state >> parent;
        zombies += state == 'Z' && parent == getpid();
    }
    return zombies;
}

} // namespace

TEST_F(PosixPlatformTest, StartsTheToolFoundOnPathWithoutShellOrZombie)
{
    const fs::path tool = makeTool(m_root / "bin dir" / "hardinfo");
    setenv("PATH", ("relative:/nonexistent::" + tool.parent_path().string()).c_str(), 1);

    StartSysInfo(*m_platform);

    EXPECT_TRUE(m_messages.empty());
    ASSERT_TRUE(waitFor([&] { return fs::exists(marker()); }));
    std::ifstream record(marker());
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(record), {}), tool.string() + " 0");
    EXPECT_TRUE(waitFor([] { return zombieChildren() == 0; }));
}

TEST_F(PosixPlatformTest, WithoutAToolShowsTheMessage)
{
    makeFile(m_root / "bin" / "hardinfo", "not executable", fs::perms::owner_read);
    setenv("PATH", (m_root / "bin").c_str(), 1);

    StartSysInfo(*m_platform);

    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].first, "此时系统信息不可用");
    EXPECT_EQ(m_messages[0].second, "velbrin");
}

TEST_F(PosixPlatformTest, TheListOrderWinsOverThePathOrder)
{
    makeTool(m_root / "a" / "gnome-system-monitor");
    fs::create_directories(m_root / "a" / "hardinfo2"); // a folder is no tool
    const fs::path hardinfo = makeTool(m_root / "b" / "hardinfo");
    setenv("PATH", ((m_root / "a").string() + ":" + (m_root / "b").string() + "/").c_str(), 1);

    EXPECT_EQ(toolPath(), hardinfo.string());
}

TEST_F(PosixPlatformTest, AToolPathBeyondTheBufferIsNotRead)
{
    struct Case {
        std::size_t folderLength; // "/hardinfo" and the zero byte add 10 bytes
        RegistryStatus status;
        std::uint32_t length;
    };
    const Case cases[] = { { 1014, kSuccess, 1024 }, { 1015, kMoreData, 1025 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folderLength);
        fs::path folder = m_root / std::to_string(c.folderLength);
        while (c.folderLength - folder.string().size() > 201)
            folder /= std::string(200, 'd');
        folder /= std::string(c.folderLength - folder.string().size() - 1, 'd');
        const fs::path tool = makeTool(folder / "hardinfo");
        setenv("PATH", folder.c_str(), 1);

        KeyHandle key = 0;
        ASSERT_EQ(m_platform->openKey(kLocalMachine, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO",
                      kKeyRead, key),
            kSuccess);
        ValueBuffer data {};
        std::uint32_t type = 0;
        std::uint32_t length = 1024;
        EXPECT_EQ(m_platform->queryValue(key, "PATH", type, data, length), c.status);
        EXPECT_EQ(length, c.length);
        if (c.status == kSuccess) {
            EXPECT_EQ(reinterpret_cast<const char*>(data.data()), tool.string());
        }
    }
}

TEST_F(PosixPlatformTest, TheRegistryIsReadOnlyAndHasOneKey)
{
    struct Case {
        const char* key;
        std::uint32_t access;
        RegistryStatus status;
    };
    const Case cases[] = {
        { "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", 0x20019, kSuccess },
        { "software\\microsoft\\shared tools\\msinfo", 0x20019, kSuccess },
        { "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", 0x2003F, kAccessDenied },
        { "SOFTWARE\\Microsoft\\Shared Tools Location", 0x20019, kFileNotFound },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        KeyHandle key = 0;
        EXPECT_EQ(m_platform->openKey(kLocalMachine, c.key, c.access, key), c.status);
    }
}

TEST_F(PosixPlatformTest, OnlyVisibleRegularFilesCount)
{
    const fs::path file = makeFile(m_root / "MSINFO32.EXE", "x", fs::perms::owner_read);
    makeFile(m_root / ".hidden", "x", fs::perms::owner_read);
    fs::create_symlink(file, m_root / "link");
    struct Case {
        fs::path path;
        bool regular;
    };
    const Case cases[] = {
        { file, true },
        { m_root / "link", true },
        { m_root / ".hidden", false },
        { m_root, false },
        { m_root / "missing", false },
        { file / "inside", false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(m_platform->isRegularFile(c.path.string()), c.regular);
    }
    const std::string withZeroByte = file.string() + std::string(1, '\0') + "x";
    EXPECT_THROW(m_platform->isRegularFile(withZeroByte), RunTimeError);
}

TEST_F(PosixPlatformTest, AProgramThatCannotStartIsARunTimeError)
{
    const fs::path plain = makeFile(m_root / "plain", "x", fs::perms::owner_read);
    for (const std::string& path : { std::string(), (m_root / "missing").string(), plain.string(),
             makeTool(m_root / "tool").string() + std::string(1, '\0') }) {
        SCOPED_TRACE(path);
        EXPECT_THROW(m_platform->startProgram(path), RunTimeError);
    }
    EXPECT_FALSE(fs::exists(marker()));
}
