#include "model/LoadSequence.h"

#include <new>
#include <vector>

#include "model/DatabaseFile.h"
#include "model/DisplayRebuild.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace quorvia::model {

namespace {

// Gives the display tree the record tree's shape and texts: the same outcome as reading the
// same file a second time, without scanning it again.
void copyShape(const Tree& records, Tree& display,
               const std::shared_ptr<const std::string>& content) {
    display.clear();
    if (content) {
        display.adoptBuffer(content);
    }
    std::vector<Node*> path;  // path[L]: the last copy made at level L
    forEachWithLevel(records, [&](const Node& node, int level) {
        path.resize(static_cast<size_t>(level));
        Node* parent = level > 0 ? path.back() : nullptr;
        path.push_back(content ? display.appendChildReferencing(parent, node.text())
                               : display.appendChild(parent, node.text()));
    });
}

// Runs a step of the load; any failure, memory running out included, becomes the load's.
template <typename Step>
void attempt(std::optional<Error>& failure, Step&& step) {
    try {
        step();
    } catch (const Error& error) {
        failure = error;
    } catch (const std::bad_alloc&) {
        failure = Error(kOutOfMemoryMessage);
    }
}

}  // namespace

std::optional<Error> loadDatabaseContent(PairedTrees& trees,
                                         std::shared_ptr<const std::string> content,
                                         std::string_view fileName) {
    std::optional<Error> failure;
    std::optional<Error> shortRecord;
    BulkUpdate displayUpdate(trees.m_display);
    BulkUpdate recordUpdate(trees.m_records);
    trees.clearHistory();
    attempt(failure, [&] {
        trees.m_records.clear();
        if (content) {
            parseDatabase(trees.m_records, content);
        }
        copyShape(trees.m_records, trees.m_display, trees.m_records.isEmpty() ? nullptr : content);
        // The display nodes keep showing the file's records, so both trees share its bytes.
        shortRecord = rebuildDisplay(trees.m_display, fileName);
    });
    if (failure || trees.m_records.isEmpty()) {
        // Half a database is never kept: it would be saved over the whole one.
        trees.m_records.clear();
        trees.m_display.clear();
        content.reset();
        trees.m_records.appendChild(nullptr, fileName);
        trees.m_display.appendChild(nullptr, fileName);
        shortRecord = rebuildDisplay(trees.m_display, fileName);
    }
    if (shortRecord) {
        throw *shortRecord;
    }
    return failure;
}

std::optional<Error> loadDatabase(PairedTrees& trees, const std::string& path) {
    // The file is read once; both trees take their texts from the same bytes.
    std::shared_ptr<const std::string> content;
    std::optional<Error> unreadable;
    if (platform::fileExists(path)) {
        attempt(unreadable, [&] {
            DatabaseText text = readDatabaseText(path);
            content = std::move(text.bytes);
            if (text.textAfterNul) {
                // What lies behind the NUL is not shown, so no automatic save may drop it.
                unreadable = textAfterNulError(path, *content);
            }
        });
    }
    std::optional<Error> failure;
    try {
        failure = loadDatabaseContent(trees, std::move(content), platform::fileNamePart(path));
    } catch (const Error&) {
        // A short record is reported as an error, which would leave the file unprotected: text
        // behind a NUL is worth more than that report.
        if (!unreadable) {
            throw;
        }
    }
    return unreadable ? unreadable : failure;
}

}  // namespace quorvia::model
