// The recovery data of one database: its record tree as it was a moment ago, kept in the state
// folder under a name made from the database's full path, so that changes that a crash or Exit
// left unsaved can be offered again when the database is next opened.
#pragma once

#include <sys/types.h>

#include <ctime>
#include <memory>
#include <optional>
#include <string>

#include "model/Tree.h"

namespace quorvia::workspace {

struct RecoveredDatabase {
    std::time_t keptAt = 0;
    std::shared_ptr<const std::string> content;  // the database file's bytes
};

class RecoveryData final {
public:
    enum class Writer { None, Running, Succeeded, Failed };

    // `fullPath`: the database's full path; `folder`: where the data is kept.
    RecoveryData(std::string fullPath, std::string folder);
    // Waits for a writer still running, so that no process is left behind unawaited.
    ~RecoveryData();
    RecoveryData(const RecoveryData&) = delete;
    RecoveryData& operator=(const RecoveryData&) = delete;

    const std::string& filePath() const { return m_file; }
    const std::string& lockPath() const { return m_lock; }
    // Makes the folder, readable by the user alone. False when it cannot be made.
    bool prepareFolder();

    // The data kept for this database, when there is a readable one.
    std::optional<RecoveredDatabase> read() const;

    // Starts writing the tree in a child process: it works on its own copy of the memory and
    // does nothing but write, so the window goes on at once. False when none could start.
    bool startWriting(const model::Tree& records);
    // What became of the writer started last; Succeeded and Failed are told once.
    Writer pollWriter();
    // True from the start of a writer until pollWriter() has told its end.
    bool hasWriter() const { return m_writer > 0; }
    // Writes the tree at once, after a writer still running has ended. True when written.
    bool writeNow(const model::Tree& records);
    // Stops a running writer and deletes the data.
    void remove();

private:
    bool write(const model::Tree& records) const;
    Writer awaitWriter(bool block);

    std::string m_fullPath;
    std::string m_folder;
    std::string m_file;
    std::string m_lock;
    pid_t m_writer = -1;
};

// The date and time the data was kept, as the question shows it.
std::string describeTime(std::time_t time);

}  // namespace quorvia::workspace
