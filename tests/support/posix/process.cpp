// The process-level helpers of the tests, over POSIX.

#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

#include "support/host_program.h"
#include "support/temp_dir.h"

namespace vantrel::test {

void SetProcessVariable(const std::string& name, const std::optional<std::string>& value) {
    if (value) {
        setenv(name.c_str(), value->c_str(), 1);
    } else {
        unsetenv(name.c_str());
    }
}

int RunHostProgram(const std::string& program, const std::vector<std::string>& arguments,
                   const std::filesystem::path& folder) {
    std::vector<std::string> words = {program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        if (chdir(folder.c_str()) == 0) {
            execvp(argv[0], argv.data());
        }
        _exit(127);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

std::string HostSystemPath(const std::filesystem::path& path) {
    return std::filesystem::absolute(path).string();
}

// The child waits for the end of a pipe the parent closes when done.
struct HeldByAnotherProcess::Child {
    pid_t Pid = -1;
    int Release = -1;
};

HeldByAnotherProcess::HeldByAnotherProcess(const std::filesystem::path& path)
    : child_(std::make_unique<Child>()) {
    const int file = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    int ends[2];
    if (file < 0 || pipe2(ends, O_CLOEXEC) != 0) {
        throw std::runtime_error("cannot hold " + path.string());
    }
    child_->Pid = fork();
    if (child_->Pid == 0) {
        char byte;
        close(ends[1]);
        while (read(ends[0], &byte, 1) > 0) {
        }
        _exit(0);
    }
    close(file);
    close(ends[0]);
    child_->Release = ends[1];
}

HeldByAnotherProcess::~HeldByAnotherProcess() {
    close(child_->Release);
    waitpid(child_->Pid, nullptr, 0);
}

}  // namespace vantrel::test
