#include "support/TempDir.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace quorvia::testing {

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "quorvia-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

// Whatever a test starts (the workspace, the window, the program itself) keeps its recovery
// data and lock files in a folder of this test process, never in the user's home.
static const TempDir g_stateHome;
static const bool g_stateHomeSet = ::setenv("XDG_STATE_HOME", g_stateHome.path().c_str(), 1) == 0;

void TempDir::write(const std::string& name, const std::string& bytes) const {
    writeBytes(path(name), bytes);
}

std::string TempDir::read(const std::string& name) const {
    return readBytes(path(name));
}

bool TempDir::exists(const std::string& name) const {
    std::error_code ignored;
    return fs::exists(path(name), ignored);
}

std::vector<std::string> TempDir::entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_path)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

ScopedCurrentDirectory::ScopedCurrentDirectory(const std::string& path)
    : m_previous(fs::current_path().string()) {
    fs::current_path(path);
}

ScopedCurrentDirectory::~ScopedCurrentDirectory() {
    std::error_code ignored;
    fs::current_path(m_previous, ignored);
}

ScopedEnvironmentVariable::ScopedEnvironmentVariable(const char* name, const std::string& value)
    : m_name(name) {
    if (const char* previous = std::getenv(name)) {
        m_previous = previous;
    }
    ::setenv(name, value.c_str(), 1);
}

ScopedEnvironmentVariable::~ScopedEnvironmentVariable() {
    if (m_previous) {
        ::setenv(m_name, m_previous->c_str(), 1);
    } else {
        ::unsetenv(m_name);
    }
}

void writeScript(const std::string& path, const std::string& body) {
    writeBytes(path, "#!/bin/sh\n" + body + "\n");
    fs::permissions(path, fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read);
}

}  // namespace quorvia::testing
