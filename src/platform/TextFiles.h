// Text files other than the database file: read line by line, written with CR LF after every
// line (the last one included).
#pragma once

#include <string>
#include <string_view>

namespace quorvia::platform {

// Cuts a file's bytes into lines: a line ends at LF or CR LF, a CR not followed by LF is
// dropped, a Ctrl-Z at the start of a line ends the file, lines have no length limit, and the
// last line needs no line end.
class TextLineReader final {
public:
    explicit TextLineReader(std::string content);

    // True at the end of the bytes, or when the next line starts with Ctrl-Z.
    bool atEnd() const;

    // The next line, valid until the next call; an empty line at the end.
    std::string_view readLine();

    // The number (from 1) of the first line holding a NUL byte, or 0 when none does.
    int firstLineWithNul() const;

private:
    std::string m_content;
    size_t m_position = 0;
    std::string m_lineWithoutCr;
};

// What an import says of a file with a NUL byte in line `line`: the database file ends its text
// at a NUL, so such a line would vanish at the next load.
std::string nulLineMessage(const std::string& path, int line);

// Opens and reads the whole file, raising the text-file error of a failure.
TextLineReader openTextFile(const std::string& path);

// Replaces the file with `content` (lines already ended by CR LF) in one safe step; raises the
// text-file error of a failure, leaving the old file as it was.
void writeTextFile(const std::string& path, std::string_view content);

// Collects the lines of a text file and replaces the file with them in one safe step.
class TextFileWriter final {
public:
    explicit TextFileWriter(std::string path);

    void writeLine(std::string_view line);
    // Replaces the file; raises the text-file error of a failure, leaving the old file as it was.
    void commit();

private:
    std::string m_path;
    std::string m_content;
};

}  // namespace quorvia::platform
