#include "editing/Replace.h"

#include <utility>
#include <vector>

#include "editing/Find.h"
#include "model/NodeRecord.h"

namespace quorvia::editing {

namespace {

// The record with its names and values replaced; nothing when none holds the text. Fields are
// cut at every ";", so a replacement never reaches across one.
std::optional<std::string> replacedRecord(std::string_view record, const FieldReplace& replace) {
    const bool object = record.substr(0, 2) == "O;";
    if (!object && record.substr(0, 2) != "T;") {
        return std::nullopt;
    }
    const size_t nameEnd = record.find(';', 2);
    if (nameEnd == std::string_view::npos) {
        return std::nullopt;  // fewer than three fields: neither a name nor a value
    }
    // An object's name is field 1; its icon field and anything behind it stay as they are.
    const size_t end = object ? nameEnd : record.size();
    std::optional<std::string> replaced;
    size_t start = 2;
    while (start <= end) {
        size_t fieldEnd = record.find(';', start);
        if (fieldEnd == std::string_view::npos || fieldEnd > end) {
            fieldEnd = end;
        }
        const std::string_view field = record.substr(start, fieldEnd - start);
        std::optional<std::string> changed = replace(field);
        if (changed && !replaced) {
            replaced.emplace(record.substr(0, start));
        }
        if (replaced) {
            replaced->append(changed ? *changed : std::string(field));
            if (fieldEnd < end) {
                replaced->push_back(';');
            }
        }
        start = fieldEnd + 1;
    }
    if (replaced) {
        replaced->append(record.substr(end));
    }
    return replaced;
}

std::string nodesChangedMessage(int nodes) {
    return std::to_string(nodes) + (nodes == 1 ? " node changed." : " nodes changed.");
}

}  // namespace

std::optional<int> replaceInRecords(model::PairedTrees& trees, const FieldReplace& replace) {
    // Every change is found before the first is made, so a failure changes nothing.
    std::vector<std::pair<model::NodePair, std::string>> changes;
    bool found = false;
    model::NodePair pair{trees.display().firstTopLevel(), trees.records().firstTopLevel()};
    if (!pair) {
        return std::nullopt;
    }
    // The root holds no record.
    for (pair = {model::Tree::nextInPreorder(pair.display),
                 model::Tree::nextInPreorder(pair.record)};
         pair; pair = {model::Tree::nextInPreorder(pair.display),
                       model::Tree::nextInPreorder(pair.record)}) {
        std::optional<std::string> record = replacedRecord(pair.record->text(), replace);
        if (!record) {
            continue;
        }
        found = true;
        if (*record != pair.record->text()) {
            changes.emplace_back(pair, std::move(*record));
        }
    }
    if (!found) {
        return std::nullopt;
    }
    model::PairedTrees::Step step(trees);
    const model::PairedTrees::BulkEdit bulk(trees);
    model::DecodedRecord decoded;
    for (const auto& [changed, record] : changes) {
        model::decodeRecord(record, decoded);
        trees.setPair(changed, decoded.displayText, decoded.iconIndex, record);
    }
    return static_cast<int>(changes.size());
}

Replacer::Replacer(ReplacementMaker makeReplacement)
    : m_makeReplacement(std::move(makeReplacement)) {}

void Replacer::replaceAll(model::PairedTrees& trees, platform::UserPrompts& prompts) {
    const std::optional<platform::ReplaceFields> entered = prompts.editReplace(m_last);
    if (!entered || entered->text.empty()) {
        return;
    }
    m_last = *entered;
    if (m_last.replacement.find(';') != std::string::npos) {
        prompts.warn(model::semicolonInFieldMessage(m_last.replacement));
        return;
    }
    const Replacement replacement = m_makeReplacement(m_last);
    if (replacement.refusal) {
        prompts.warn(*replacement.refusal);
        return;
    }
    if (const std::optional<int> changed = replaceInRecords(trees, replacement.replace)) {
        prompts.inform(nodesChangedMessage(*changed));
    } else {
        prompts.warn(notFoundWarning(m_last.text));
    }
}

}  // namespace quorvia::editing
