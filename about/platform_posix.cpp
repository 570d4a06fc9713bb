// The launcher's platform on Linux and other POSIX systems. There is no registry here, so this file
// keeps a read-only one that answers exactly one question, the tool's full path (the first
// location's "PATH" value), with the first of kToolCandidates found on the PATH this process was
// started with. The second location does not exist. Nothing is configured anywhere.

#include "about/launcher.h"
#include "about/platform.h"

#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <system_error>
#include <utility>

extern char** environ;

namespace velbrin::about {

namespace {

// System-information tools, best first: the hardware and system browsers of the desktops, then the
// GNOME system monitor, which at least shows the system's resources.
constexpr std::array<std::string_view, 4> kToolCandidates {
    "hardinfo2",
    "hardinfo",
    "kinfocenter",
    "gnome-system-monitor",
};

constexpr KeyHandle kToolKey = 1;

[[noreturn]] void failWith(std::string_view what, int error)
{
    throw RunTimeError(std::string(what) + ": " + std::generic_category().message(error));
}

// Registry names ignore ASCII case.
bool sameName(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return std::ranges::equal(a, b, {}, lower, lower);
}

std::string withoutZeroBytes(std::string_view path, std::string_view what)
{
    if (path.find('\0') != std::string_view::npos)
        throw RunTimeError(std::string(what) + ": the path holds a zero byte");
    return std::string(path);
}

bool isExecutableFile(const std::string& file)
{
    struct stat status { };
    return ::stat(file.c_str(), &status) == 0 && S_ISREG(status.st_mode)
        && ::access(file.c_str(), X_OK) == 0;
}

// Empty and relative PATH entries are skipped: they would make the tool depend on the folder the
// program happens to be started in.
std::optional<std::string> findTool()
{
    const char* searchPath = std::getenv("PATH");
    if (!searchPath)
        return std::nullopt;
    const std::string_view folders(searchPath);
    for (const std::string_view candidate : kToolCandidates) {
        for (std::size_t start = 0; start <= folders.size();) {
            const std::size_t end = std::min(folders.find(':', start), folders.size());
            std::string file(folders.substr(start, end - start));
            start = end + 1;
            if (file.empty() || file.front() != '/')
                continue;
            if (file.back() != '/')
                file += '/';
            file += candidate;
            if (isExecutableFile(file))
                return file;
        }
    }
    return std::nullopt;
}

void* reapChild(void* child)
{
    const auto pid = static_cast<pid_t>(reinterpret_cast<std::intptr_t>(child));
    while (::waitpid(pid, nullptr, 0) == -1 && errno == EINTR) { }
    return nullptr;
}

// The started tool must not stay a zombie once it ends, and the program must not wait for it. A
// small detached thread waits for exactly this child; a process-wide SIGCHLD disposition would take
// the exit status away from every other child of the program, and a double fork is not safe in a
// program with threads. Should the thread fail to start, the tool still runs; it then stays a
// zombie until this program ends.
void reapWhenDone(pid_t child)
{
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0)
        return;
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    pthread_attr_setstacksize(&attributes, 64 * 1024);
    pthread_t thread;
    pthread_create(&thread, &attributes, reapChild,
        reinterpret_cast<void*>(static_cast<std::intptr_t>(child)));
    pthread_attr_destroy(&attributes);
}

class PosixPlatform final : public Platform {
public:
    explicit PosixPlatform(MessageBoxFunction showMessage)
        : m_showMessage(std::move(showMessage))
    {
    }

    RegistryStatus openKey(std::uint32_t root, std::string_view path, std::uint32_t access,
        KeyHandle& key) override
    {
        if (root != kLocalMachine || !sameName(path, kToolPathLocation.key))
            return kFileNotFound;
        if ((access & ~kKeyRead) != 0)
            return kAccessDenied; // this registry can only be read
        key = kToolKey;
        return kSuccess;
    }

    RegistryStatus queryValue(KeyHandle key, std::string_view name, std::uint32_t& type,
        ValueBuffer& data, std::uint32_t& length) override
    {
        if (key != kToolKey)
            return kInvalidHandle;
        if (!sameName(name, kToolPathLocation.value))
            return kFileNotFound;
        const std::optional<std::string> tool = findTool();
        if (!tool)
            return kFileNotFound;
        // Stored the way the registry stores text: with its terminating zero byte.
        const std::size_t size = tool->size() + 1;
        type = kRegSz;
        if (size > std::min<std::size_t>(length, data.size())) {
            length = static_cast<std::uint32_t>(size);
            return kMoreData;
        }
        std::memcpy(data.data(), tool->c_str(), size);
        length = static_cast<std::uint32_t>(size);
        return kSuccess;
    }

    void closeKey(KeyHandle) noexcept override { }

    std::string decodeText(std::string_view registryBytes) override
    {
        return std::string(registryBytes); // this registry keeps UTF-8
    }

    bool isRegularFile(std::string_view path) override
    {
        const std::string file = withoutZeroBytes(path, "file test");
        const std::size_t nameStart = file.rfind('/') + 1; // npos + 1 == 0
        if (nameStart == file.size() || file[nameStart] == '.')
            return false;
        struct stat status { };
        if (::stat(file.c_str(), &status) != 0) {
            if (errno == ENOENT || errno == ENOTDIR)
                return false;
            failWith("file test", errno);
        }
        return S_ISREG(status.st_mode);
    }

    void startProgram(std::string_view path) override
    {
        std::string program = withoutZeroBytes(path, "program start");
        // Its own session, so a hang-up or Ctrl+C meant for this program does not reach the
        // tool; signal mask and ignored signals back to their defaults.
        posix_spawnattr_t attributes;
        if (const int error = posix_spawnattr_init(&attributes); error != 0)
            failWith("program start", error);
        sigset_t signals;
        sigemptyset(&signals);
        posix_spawnattr_setsigmask(&attributes, &signals);
        sigfillset(&signals);
        posix_spawnattr_setsigdefault(&attributes, &signals);
        posix_spawnattr_setflags(&attributes,
            POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);

        char* arguments[] = { program.data(), nullptr };
        pid_t child = 0;
        // posix_spawn, not posix_spawnp: the path is used as it stands, no shell, no search.
        const int error
            = posix_spawn(&child, program.c_str(), nullptr, &attributes, arguments, environ);
        posix_spawnattr_destroy(&attributes);
        if (error != 0)
            failWith("program start", error);
        reapWhenDone(child);
    }

    void showMessage(std::string_view text, std::string_view title) override
    {
        m_showMessage(text, title);
    }

private:
    MessageBoxFunction m_showMessage;
};

} // namespace

std::unique_ptr<Platform> makeSystemPlatform(MessageBoxFunction showMessage)
{
    if (!showMessage)
        throw std::invalid_argument("makeSystemPlatform needs a message box");
    return std::make_unique<PosixPlatform>(std::move(showMessage));
}

} // namespace velbrin::about
