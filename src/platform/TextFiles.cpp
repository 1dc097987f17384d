#include "platform/TextFiles.h"

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
    if (line.find('\r') == std::string_view::npos) {
        return line;
    }
    // Every CR left in the line is either the CR of CR LF or a lone CR: both are dropped.
    m_lineWithoutCr.clear();
    for (char c : line) {
        if (c != '\r') {
            m_lineWithoutCr.push_back(c);
        }
    }
    return m_lineWithoutCr;
}

TextLineReader openTextFile(const std::string& path) {
    std::string content;
    if (const int error = readWholeFile(path, content); error != 0) {
        throw textFileError(error, FileAction::Read);
    }
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
    if (const int error = replaceFile(path, content, &failedAtCreate); error != 0) {
        throw textFileError(error, failedAtCreate ? FileAction::Create : FileAction::Read);
    }
}

}  // namespace quorvia::platform
