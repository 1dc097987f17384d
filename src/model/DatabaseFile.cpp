#include "model/DatabaseFile.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/Files.h"

namespace quorvia::model {

Error openError(const std::string& path) {
    return Error("Impossible d'ouvrir le fichier " + path);
}

Error createError(const std::string& path) {
    return Error("Impossible de créer le fichier " + path);
}

Error invalidLevelError(int level, std::string_view text) {
    std::string message = "Niveau incorrect (" + std::to_string(level) + ") pour l'élément \"";
    message.append(text).append("\"");
    return Error(std::move(message));
}

Error textAfterNulError(const std::string& path, std::string_view beforeNul) {
    const auto line = std::count(beforeNul.begin(), beforeNul.end(), '\n') + 1;
    return Error("Line " + std::to_string(line) + " of \"" + path +
                 "\" holds a NUL byte. The text after it is not shown; the first change or a "
                 "Save writes the file without it.");
}

DatabaseText readDatabaseText(const std::string& path) {
    auto bytes = std::make_shared<std::string>();
    bool textAfterNul = false;
    if (platform::readTextBeforeNul(path, *bytes, textAfterNul) != 0) {
        throw openError(path);
    }
    return DatabaseText{std::move(bytes), textAfterNul};
}

void readDatabaseFile(Tree& tree, const std::string& path, bool* textAfterNul) {
    DatabaseText text = readDatabaseText(path);
    if (textAfterNul != nullptr) {
        *textAfterNul = text.textAfterNul;
    }
    parseDatabase(tree, std::move(text.bytes));
}

DatabaseLines::DatabaseLines(std::string_view content)
    : m_position(content.data()),
      m_end(content.data() + content.size()),
      m_nextCr(m_position),
      m_nextLf(m_position) {
    // A NUL ends the text.
    if (const void* nul = std::memchr(m_position, '\0', content.size()); nul != nullptr) {
        m_end = static_cast<const char*>(nul);
    }
}

// The next CR and the next LF are each searched for once, so the scan stays linear whichever of
// them the text uses.
void DatabaseLines::findNext(const char*& next, char c) const {
    if (next < m_position) {
        next = m_position;
    }
    if (next < m_end && *next != c) {
        const void* found = std::memchr(next, c, static_cast<size_t>(m_end - next));
        next = found != nullptr ? static_cast<const char*>(found) : m_end;
    }
}

bool DatabaseLines::next(size_t& level, std::string_view& text) {
    if (m_position >= m_end) {
        return false;
    }
    findNext(m_nextCr, '\r');
    findNext(m_nextLf, '\n');
    const char* lineEnd = std::min(m_nextCr, m_nextLf);
    const char* start = m_position;
    while (start < lineEnd && (*start == '\t' || *start == ' ')) {
        ++start;
    }
    level = static_cast<size_t>(start - m_position);
    text = std::string_view(start, static_cast<size_t>(lineEnd - start));

    // CR, LF and CR LF each end a line.
    m_position = lineEnd;
    if (m_position < m_end && *m_position++ == '\r' && m_position < m_end && *m_position == '\n') {
        ++m_position;
    }
    return true;
}

void parseDatabase(Tree& tree, std::shared_ptr<const std::string> content) {
    BulkUpdate update(tree);
    tree.clear();
    tree.adoptBuffer(content);

    DatabaseLines lines(*content);
    size_t level = 0;
    std::string_view nodeText;
    // path[L] is the last node placed at level L; the previous node is path.back().
    std::vector<Node*> path;
    while (lines.next(level, nodeText)) {
        if (path.empty()) {
            path.push_back(tree.appendChildReferencing(nullptr, nodeText));
        } else {
            checkNesting(level, path.size() - 1, static_cast<int>(level), nodeText);
            path.resize(level);
            Node* parent = level > 0 ? path.back() : nullptr;
            path.push_back(tree.appendChildReferencing(parent, nodeText));
        }
    }
}

namespace {

size_t databaseSize(const Tree& tree) {
    size_t size = 0;
    forEachWithLevel(tree, [&](const Node& node, int level) {
        size += static_cast<size_t>(level) + node.text().size() + 2;
    });
    return size;
}

}  // namespace

std::string formatDatabase(const Tree& tree) {
    // The first walk sizes the buffer so the second never reallocates.
    std::string content;
    content.reserve(databaseSize(tree));
    forEachWithLevel(tree, [&](const Node& node, int level) {
        appendDatabaseLine(content, static_cast<size_t>(level), node.text());
    });
    return content;
}

std::string formatSubtree(const Node& top, std::string_view lineEnd) {
    std::string content;
    forEachInSubtree(top, [&](const Node& node, int level) {
        appendDatabaseLine(content, static_cast<size_t>(level), node.text(), lineEnd);
    });
    return content;
}

void appendDatabaseLine(std::string& content, size_t level, std::string_view text,
                        std::string_view lineEnd) {
    content.append(level, '\t').append(text).append(lineEnd);
}

void checkNesting(size_t level, size_t previousLevel, int reportedLevel, std::string_view text) {
    if (level > previousLevel + 1) {
        throw invalidLevelError(reportedLevel, text);
    }
}

void writeDatabaseFile(const Tree& tree, const std::string& path) {
    // Written block by block from one reused buffer: the whole file's bytes in fresh memory
    // would cost a page fault per page at every save, which grows faster than the file.
    constexpr size_t kBlock = 1 << 20;
    platform::FileReplacement file(path);
    int failed = file.create();
    if (failed == 0) {
        failed = file.reserve(static_cast<off_t>(databaseSize(tree)));
    }
    std::string block;
    block.reserve(kBlock + 4096);
    forEachWithLevel(tree, [&](const Node& node, int level) {
        if (failed != 0) {
            return;
        }
        appendDatabaseLine(block, static_cast<size_t>(level), node.text());
        if (block.size() >= kBlock) {
            failed = file.write(block);
            block.clear();
        }
    });
    if (failed == 0) {
        failed = file.write(block);
    }
    if (failed == 0) {
        failed = file.commit();
    }
    if (failed != 0) {
        throw createError(path);
    }
}

}  // namespace quorvia::model
