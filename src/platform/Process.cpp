#include "platform/Process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <limits>
#include <thread>
#include <utility>

#include "platform/Paths.h"

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

// A small file of the system's process table, read whole; empty when there is none.
std::string readProcFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return {};
    }
    std::string text;
    char buffer[1024];
    ssize_t got = 0;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0) {
        text.append(buffer, static_cast<size_t>(got));
    }
    ::close(fd);
    return text;
}

}  // namespace

ChildProcess ChildProcess::start(const std::vector<std::string>& arguments,
                                 const ProgramPlace& place) {
    if (arguments.empty()) {
        return ChildProcess();
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!place.folder.empty()) {
        posix_spawn_file_actions_addchdir_np(&actions, place.folder.c_str());
    }
    for (const auto& [fd, path] :
         {std::pair(STDOUT_FILENO, &place.output), std::pair(STDERR_FILENO, &place.errors)}) {
        if (!path->empty()) {
            posix_spawn_file_actions_addopen(&actions, fd, path->c_str(),
                                             O_WRONLY | O_CREAT | O_TRUNC, 0644);
        }
    }
    std::vector<char*> argv = argumentVector(arguments);
    pid_t pid = -1;
    const int failed = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return failed == 0 ? ChildProcess(pid) : ChildProcess();
}

ChildProcess ChildProcess::startCopy(const std::function<int()>& work) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        // The copy only works and leaves: no exit handlers, no flushing of the parent's
        // buffers, nothing that the parent's other threads might have held.
        int result = 1;
        try {
            result = work();
        } catch (...) {
        }
        ::_exit(result);
    }
    return ChildProcess(pid);
}

ChildProcess::~ChildProcess() {
    (void)await(true);
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : m_pid(std::exchange(other.m_pid, -1)) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        (void)await(true);
        m_pid = std::exchange(other.m_pid, -1);
    }
    return *this;
}

std::optional<ProgramRun> ChildProcess::await(bool block) {
    if (m_pid <= 0) {
        return std::nullopt;
    }
    int status = 0;
    pid_t ended = 0;
    do {
        ended = ::waitpid(m_pid, &status, block ? 0 : WNOHANG);
    } while (ended < 0 && errno == EINTR);
    if (ended == 0) {
        return std::nullopt;
    }
    m_pid = -1;
    ProgramRun run;
    run.started = true;
    run.exited = ended > 0 && WIFEXITED(status);
    run.exitCode = run.exited ? WEXITSTATUS(status) : -1;
    return run;
}

std::optional<ProgramRun> ChildProcess::poll() {
    return await(false);
}

ProgramRun ChildProcess::wait() {
    return await(true).value_or(ProgramRun{});
}

void ChildProcess::end() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        (void)await(true);
    }
}

ProgramRun runProgram(const std::vector<std::string>& arguments) {
    return ChildProcess::start(arguments).wait();
}

int RunAndWait(const std::vector<std::string>& arguments) {
    const ProgramRun run = runProgram(arguments);
    return run.started && run.exited ? run.exitCode : -1;
}

void startDetached(const std::vector<std::string>& arguments) {
    // The child is reaped on a thread of its own: the caller returns at once and no zombie stays.
    ChildProcess child = ChildProcess::start(arguments);
    if (child.isRunning()) {
        std::thread([child = std::move(child)]() mutable { (void)child.wait(); }).detach();
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

long long currentProcessId() {
    return ::getpid();
}

namespace {

// The process's status line, whose fields behind the command name (which may itself hold
// blanks) are counted from its closing parenthesis; empty when there is no such process.
std::string statusLine(long long process) {
    return readProcFile("/proc/" + std::to_string(process) + "/stat");
}

// Field `number` (from 1) of a status line, or empty.
std::string statusField(const std::string& status, int number) {
    size_t at = status.rfind(')');
    for (int field = 2; at != std::string::npos && field < number; ++field) {
        at = status.find(' ', at + 1);
    }
    return at == std::string::npos ? std::string()
                                   : status.substr(at + 1, status.find(' ', at + 1) - at - 1);
}

}  // namespace

std::string processStart(long long process) {
    // Field 22 is its start, in clock ticks since the boot.
    const std::string ticks = statusField(statusLine(process), 22);
    if (ticks.empty()) {
        return {};
    }
    // Short enough for a file name.
    return hexHash(readProcFile("/proc/sys/kernel/random/boot_id") + ticks);
}

bool processRuns(long long process, const std::string& start) {
    if (process <= 0 || process > std::numeric_limits<pid_t>::max() ||
        (::kill(static_cast<pid_t>(process), 0) != 0 && errno != EPERM)) {
        return false;
    }
    // A process killed but not yet reaped by its parent (state Z or X) runs no more: its
    // window's data must be offered at once.
    const std::string state = statusField(statusLine(process), 3);
    if (state == "Z" || state == "X") {
        return false;
    }
    const std::string now = start.empty() ? std::string() : processStart(process);
    return now.empty() || now == start;
}

void exitProcess() {
    std::_Exit(0);
}

}  // namespace quorvia::platform
