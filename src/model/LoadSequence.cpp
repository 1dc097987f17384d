#include "model/LoadSequence.h"

#include <memory>
#include <vector>

#include "model/DatabaseFile.h"
#include "model/DisplayRebuild.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace quorvia::model {

namespace {

// Fills the record tree from the file's bytes; on a failure, or with nothing read, it gets one
// root named after the file. True when its texts are those of the file.
bool fillRecordTree(Tree& tree, const std::shared_ptr<const std::string>& content,
                    std::string_view fileName, std::optional<Error>& failure) {
    tree.clear();
    if (content) {
        try {
            parseDatabase(tree, content);
        } catch (const Error& error) {
            tree.clear();
            failure = error;
        }
    }
    if (tree.isEmpty()) {
        tree.appendChild(nullptr, fileName);
        return false;
    }
    return true;
}

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

}  // namespace

std::optional<Error> loadDatabase(PairedTrees& trees, FieldList& fields, const std::string& path) {
    std::optional<Error> failure;
    // The file is read once; both trees take their texts from the same bytes.
    std::shared_ptr<std::string> content;
    if (platform::fileExists(path)) {
        content = std::make_shared<std::string>();
        if (platform::readWholeFile(path, *content) != 0) {
            content.reset();
            failure = openError(path);
        }
    }
    const std::string_view fileName = platform::fileNamePart(path);

    bool fromFile = false;
    {
        BulkUpdate update(trees.tvMirror);
        fromFile = fillRecordTree(trees.tvMirror, content, fileName, failure);
    }
    std::optional<Error> shortRecord;
    {
        BulkUpdate update(trees.tvMain);
        copyShape(trees.tvMirror, trees.tvMain, fromFile ? content : nullptr);
        shortRecord = rebuildDisplay(trees.tvMain, fields, fileName);
    }
    if (shortRecord) {
        throw *shortRecord;
    }
    return failure;
}

}  // namespace quorvia::model
