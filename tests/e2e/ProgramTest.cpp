// The real program, started in a temporary start directory.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "support/TempDir.h"

extern char** environ;

namespace quorvia {
namespace {

using namespace std::chrono_literals;

// The program running headless in `folder` until the guard ends it.
class RunningProgram final {
public:
    explicit RunningProgram(const std::string& folder) {
        std::vector<std::string> environment{"QT_QPA_PLATFORM=offscreen"};
        for (char** variable = environ; *variable != nullptr; ++variable) {
            if (std::strncmp(*variable, "QT_QPA_PLATFORM=", 16) != 0) {
                environment.emplace_back(*variable);
            }
        }
        std::vector<char*> envp;
        for (std::string& variable : environment) {
            envp.push_back(variable.data());
        }
        envp.push_back(nullptr);
        std::string program = QUORVIA_PROGRAM;
        char* argv[] = {program.data(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
        m_started =
            posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv, envp.data()) == 0;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~RunningProgram() { stop(); }

    bool started() const { return m_started; }
    bool running() { return m_started && m_pid > 0 && waitpid(m_pid, &m_status, WNOHANG) == 0; }
    // Ends the program the way a session's end does: no close handler runs.
    void stop() {
        if (running()) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, &m_status, 0);
        }
        m_pid = -1;
    }

private:
    pid_t m_pid = -1;
    int m_status = 0;
    bool m_started = false;
};

bool waitFor(const testing::TempDir& dir, const std::string& name) {
    for (auto waited = 0ms; waited < 30s; waited += 50ms) {
        if (dir.exists(name)) {
            return true;
        }
        std::this_thread::sleep_for(50ms);
    }
    return false;
}

TEST(Program, FirstStartWritesTheSettingsAndKeepsRunning) {
    testing::TempDir dir;
    RunningProgram program(dir.path());
    ASSERT_TRUE(program.started());
    ASSERT_TRUE(waitFor(dir, "Quorvia.ini"));
    std::this_thread::sleep_for(500ms);
    EXPECT_TRUE(program.running()) << "the window stays open";
    EXPECT_EQ(dir.read("Quorvia.ini"), dir.path() + "/Quorvia\r\n");
    program.stop();
    EXPECT_FALSE(dir.exists("Quorvia")) << "ending without the close saves nothing";
}

TEST(Program, OpensTheDatabaseTheSettingsName) {
    testing::TempDir dir;
    const std::string database = "Phone book\r\n\tO;Contacts;3\r\n\t\tT;Phone;555\r\n";
    dir.write("phone.db", database);
    dir.write("Quorvia.ini", dir.path("phone.db") + "\r\n");
    RunningProgram program(dir.path());
    ASSERT_TRUE(program.started());
    std::this_thread::sleep_for(1500ms);
    EXPECT_TRUE(program.running());
    program.stop();
    EXPECT_EQ(dir.read("phone.db"), database);
    EXPECT_EQ(dir.read("Quorvia.ini"), dir.path("phone.db") + "\r\n");
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"Quorvia.ini", "phone.db"}));
}

}  // namespace
}  // namespace quorvia
