// Fuzz target of the settings file: whatever Quorvia.ini holds, the start reads one database
// path from its first line, with no line end left in it.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "fuzz/FuzzChecks.h"
#include "model/PairedTrees.h"
#include "platform/Error.h"
#include "support/FakePrompts.h"
#include "workspace/Workspace.h"

namespace {

using namespace quorvia;
using fuzz::check;

// The first line as the settings file means it: up to the first LF, every CR dropped; a file
// that starts with Ctrl-Z holds no line.
std::string expectedPath(const std::string& bytes) {
    std::string line;
    if (!bytes.empty() && bytes.front() == '\x1A') {
        return line;
    }
    for (char c : bytes.substr(0, bytes.find('\n'))) {
        if (c != '\r') {
            line.push_back(c);
        }
    }
    return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::RamFolder& folder = fuzz::RamFolder::instance();
    // The start directory is the current one; the process moves into its own folder once.
    static const bool moved = ::chdir(folder.path().c_str()) == 0;
    check(moved, "the fuzz folder becomes the current directory");
    static const std::string startDirectory = std::filesystem::current_path().string();

    const std::string bytes(reinterpret_cast<const char*>(data), size);
    folder.write(workspace::kSettingsFileName, bytes);
    model::PairedTrees trees;
    quorvia::testing::FakePrompts prompts;
    workspace::Workspace workspace(trees, prompts);
    try {
        workspace.start();
    } catch (const Error&) {
        check(false, "an existing settings file always reads");
    }
    const std::string& path = workspace.currentDatabasePath();
    check(path.find('\n') == std::string::npos, "the database path holds no LF");
    check(path.find('\r') == std::string::npos, "the database path holds no CR");
    check(path == expectedPath(bytes), "the database path is the first line");
    check(workspace.startDirectory() == startDirectory, "the start directory is the current one");
    check(prompts.asked.empty(), "the start asks nothing");
    return 0;
}
