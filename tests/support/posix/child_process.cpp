#include "support/posix/child_process.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vantrel::test {
namespace {

constexpr uid_t kNobody = 65534;

bool BecomeUnprivileged() {
    return geteuid() != 0 ||
           (setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0);
}

[[noreturn]] void RunChild(int out, ChildUser user, const std::function<std::string()>& body) {
    std::string result = "cannot become nobody";
    if (user == ChildUser::Same || BecomeUnprivileged()) {
        try {
            result = body();
        } catch (...) {
            result = "exception";
        }
    }
    (void)!write(out, result.data(), result.size());
    _exit(0);
}

std::string ReadAll(int in) {
    std::string text;
    char buffer[256];
    for (ssize_t got; (got = read(in, buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
}

}  // namespace

std::string InChildProcess(ChildUser user, const std::function<std::string()>& body) {
    int fds[2];
    if (pipe(fds) != 0) {
        return "no pipe";
    }
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        RunChild(fds[1], user, body);
    }
    close(fds[1]);
    const std::string result = ReadAll(fds[0]);
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFSIGNALED(status)) {
        return "killed by signal " + std::to_string(WTERMSIG(status));
    }
    return result;
}

}  // namespace vantrel::test
