// Starting other programs and ending this one.
#pragma once

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

// Starts the program named by arguments[0] (searched on PATH, never through a shell), with this
// process's environment and working directory, and waits for it without a time limit.
ProgramRun runProgram(const std::vector<std::string>& arguments);

// The same, as one number: the exit code, or -1 when the program could not be started or did
// not end normally.
int RunAndWait(const std::vector<std::string>& arguments);

// Starts the program without waiting; whether it could be started is not examined.
void startDetached(const std::vector<std::string>& arguments);

// The full path of the executable file `name` on PATH, if there is one.
std::optional<std::string> findProgram(const std::string& name);

// Ends the process at once with exit code 0: no handler of the window runs.
[[noreturn]] void exitProcess();

}  // namespace quorvia::platform
