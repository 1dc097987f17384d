// Starting other programs and copies of this one, watching them end, and ending this process.
#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorvia::platform {

// How a program that was run ended.
struct ProgramRun {
    bool started = false;
    bool exited = false;  // ended by itself rather than by a signal
    int exitCode = -1;
};

// Where a started program works and what becomes of its output: empty keeps this process's
// working directory, standard output or standard error; a file named is made or emptied.
struct ProgramPlace {
    std::string folder;
    std::string output;
    std::string errors;
};

// One child process: a program started from its arguments, or a copy of this process that runs
// one function. Dropping a handle whose child still runs waits for it, so no child is left
// unawaited.
class ChildProcess final {
public:
    // Starts the program named by arguments[0] (searched on PATH, never through a shell), with
    // this process's environment and, unless `place` names others, its working directory and
    // output.
    static ChildProcess start(const std::vector<std::string>& arguments,
                              const ProgramPlace& place = {});
    // Runs `work` in a copy of this process, which sees this process's memory as it is now and
    // ends with the number `work` returns, without running exit handlers or flushing buffers.
    static ChildProcess startCopy(const std::function<int()>& work);

    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // True from a successful start until the child's end has been told.
    bool isRunning() const { return m_pid > 0; }
    long long processId() const { return m_pid; }
    // The child's end when it has ended, without waiting; nothing while it runs.
    std::optional<ProgramRun> poll();
    // Waits for the child's end without a time limit.
    ProgramRun wait();
    // Ends the child at once and waits for it.
    void end();

private:
    explicit ChildProcess(pid_t pid) : m_pid(pid) {}
    std::optional<ProgramRun> await(bool block);

    pid_t m_pid = -1;
};

// Starts the program and waits for it without a time limit.
ProgramRun runProgram(const std::vector<std::string>& arguments);

// The same, as one number: the exit code, or -1 when the program could not be started or did
// not end normally.
int RunAndWait(const std::vector<std::string>& arguments);

// Starts the program without waiting; whether it could be started is not examined.
void startDetached(const std::vector<std::string>& arguments);

// The full path of the executable file `name` on PATH, if there is one.
std::optional<std::string> findProgram(const std::string& name);

// This process's id, and a text that tells this run of the process from any earlier process
// given the same id (its start since the boot, and the boot); empty where the system does not
// tell.
long long currentProcessId();
std::string processStart(long long process);
// Whether the process runs and, when `start` is not empty, is the one that `start` was taken
// from.
bool processRuns(long long process, const std::string& start);

// Ends the process at once with exit code 0: no handler of the window runs.
[[noreturn]] void exitProcess();

}  // namespace quorvia::platform
