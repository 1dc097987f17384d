// A temporary folder for one test, removed with everything in it at the end.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quorvia::testing {

class TempDir final {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    std::string path(const std::string& name) const { return m_path + "/" + name; }

    void write(const std::string& name, const std::string& bytes) const;
    std::string read(const std::string& name) const;
    bool exists(const std::string& name) const;
    // Names of the entries in the folder, sorted.
    std::vector<std::string> entries() const;

private:
    std::string m_path;
};

// Reads or writes any file's bytes directly, past the file-system seam.
std::string readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::string& bytes);

// Changes the process's current directory for the lifetime of the guard.
class ScopedCurrentDirectory final {
public:
    explicit ScopedCurrentDirectory(const std::string& path);
    ~ScopedCurrentDirectory();
    ScopedCurrentDirectory(const ScopedCurrentDirectory&) = delete;
    ScopedCurrentDirectory& operator=(const ScopedCurrentDirectory&) = delete;

private:
    std::string m_previous;
};

// Sets an environment variable for the lifetime of the guard.
class ScopedEnvironmentVariable final {
public:
    ScopedEnvironmentVariable(const char* name, const std::string& value);
    ~ScopedEnvironmentVariable();
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_previous;
};

// Writes an executable shell script.
void writeScript(const std::string& path, const std::string& body);

}  // namespace quorvia::testing
