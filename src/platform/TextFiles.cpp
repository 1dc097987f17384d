#include "platform/TextFiles.h"

#include <algorithm>
#include <cstring>

#include "platform/FileErrors.h"
#include "platform/Files.h"

namespace quorvia::platform {

namespace {
constexpr char kCtrlZ = '\x1A';
}

TextLineReader::TextLineReader(std::string content) : m_content(std::move(content)) {}

bool TextLineReader::atEnd() const {
    return m_position >= m_content.size() || m_content[m_position] == kCtrlZ;
}

std::string_view TextLineReader::readLine() {
    if (atEnd()) {
        return {};
    }
    const char* begin = m_content.data() + m_position;
    const size_t rest = m_content.size() - m_position;
    const char* newline = static_cast<const char*>(std::memchr(begin, '\n', rest));
    const size_t length = newline != nullptr ? static_cast<size_t>(newline - begin) : rest;
    m_position += newline != nullptr ? length + 1 : length;

    std::string_view line(begin, length);
    const auto firstCr = line.find('\r');
    if (firstCr == std::string_view::npos) {
        return line;
    }
    // The usual case: the CR of CR LF, and no other.
    if (firstCr + 1 == line.size()) {
        return line.substr(0, firstCr);
    }
    // Every other CR is a lone one and is dropped too.
    m_lineWithoutCr.assign(line.substr(0, firstCr));
    for (size_t from = firstCr + 1; from < line.size();) {
        const auto next = std::min(line.find('\r', from), line.size());
        m_lineWithoutCr.append(line.substr(from, next - from));
        from = next + 1;
    }
    return m_lineWithoutCr;
}

int TextLineReader::firstLineWithNul() const {
    if (std::memchr(m_content.data(), '\0', m_content.size()) == nullptr) {
        return 0;
    }
    int line = 1;
    for (size_t start = 0; start < m_content.size() && m_content[start] != kCtrlZ; ++line) {
        const char* begin = m_content.data() + start;
        const void* newline = std::memchr(begin, '\n', m_content.size() - start);
        const size_t end =
            newline != nullptr
                ? static_cast<size_t>(static_cast<const char*>(newline) - m_content.data())
                : m_content.size();
        if (std::memchr(begin, '\0', end - start) != nullptr) {
            return line;
        }
        start = end + 1;
    }
    return 0;
}

std::string nulLineMessage(const std::string& path, int line) {
    return "Line " + std::to_string(line) + " of \"" + path +
           "\" holds a NUL byte, which the database cannot keep; nothing was imported.";
}

TextLineReader openTextFile(const std::string& path) {
    std::string content;
    raiseOnFailure(readWholeFile(path, content), FileAction::Read);
    return TextLineReader(std::move(content));
}

TextFileWriter::TextFileWriter(std::string path) : m_path(std::move(path)) {}

void TextFileWriter::writeLine(std::string_view line) {
    m_content.append(line);
    m_content.append("\r\n");
}

void TextFileWriter::commit() {
    writeTextFile(m_path, m_content);
}

void writeTextFile(const std::string& path, std::string_view content) {
    bool failedAtCreate = false;
    const int error = replaceFile(path, content, &failedAtCreate);
    raiseOnFailure(error, failedAtCreate ? FileAction::Create : FileAction::Read);
}

}  // namespace quorvia::platform
