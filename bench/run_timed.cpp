// vantrel-bench-time: runs a command and writes what it cost, for bench/run-extract.sh.
//
//     vantrel-bench-time RESULT COMMAND [ARGUMENT...]
//
// RESULT receives one line: wall time, user time and system time in microseconds, and the peak
// resident memory in KiB (of the command and its own children, as the kernel counts it). The
// command's standard output is thrown away. Exit status: the command's, 127 when it could not
// be started, 2 on wrong usage.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

extern char** environ;

namespace {

long long Microseconds(const timeval& time) {
    return static_cast<long long>(time.tv_sec) * 1000000 + time.tv_usec;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: vantrel-bench-time RESULT COMMAND [ARGUMENT...]\n", stderr);
        return 2;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, argv[2], &actions, nullptr, argv + 2, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        std::fprintf(stderr, "vantrel-bench-time: cannot start %s\n", argv[2]);
        return 127;
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) {
        return 127;
    }
    const auto wall = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);
    std::FILE* result = std::fopen(argv[1], "w");
    if (result == nullptr) {
        return 2;
    }
    std::fprintf(result, "%lld %lld %lld %ld\n", static_cast<long long>(wall.count()),
                 Microseconds(usage.ru_utime), Microseconds(usage.ru_stime), usage.ru_maxrss);
    std::fclose(result);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
