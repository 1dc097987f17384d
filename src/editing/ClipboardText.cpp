#include "editing/ClipboardText.h"

#include <vector>

#include "editing/Containment.h"
#include "editing/PastedRecords.h"
#include "model/DatabaseFile.h"
#include "model/FieldList.h"
#include "model/NodeRecord.h"

namespace quorvia::editing {

namespace {

constexpr std::int32_t kPastedObjectIcon = 0;

std::string lineMessage(int line, std::string_view text, const char* problem) {
    std::string message = "Line " + std::to_string(line) + " (\"";
    message.append(text).append("\") ").append(problem).append("; nothing was pasted.");
    return message;
}

// A non-empty line of the pasted text, its level counted from the first one.
struct PastedLine {
    size_t level;
    std::string_view text;
    bool record;  // an object or attribute record, else the name of an object
};

// Whether a pasted line is itself an object or attribute record (any number of fields past 3).
bool isRecord(model::FieldList& fields, std::string_view line) {
    fields.split(line);
    return fields.count() >= 3 && (fields.field(0) == "O" || fields.field(0) == "T");
}

// The lines to paste, or nothing after the warning naming the first line that cannot be pasted:
// one nested too deep, or one that is no record and holds a semicolon, which no object's name
// can keep (the phone and the next load would split it there).
std::optional<std::vector<PastedLine>> readLines(std::string_view text, TextSource source,
                                                 platform::UserPrompts& prompts) {
    std::vector<PastedLine> lines;
    model::DatabaseLines cutter(text);
    model::FieldList fields;
    size_t indentation = 0;
    std::string_view lineText;
    size_t firstIndentation = 0;
    for (int number = 1; cutter.next(indentation, lineText); ++number) {
        if (lineText.empty() && source == TextSource::OtherProgram) {
            continue;
        }
        if (lines.empty()) {
            firstIndentation = indentation;
        }
        // A line less indented than the first is at the top of the paste.
        const size_t level = indentation > firstIndentation ? indentation - firstIndentation : 0;
        if (!lines.empty() && level > lines.back().level + 1) {
            prompts.warn(nestingMessage(number, lineText));
            return std::nullopt;
        }
        const bool record = isRecord(fields, lineText);
        if (!record && lineText.find(';') != std::string_view::npos) {
            prompts.warn(semicolonMessage(number, lineText));
            return std::nullopt;
        }
        lines.push_back({level, lineText, record});
    }
    return lines;
}

}  // namespace

std::string nestingMessage(int line, std::string_view text) {
    return lineMessage(line, text, "lies more than one level below the line before it");
}

std::string semicolonMessage(int line, std::string_view text) {
    return lineMessage(line, text,
                       "holds a semicolon (\";\") but is no object or attribute record: as an "
                       "object's name, the phone and the next load would split it there");
}

std::optional<std::string> copyAsText(const model::PairedTrees& trees) {
    const model::NodePair selected = trees.pairOf(trees.display().selected());
    if (!selected) {
        return std::nullopt;
    }
    return model::formatSubtree(*selected.record, "\n");
}

void pasteText(model::PairedTrees& trees, std::string_view text, platform::UserPrompts& prompts,
               TextSource source) {
    // Like Paste with nothing to paste: nothing, and no message.
    const bool ownRecords = source == TextSource::OwnRecords;
    if (ownRecords ? text.empty() : text.find_first_not_of(" \t\r\n") == std::string_view::npos) {
        return;
    }
    model::Node* target = trees.display().selected();
    // Paste's rule, with no clip node whose subtree the target could lie in.
    if (!mayPasteInto(target, nullptr)) {
        prompts.warn(kContainmentWarning);
        return;
    }
    if (text.find('\0') != std::string_view::npos) {
        prompts.warn(kNulTextWarning);
        return;
    }
    const auto lines = readLines(text, source, prompts);
    if (!lines) {
        return;
    }

    PastedRecords pasted(trees, target);
    std::string record;
    for (const PastedLine& line : *lines) {
        if (line.record) {
            record.assign(line.text);
        } else {
            record = model::objectRecord(line.text, kPastedObjectIcon);
        }
        pasted.append(line.level, record);
    }
    pasted.showFirst();
}

}  // namespace quorvia::editing
