// The database file: the record tree written line by line in pre-order, each line indented by
// one TAB per level and ended by CR LF.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "model/Tree.h"
#include "platform/Error.h"

namespace quorvia::model {

Error openError(const std::string& path);                   // "Impossible d'ouvrir le fichier %s"
Error createError(const std::string& path);                 // "Impossible de créer le fichier %s"
Error invalidLevelError(int level, std::string_view text);  // "Niveau incorrect (%d) pour ..."

// What a load tells the user of a file whose text goes on behind a NUL (`beforeNul`: the bytes
// read up to it): the reader ignores that text, so the file is protected like one that failed to
// load, and the message says why and what the first change or a Save would drop.
Error textAfterNulError(const std::string& path, std::string_view beforeNul);

// A database file's bytes up to its first NUL, which is all the reader uses.
struct DatabaseText {
    std::shared_ptr<const std::string> bytes;
    bool textAfterNul = false;  // a byte other than NUL, CR or LF follows the NUL
};

// Reads the bytes without ever holding what lies behind the NUL. Raises the open error when
// the file cannot be read or is no regular file (a pipe or device would never end).
DatabaseText readDatabaseText(const std::string& path);

// Replaces the tree's nodes with those of the file. Raises the open error when the file cannot
// be read, the invalid level error at a line nested too deep (keeping the nodes placed so far).
// `textAfterNul`, when given, tells whether text behind a NUL was left unread.
void readDatabaseFile(Tree& tree, const std::string& path, bool* textAfterNul = nullptr);

// Cuts a database file's text into lines: CR, LF and CR LF each end one, the last needs none, and
// a NUL ends the text. Each line's leading TABs and blanks are counted as its level.
class DatabaseLines final {
public:
    explicit DatabaseLines(std::string_view content);
    // The next line's level and text (valid while the content lives); false after the last.
    bool next(size_t& level, std::string_view& text);

private:
    void findNext(const char*& next, char c) const;

    const char* m_position;
    const char* m_end;
    const char* m_nextCr;
    const char* m_nextLf;
};

// The same from the file's bytes; node texts point into `content` without a copy.
void parseDatabase(Tree& tree, std::shared_ptr<const std::string> content);

// The file's bytes for a tree.
std::string formatDatabase(const Tree& tree);

// A node's subtree as lines of the file, the node itself at level 0, each ended by `lineEnd`.
std::string formatSubtree(const Node& top, std::string_view lineEnd);

// One line of the file: a TAB per level, the text, the line end.
void appendDatabaseLine(std::string& content, size_t level, std::string_view text,
                        std::string_view lineEnd = "\r\n");

// A line may lie at most one level deeper than the line before it; raises the invalid level
// error naming `reportedLevel` otherwise.
void checkNesting(size_t level, size_t previousLevel, int reportedLevel, std::string_view text);

// Writes the tree; on any failure raises the create error and leaves an existing file as it was.
void writeDatabaseFile(const Tree& tree, const std::string& path);

}  // namespace quorvia::model
