#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/Process.h"
#include "support/TempDir.h"

namespace quorvia::platform {
namespace {

using ScopedPath = testing::ScopedEnvironmentVariable;

void writeScript(const testing::TempDir& dir, const std::string& name, const std::string& body) {
    testing::writeScript(dir.path(name), body);
}

TEST(Process, RunAndWaitPassesArgumentsWithoutAShell) {
    testing::TempDir dir;
    writeScript(dir, "tool", "printf '%s|' \"$@\" > args.txt; pwd > cwd.txt; exit 3");
    testing::ScopedCurrentDirectory inside(dir.path());
    ScopedPath path("PATH", dir.path() + ":/usr/bin:/bin");

    EXPECT_EQ(RunAndWait({"tool", "qv.pkg", "/a b/\"c\"; $HOME", "*"}), 3);
    EXPECT_EQ(dir.read("args.txt"), "qv.pkg|/a b/\"c\"; $HOME|*|");
    EXPECT_EQ(dir.read("cwd.txt"), dir.path() + "\n") << "the working directory is inherited";
}

TEST(Process, RunAndWaitGivesMinusOneWhenNothingRanToItsEnd) {
    testing::TempDir dir;
    writeScript(dir, "crash", "kill -9 $$");
    EXPECT_EQ(RunAndWait({dir.path("no-such-program")}), -1);
    EXPECT_EQ(RunAndWait({"quorvia-no-such-program"}), -1);
    EXPECT_EQ(RunAndWait({dir.path("crash")}), -1);
    EXPECT_EQ(RunAndWait({}), -1);
    EXPECT_EQ(RunAndWait({"true"}), 0);
}

TEST(Process, AChildIsPolledEndedAndAwaited) {
    ChildProcess copy = ChildProcess::startCopy([] { return 7; });
    EXPECT_EQ(copy.wait().exitCode, 7);
    EXPECT_FALSE(copy.isRunning());
    ChildProcess sleeper = ChildProcess::start({"sleep", "60"});
    EXPECT_FALSE(sleeper.poll()) << "still running";
    sleeper.end();
    EXPECT_FALSE(sleeper.isRunning());
    EXPECT_FALSE(ChildProcess::start({"quorvia-no-such-program"}).isRunning());
    EXPECT_FALSE(processRuns(1LL << 40, ""));
    EXPECT_TRUE(processRuns(currentProcessId(), processStart(currentProcessId())));
    EXPECT_FALSE(processRuns(currentProcessId(), "0")) << "a process of the same id before";

    // A child that ended but is not yet awaited (a killed window its parent has not reaped)
    // runs no more.
    ChildProcess ended = ChildProcess::startCopy([] { return 0; });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (processRuns(ended.processId(), "") && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_FALSE(processRuns(ended.processId(), ""));
    EXPECT_EQ(ended.wait().exitCode, 0) << "it was still there to be awaited";
}

TEST(Process, FindProgramSearchesPath) {
    testing::TempDir dir;
    writeScript(dir, "builder", "exit 0");
    dir.write("plain", "not executable");
    ScopedPath path("PATH", "/nonexistent:" + dir.path());
    EXPECT_EQ(findProgram("builder"), dir.path("builder"));
    EXPECT_EQ(findProgram("plain"), std::nullopt);
    EXPECT_EQ(findProgram("missing"), std::nullopt);
}

}  // namespace
}  // namespace quorvia::platform
