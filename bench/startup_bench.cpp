// Start-up time to the first painted frame and peak memory of velbrin against the baseline
// program (one window with one Chinese label), both built with the first-frame probe. Starts them
// in turn, takes the median of each, and prints the ratios with their targets. The platform is
// the one QT_QPA_PLATFORM names (bench/startup.sh runs this offscreen and under Xvfb).
//
//   startup_bench [--runs N] [BASELINE VELBRIN]

#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr double startTarget = 1.3;
constexpr double memoryTarget = 1.3;
constexpr int warmUpRuns = 2; // font caches and the page cache
constexpr int timeoutMs = 30000;

struct Run
{
    double startMs = 0;
    double cpuMs = 0; // user and system time: little moved by other processes on the machine
    double peakMiB = 0;
};

long long monotonicNs()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// Starts `program`, reads the clock it prints at its first frame, and waits for its end.
bool runOnce(const std::string& program, Run& run)
{
    int out[2];
    if (pipe(out) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    char* const argv[] = { const_cast<char*>(program.c_str()), nullptr };

    pid_t pid = 0;
    const long long launched = monotonicNs();
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        std::fprintf(stderr, "cannot start %s\n", program.c_str());
        return false;
    }

    std::string line;
    pollfd readable { out[0], POLLIN, 0 };
    while (line.find('\n') == std::string::npos && poll(&readable, 1, timeoutMs) > 0) {
        char buffer[64];
        const ssize_t got = read(out[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        line.append(buffer, static_cast<std::size_t>(got));
    }
    close(out[0]);
    if (line.find('\n') == std::string::npos)
        kill(pid, SIGKILL);

    int status = 0;
    rusage usage {};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) { }
    if (line.find('\n') == std::string::npos) {
        std::fprintf(stderr, "%s painted no frame\n", program.c_str());
        return false;
    }
    run.startMs = static_cast<double>(std::atoll(line.c_str()) - launched) / 1e6;
    run.cpuMs = (static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e6
                    + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec))
        / 1e3;
    run.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
    return true;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Summary
{
    double start = 0;
    double startMin = 0;
    double startMax = 0;
    double cpu = 0;
    double peak = 0;
};

Summary summarise(const std::vector<Run>& runs)
{
    std::vector<double> starts;
    std::vector<double> cpus;
    std::vector<double> peaks;
    for (const Run& run : runs) {
        starts.push_back(run.startMs);
        cpus.push_back(run.cpuMs);
        peaks.push_back(run.peakMiB);
    }
    return { median(starts), *std::min_element(starts.begin(), starts.end()),
        *std::max_element(starts.begin(), starts.end()), median(cpus), median(peaks) };
}

} // namespace

int main(int argc, char** argv)
{
    int runs = 15;
    std::vector<std::string> programs;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else
            programs.push_back(argument);
    }
    if (programs.empty())
        programs = { VELBRIN_BASELINE_PROBE, VELBRIN_PROBE };
    if (programs.size() != 2) {
        std::fprintf(stderr, "usage: startup_bench [--runs N] [BASELINE VELBRIN]\n");
        return 2;
    }

    const char* platform = std::getenv("QT_QPA_PLATFORM");
    std::printf("Start to first painted frame, and peak memory (max RSS); platform %s, median of "
                "%d runs each, taken in turn\n",
        platform ? platform : "(Qt's default)", runs);
    std::vector<Run> results[2];
    for (int round = 0; round < warmUpRuns + runs; ++round) {
        for (int k = 0; k < 2; ++k) {
            const int which = (round + k) % 2; // alternate which program goes first
            Run run;
            if (!runOnce(programs[which], run))
                return 2;
            if (round >= warmUpRuns)
                results[which].push_back(run);
        }
    }

    const Summary baseline = summarise(results[0]);
    const Summary velbrin = summarise(results[1]);
    const char* names[] = { "baseline (one label)", "velbrin" };
    const Summary* summaries[] = { &baseline, &velbrin };
    std::printf(
        "%-22s %10s %18s %10s %10s\n", "", "start ms", "(min .. max)", "CPU ms", "peak MiB");
    for (int k = 0; k < 2; ++k) {
        const Summary& s = *summaries[k];
        std::printf("%-22s %10.1f %8.1f .. %-7.1f %10.1f %10.1f\n", names[k], s.start, s.startMin,
            s.startMax, s.cpu, s.peak);
    }
    const double startRatio = velbrin.start / baseline.start;
    const double memoryRatio = velbrin.peak / baseline.peak;
    const bool startMet = startRatio <= startTarget;
    const bool memoryMet = memoryRatio <= memoryTarget;
    std::printf("velbrin / baseline: start %.2fx (target <= %.1fx: %s), peak memory %.2fx "
                "(target <= %.1fx: %s)\n",
        startRatio, startTarget, startMet ? "met" : "MISSED", memoryRatio, memoryTarget,
        memoryMet ? "met" : "MISSED");
    // The medians move when other processes share the cores; these two move less.
    std::printf("  for comparison: fastest start %.2fx, CPU time %.2fx\n",
        velbrin.startMin / baseline.startMin, velbrin.cpu / baseline.cpu);
    return startMet && memoryMet ? 0 : 1;
}
