#include "platform/Process.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <thread>

extern char** environ;

namespace quorvia::platform {

namespace {

std::vector<char*> argumentVector(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    return argv;
}

bool spawn(const std::vector<std::string>& arguments, pid_t& pid) {
    if (arguments.empty()) {
        return false;
    }
    std::vector<char*> argv = argumentVector(arguments);
    return ::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0;
}

// The status of the ended child, or nothing when waiting failed.
std::optional<int> waitForEnd(pid_t pid) {
    int status = 0;
    pid_t result;
    do {
        result = ::waitpid(pid, &status, 0);
    } while (result < 0 && errno == EINTR);
    return result == pid ? std::optional<int>(status) : std::nullopt;
}

}  // namespace

ProgramRun runProgram(const std::vector<std::string>& arguments) {
    ProgramRun run;
    pid_t pid = 0;
    run.started = spawn(arguments, pid);
    if (run.started) {
        const std::optional<int> status = waitForEnd(pid);
        run.exited = status && WIFEXITED(*status);
        run.exitCode = run.exited ? WEXITSTATUS(*status) : -1;
    }
    return run;
}

int RunAndWait(const std::vector<std::string>& arguments) {
    const ProgramRun run = runProgram(arguments);
    return run.started && run.exited ? run.exitCode : -1;
}

void startDetached(const std::vector<std::string>& arguments) {
    // The child is reaped on a thread of its own: the caller returns at once and no zombie stays.
    pid_t pid = 0;
    if (spawn(arguments, pid)) {
        std::thread([pid] { waitForEnd(pid); }).detach();
    }
}

std::optional<std::string> findProgram(const std::string& name) {
    if (name.find('/') != std::string::npos) {
        return ::access(name.c_str(), X_OK) == 0 ? std::optional<std::string>(name) : std::nullopt;
    }
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos) {
            end = folders.size();
        }
        std::string folder = folders.substr(start, end - start);
        const std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + name;
        struct stat info {};
        if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        start = end + 1;
    }
    return std::nullopt;
}

void exitProcess() {
    std::_Exit(0);
}

}  // namespace quorvia::platform
