#include "workspace/RecoveryData.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "model/DatabaseFile.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace quorvia::workspace {

namespace {

// The first line of every recovery file; the next lines hold the time it was kept, the length
// of the database's full path and the path itself, then the database file's bytes follow.
constexpr std::string_view kMagic = "Quorvia recovery data 1\n";

// FNV-1a: the file name only has to tell paths apart; the path kept inside confirms it.
std::string nameOf(const std::string& fullPath) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char byte : fullPath) {
        hash = (hash ^ static_cast<unsigned char>(byte)) * 1099511628211ULL;
    }
    char name[17];
    std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(hash));
    return name;
}

std::string header(const std::string& fullPath) {
    return std::string(kMagic) + std::to_string(std::time(nullptr)) + "\n" +
           std::to_string(fullPath.size()) + "\n" + fullPath + "\n";
}

// Reads a decimal number ended by a line end; false when there is none.
bool readNumber(std::string_view& text, long long& number) {
    const auto end = text.find('\n');
    if (end == 0 || end == std::string_view::npos || end > 19) {
        return false;
    }
    number = 0;
    for (const char digit : text.substr(0, end)) {
        if (digit < '0' || digit > '9') {
            return false;
        }
        number = number * 10 + (digit - '0');
    }
    text.remove_prefix(end + 1);
    return true;
}

}  // namespace

RecoveryData::RecoveryData(std::string fullPath, std::string folder)
    : m_fullPath(std::move(fullPath)), m_folder(std::move(folder)) {
    const std::string name = platform::joinPath(m_folder, nameOf(m_fullPath));
    m_file = name + ".recovery";
    m_lock = name + ".lock";
}

RecoveryData::~RecoveryData() {
    awaitWriter(true);
}

bool RecoveryData::prepareFolder() {
    return platform::makeFolders(m_folder, 0700) == 0;
}

std::optional<RecoveredDatabase> RecoveryData::read() const {
    std::string bytes;
    if (!platform::fileExists(m_file) || platform::readWholeFile(m_file, bytes) != 0) {
        return std::nullopt;
    }
    std::string_view text = bytes;
    long long keptAt = 0;
    long long pathLength = 0;
    if (text.substr(0, kMagic.size()) != kMagic) {
        return std::nullopt;
    }
    text.remove_prefix(kMagic.size());
    if (!readNumber(text, keptAt) || !readNumber(text, pathLength) ||
        text.substr(0, static_cast<size_t>(pathLength)) != m_fullPath ||
        text.substr(m_fullPath.size(), 1) != "\n") {
        return std::nullopt;
    }
    text.remove_prefix(m_fullPath.size() + 1);
    return RecoveredDatabase{static_cast<std::time_t>(keptAt),
                             std::make_shared<const std::string>(text)};
}

bool RecoveryData::write(const model::Tree& records) const {
    std::string content = header(m_fullPath);
    content += model::formatDatabase(records);
    return platform::replaceFile(m_file, content) == 0;
}

bool RecoveryData::startWriting(const model::Tree& records) {
    if (m_writer > 0 || !prepareFolder()) {
        return false;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        // The child only writes and leaves: no exit handlers, no flushing of the window's
        // buffers, nothing that the window's other threads might have held.
        bool written = false;
        try {
            written = write(records);
        } catch (...) {
        }
        ::_exit(written ? 0 : 1);
    }
    m_writer = child;
    return child > 0;
}

RecoveryData::Writer RecoveryData::awaitWriter(bool block) {
    if (m_writer <= 0) {
        return Writer::None;
    }
    int status = 0;
    pid_t ended = ::waitpid(m_writer, &status, block ? 0 : WNOHANG);
    while (ended < 0 && errno == EINTR) {
        ended = ::waitpid(m_writer, &status, block ? 0 : WNOHANG);
    }
    if (ended == 0) {
        return Writer::Running;
    }
    m_writer = -1;
    const bool succeeded = ended > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return succeeded ? Writer::Succeeded : Writer::Failed;
}

RecoveryData::Writer RecoveryData::pollWriter() {
    return awaitWriter(false);
}

bool RecoveryData::writeNow(const model::Tree& records) {
    awaitWriter(true);
    return prepareFolder() && write(records);
}

void RecoveryData::remove() {
    if (m_writer > 0) {
        ::kill(m_writer, SIGKILL);
        awaitWriter(true);
    }
    platform::deleteFile(m_file);
}

std::string describeTime(std::time_t time) {
    std::tm local{};
    char text[32] = "";
    if (::localtime_r(&time, &local) != nullptr) {
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    }
    return text;
}

}  // namespace quorvia::workspace
