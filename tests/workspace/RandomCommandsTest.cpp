// Long random sequences of the editing and database commands, run on the program and on a small
// reference model of it side by side, with both compared after every command.
#include <gtest/gtest.h>
#include <libxml/HTMLparser.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <numeric>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "editing/Clipboard.h"
#include "editing/ClipboardText.h"
#include "editing/Deletion.h"
#include "editing/DragAndDrop.h"
#include "editing/ItemDialogs.h"
#include "editing/Ordering.h"
#include "editing/Replace.h"
#include "export/OpmlExport.h"
#include "export/TableExport.h"
#include "export/WebPageExport.h"
#include "import/OpmlImport.h"
#include "import/TableImport.h"
#include "import/TextImport.h"
#include "model/DatabaseFile.h"
#include "model/LoadSequence.h"
#include "model/NodeRecord.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "support/FakePrompts.h"
#include "support/TempDir.h"
#include "support/TreeHelpers.h"
#include "workspace/Workspace.h"

namespace quorvia::workspace {
namespace {

constexpr int kSeeds = 20;
constexpr int kStepsPerSeed = 300;
// Above this many nodes the next command deletes, so that repeated pastes cannot make the
// trees (and the test) grow without bound.
constexpr int kMaxNodes = 120;

const std::string kContainment = "warn: Object can contain only Objects or Attributes";
const std::string kAttributeTarget =
    "warn: Select an empty object or an object which contains already attributes";
const std::string kObjectTarget =
    "warn: Select an empty object or an object which contains already objects";
const std::string kDeleteQuestion = "confirm: Please confirm deletion, Are you sure ?";

// ---- the reference model ----

// The window sorts as the locale does; here any order with many ties will do: by length.
std::vector<int> byLength(const std::vector<std::string_view>& texts) {
    std::vector<int> order(texts.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return texts[a].size() < texts[b].size(); });
    return order;
}

std::vector<std::string> splitAtSemicolons(const std::string& text) {
    std::vector<std::string> fields(1);
    for (char c : text) {
        if (c == ';') {
            fields.emplace_back();
        } else {
            fields.back().push_back(c);
        }
    }
    return fields;
}

std::string joined(const std::vector<std::string>& parts, const std::string& separator) {
    std::string text;
    for (size_t i = 0; i < parts.size(); ++i) {
        text += (i > 0 ? separator : "") + parts[i];
    }
    return text;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// An icon field: leading blanks; "$", "x", "X", "0x" or "0X" for hexadecimal, else an optional
// sign and decimal digits. A number cut short by another character (or by overflow) loses its
// sign.
std::int32_t readIconField(const std::string& field) {
    size_t i = field.find_first_not_of(' ');
    if (i == std::string::npos) {
        return 0;
    }
    std::uint64_t base = 10;
    std::uint64_t limit = 0xFFFFFFFFu;
    bool negative = false;
    if (field[i] == '$' || field[i] == 'x' || field[i] == 'X') {
        base = 16;
        ++i;
    } else if (field.compare(i, 2, "0x") == 0 || field.compare(i, 2, "0X") == 0) {
        base = 16;
        i += 2;
    } else {
        if (field[i] == '-' || field[i] == '+') {
            negative = field[i] == '-';
            ++i;
        }
        limit = negative ? 0x80000000u : 0x7FFFFFFFu;
    }
    std::uint64_t value = 0;
    for (; i < field.size(); ++i) {
        const int digit = hexDigit(field[i]);
        if (digit < 0 || static_cast<std::uint64_t>(digit) >= base ||
            value * base + static_cast<std::uint64_t>(digit) > limit) {
            return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
        }
        value = value * base + static_cast<std::uint64_t>(digit);
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(negative ? 0 - value : value));
}

struct Decoded {
    std::string text;
    std::int32_t icon = -1;
    int missing = -1;  // the first absent field read, or -1
};

// What a load shows for a record below the root.
Decoded decode(const std::string& record) {
    const std::vector<std::string> fields = splitAtSemicolons(record);
    const int count = static_cast<int>(fields.size());
    auto field = [&](int index) { return index < count ? fields[index] : std::string(); };
    Decoded decoded;
    if (fields[0] == "O") {
        // The icon field is read first.
        decoded.missing = count < 3 ? 2 : -1;
        decoded.icon = readIconField(field(2));
        decoded.text = field(1);
    } else {
        decoded.missing = count < 2 ? 1 : (count < 3 ? 2 : -1);
        decoded.text = field(1) + ": " + field(2);
    }
    return decoded;
}

// What an edit dialog opens with: an attribute's name is field 1, its value the rest; an
// object's name all between the first and the last field, its icon the last field.
platform::AttributeFields shownAttribute(const std::string& record) {
    const std::vector<std::string> f = splitAtSemicolons(record);
    return f.size() < 2 ? platform::AttributeFields{}
                        : platform::AttributeFields{f[1], joined({f.begin() + 2, f.end()}, ";")};
}

platform::ObjectFields shownObject(const std::string& record) {
    const std::vector<std::string> f = splitAtSemicolons(record);
    return f.size() < 3 ? platform::ObjectFields{f.size() == 2 ? f[1] : "", 0}
                        : platform::ObjectFields{joined({f.begin() + 1, f.end() - 1}, ";"),
                                                 readIconField(f.back())};
}

// Every `text` in a field replaced, byte for byte; nothing when the field holds none.
editing::FieldReplace replacing(const std::string& text, const std::string& replacement) {
    return [text, replacement](std::string_view bytes) -> std::optional<std::string> {
        std::string field(bytes);
        const size_t first = field.find(text);
        for (size_t at = first; at != std::string::npos;
             at = field.find(text, at + replacement.size())) {
            field.replace(at, text.size(), replacement);
        }
        return first == std::string::npos ? std::nullopt : std::optional(field);
    };
}

std::string fileNameOf(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

// One line of a database file.
struct Line {
    int level;
    std::string record;
};
using Lines = std::vector<Line>;

std::string formatLines(const Lines& lines, const std::string& lineEnd) {
    std::string bytes;
    for (const Line& line : lines) {
        bytes += std::string(static_cast<size_t>(line.level), '\t') + line.record + lineEnd;
    }
    return bytes;
}

// A node pair: the record and, as the display tree holds it, its text and icon index.
struct Entry {
    int id = 0;
    int level = 0;
    std::string record;
    std::string text;
    std::int32_t icon = -1;
    bool shownOpen = false;   // expanded in the display tree
    bool recordOpen = false;  // expanded in the record tree
};

constexpr int kNone = -1;

// Both trees as one pre-order list of pairs, the selections and clipboard by pair id, the
// database files by path, and the questions a command is expected to ask.
class Model {
public:
    std::vector<Entry> nodes;
    int selected = kNone;
    int recordSelected = kNone;
    int clip = kNone;
    bool moveFlag = false;
    std::string path;
    std::map<std::string, Lines> files;
    // Files that fail to load, with the warning the load gives.
    std::map<std::string, std::string> broken;
    // The current file failed to load and is kept from the saves before an open until the
    // records change or an explicit save.
    bool protectedFile = false;
    std::vector<std::string> asked;
    std::optional<std::string> savedTo;   // the file the last command saved
    Lines copiedText;                     // what "Copy as text" put on the system clipboard
    platform::ReplaceFields lastReplace;  // what Replace... opens with

    int size() const { return static_cast<int>(nodes.size()); }
    int find(int id) const {
        for (int i = 0; i < size(); ++i) {
            if (nodes[i].id == id) {
                return i;
            }
        }
        return kNone;
    }
    int end(int i) const {
        int j = i + 1;
        while (j < size() && nodes[j].level > nodes[i].level) {
            ++j;
        }
        return j;
    }
    int parentOf(int i) const {
        for (int j = i - 1; j >= 0; --j) {
            if (nodes[j].level < nodes[i].level) {
                return j;
            }
        }
        return kNone;
    }
    bool isTop(int i) const { return nodes[i].level == 0; }
    bool isAttribute(int i) const { return nodes[i].icon == -1; }
    bool hasChildren(int i) const { return i + 1 < size() && nodes[i + 1].level > nodes[i].level; }
    bool within(int i, int ancestor) const { return i >= ancestor && i < end(ancestor); }
    Lines lines() const {
        Lines result;
        for (const Entry& entry : nodes) {
            result.push_back({entry.level, entry.record});
        }
        return result;
    }

    // What loading `lines` from a file called `name` gives, and the load's error, if any.
    static std::vector<Entry> loaded(const Lines& lines, const std::string& name,
                                     std::string& error) {
        std::vector<Entry> result;
        error.clear();
        for (size_t i = 0; i < lines.size(); ++i) {
            Entry entry;
            entry.level = lines[i].level;
            entry.record = lines[i].record;
            if (i == 0) {
                entry.text = name;
                entry.icon = 1;
            } else {
                const Decoded decoded = decode(entry.record);
                entry.text = decoded.text;
                entry.icon = decoded.icon;
                if (decoded.missing >= 0 && error.empty()) {
                    error =
                        "Indice de liste hors limites (" + std::to_string(decoded.missing) + ")";
                }
            }
            result.push_back(entry);
        }
        return result;
    }

    void load() {
        const std::string name = fileNameOf(path);
        const auto found = files.find(path);
        const auto failing = broken.find(path);
        std::string error;
        nodes = loaded(
            found != files.end() && failing == broken.end() ? found->second : Lines{{0, name}},
            name, error);
        for (Entry& entry : nodes) {
            entry.id = m_nextId++;
        }
        selected = recordSelected = clip = kNone;
        protectedFile = failing != broken.end();
        if (protectedFile) {
            asked.push_back("warn: " + failing->second);
        }
        if (!error.empty()) {
            asked.push_back("thrown: " + error);
        }
    }

    void save() {
        files[path] = lines();
        broken.erase(path);
        savedTo = path;
        protectedFile = false;
    }

    void open(const std::optional<std::string>& chosen) {
        if (!protectedFile) {
            save();
        }
        asked.push_back("open");
        if (chosen) {
            path = *chosen;
            load();
        }
    }

    void addObject(const std::optional<platform::ObjectFields>& answer) {
        const int at = find(selected);
        if (at == kNone || !(isTop(at) || !hasChildren(at) || !isAttribute(at + 1))) {
            asked.push_back(kContainment);
            return;
        }
        openDialog(at);
        asked.push_back("object: |0");
        if (answer) {
            closeDialog(
                appendRecord(at, "O;" + answer->name + ";" + std::to_string(answer->iconIndex)));
        }
    }

    void addAttribute(const std::optional<platform::AttributeFields>& answer) {
        const int at = find(selected);
        if (at == kNone || isTop(at) || isAttribute(at) ||
            (hasChildren(at) && !isAttribute(at + 1))) {
            asked.push_back(kContainment);
            return;
        }
        openDialog(at);
        asked.push_back("attribute: |");
        if (answer) {
            closeDialog(appendRecord(at, "T;" + answer->name + ";" + answer->value));
        }
    }

    void edit(const std::optional<platform::ObjectFields>& object,
              const std::optional<platform::AttributeFields>& attribute) {
        const int at = find(selected);
        if (at == kNone || isTop(at)) {
            return;
        }
        openDialog(at);
        Entry& entry = nodes[at];
        std::string record;
        bool unchanged = false;
        if (isAttribute(at)) {
            const platform::AttributeFields shown = shownAttribute(entry.record);
            asked.push_back("attribute: " + shown.name + "|" + shown.value);
            if (!attribute) {
                return;
            }
            unchanged = attribute->name == shown.name && attribute->value == shown.value;
            record = "T;" + attribute->name + ";" + attribute->value;
        } else {
            // An icon the list does not hold is passed on, so OK alone keeps it.
            const platform::ObjectFields shown = shownObject(entry.record);
            asked.push_back("object: " + shown.name + "|" + std::to_string(shown.iconIndex));
            if (!object) {
                return;
            }
            unchanged = object->name == shown.name && object->iconIndex == shown.iconIndex;
            record = "O;" + object->name + ";" + std::to_string(object->iconIndex);
        }
        // Unchanged, the record stays byte for byte; else the tree shows it as a load would.
        if (!unchanged) {
            const Decoded decoded = decode(record);
            std::tie(entry.record, entry.text, entry.icon) =
                std::tie(record, decoded.text, decoded.icon);
            protectedFile = false;
        }
        closeDialog(at);
    }

    void deleteSelected(bool yes) {
        const int at = find(selected);
        if (at == kNone || isTop(at)) {
            return;
        }
        asked.push_back(kDeleteQuestion);
        if (yes) {
            recordSelected = selected;
            openAncestors(at, &Entry::recordOpen);
            removeSubtree(at);
        }
    }

    // Copy is followed by "Copy as text".
    void copy(bool cut) {
        clip = selected;
        moveFlag = cut;
        if (const int at = find(selected); !cut && at != kNone) {
            copiedText.clear();
            for (int i = at; i < end(at); ++i) {
                copiedText.push_back({nodes[i].level - nodes[at].level, nodes[i].record});
            }
        }
    }

    void paste() {
        const int source = find(clip);
        if (source == kNone) {
            return;
        }
        const int target = find(selected);
        // The root (the first line) never moves, and its text names its copy, without a ";".
        const bool unfitRoot =
            source == 0 && (moveFlag || nodes[0].record.find(';') != std::string::npos);
        if (target == kNone || (!isTop(target) && isAttribute(target)) || within(target, source) ||
            unfitRoot) {
            asked.push_back(kContainment);
            return;
        }
        const std::string root = nodes[0].record;
        const int copied = end(target);
        pasteInto(clip, selected);
        if (source == 0) {
            std::tie(nodes[copied].record, nodes[copied].text, nodes[copied].icon) =
                std::make_tuple("O;" + root + ";0", root, 0);
        }
    }

    // Pastes `lines`, the program's own records, each line as it is; an outline import asks for
    // its file after the rule.
    void pasteText(const Lines& lines, bool asksFile = false) {
        const int at = find(selected);
        if (at == kNone || (!isTop(at) && isAttribute(at))) {
            asked.push_back(kContainment);
            return;
        }
        if (asksFile) {
            asked.push_back("open");
        }
        // Paste text keeps an object or attribute record as it is; any other line names an
        // object, unless it holds a semicolon, which no name can keep: then nothing is pasted.
        // The outline import brings back each record as it was written.
        std::vector<std::string> records;
        for (const Line& line : lines) {
            const std::vector<std::string> fields = splitAtSemicolons(line.record);
            if (asksFile || (fields.size() >= 3 && (fields[0] == "O" || fields[0] == "T"))) {
                records.push_back(line.record);
            } else if (fields.size() == 1) {
                records.push_back("O;" + line.record + ";0");
            } else {
                const int number = static_cast<int>(records.size()) + 1;
                asked.push_back("warn: " + editing::semicolonMessage(number, line.record));
                return;
            }
        }
        if (records.empty()) {
            return;
        }
        const int first = end(at);
        std::vector<int> parents{at};
        for (size_t i = 0; i < lines.size(); ++i) {
            parents.resize(static_cast<size_t>(lines[i].level) + 1);
            parents.push_back(appendRecord(parents.back(), records[i]));
        }
        closeDialog(first);
    }

    void drop(int target) {
        const int dragged = find(selected);
        if (dragged == kNone || target == kNone) {
            return;
        }
        const bool kindFits =
            isTop(target)
                ? !isAttribute(dragged)
                : !isAttribute(target) &&
                      (!hasChildren(target) || isAttribute(target + 1) == isAttribute(dragged));
        if (!kindFits || within(target, dragged)) {
            return;
        }
        const int targetId = nodes[target].id;
        clip = selected;
        moveFlag = true;
        pasteInto(clip, targetId);
        Entry& onto = nodes[find(targetId)];
        onto.shownOpen = onto.recordOpen = true;
        selected = targetId;
    }

    // The selected node and its previous (next) sibling change places.
    void move(bool up) {
        const int at = find(selected);
        const std::vector<int> siblings = childrenOf(at == kNone ? kNone : parentOf(at));
        const auto it = std::find(siblings.begin(), siblings.end(), at);
        if (at == kNone || it == (up ? siblings.begin() : siblings.end() - 1)) {
            return;
        }
        if (at == 0 || (up && *(it - 1) == 0)) {
            return;  // the root (the first line) keeps its place
        }
        const int first = up ? *(it - 1) : at;
        const int second = up ? at : *(it + 1);
        std::rotate(nodes.begin() + first, nodes.begin() + second, nodes.begin() + end(second));
        protectedFile = false;
        reveal(find(selected));
    }

    void sort(bool allLevels) {
        const int at = find(selected);
        if (at == kNone) {
            return;
        }
        const std::vector<Entry> sorted = sortedSubtree(at, allLevels);
        if (!std::equal(sorted.begin(), sorted.end(), nodes.begin() + at,
                        [](const Entry& a, const Entry& b) { return a.id == b.id; })) {
            std::copy(sorted.begin(), sorted.end(), nodes.begin() + at);
            protectedFile = false;
            reveal(at);
        }
    }

    // What both imports do first: the target test, the file dialog, the record selection and
    // opening the file. The target's position, or kNone when the import ends there.
    int startImport(bool ofAttributes, const std::optional<std::string>& chosen) {
        const int at = find(selected);
        if (at == kNone || isTop(at) || isAttribute(at) ||
            (hasChildren(at) && isAttribute(at + 1) != ofAttributes)) {
            asked.push_back(ofAttributes ? kAttributeTarget : kObjectTarget);
            return kNone;
        }
        asked.push_back("open");
        if (!chosen) {
            return kNone;
        }
        recordSelected = selected;
        return readable(*chosen) ? at : kNone;
    }

    void importAttributes(const std::optional<std::string>& chosen,
                          const std::vector<std::string>& lines) {
        const int at = startImport(true, chosen);
        if (at == kNone) {
            return;
        }
        for (const std::string& line : lines) {
            const std::vector<std::string> fields = splitAtSemicolons(line);
            if (fields.size() == 2) {
                appendChild(at, "T;" + fields[0] + ";" + fields[1], fields[0] + ":" + fields[1],
                            -1);
            }
        }
        nodes[at].shownOpen = nodes[at].recordOpen = true;
    }

    void importObjects(const std::optional<std::string>& chosen,
                       const std::vector<std::string>& lines, int nameColumn) {
        const int at = startImport(false, chosen);
        if (at == kNone) {
            return;
        }
        std::vector<std::string> headers;
        if (!lines.empty()) {
            headers = splitAtSemicolons(lines[0]);
            asked.push_back("columns: " + joined(headers, "|"));
            if (nameColumn < 0) {
                return;
            }
        }
        for (size_t row = 1; row < lines.size(); ++row) {
            const std::vector<std::string> fields = splitAtSemicolons(lines[row]);
            if (fields.size() != headers.size()) {
                continue;
            }
            const std::string& name = fields[static_cast<size_t>(nameColumn)];
            const int object = appendChild(at, "O;" + name + ";2", name, 2);
            for (size_t column = 0; column < fields.size(); ++column) {
                if (static_cast<int>(column) != nameColumn) {
                    appendChild(object, "T;" + headers[column] + ";" + fields[column],
                                headers[column] + ":" + fields[column], -1);
                }
            }
        }
        nodes[at].shownOpen = nodes[at].recordOpen = true;
    }

    // A copy of the selected branch right after it, new nodes, closed, then selected and shown.
    void duplicate() {
        const int at = find(selected);
        if (at == kNone) {
            return;
        }
        if (at == 0 && nodes[0].record.find(';') != std::string::npos) {
            asked.push_back(kContainment);
            return;
        }
        std::vector<Entry> copy(nodes.begin() + at, nodes.begin() + end(at));
        for (Entry& entry : copy) {
            entry.id = m_nextId++;
            entry.shownOpen = entry.recordOpen = false;
        }
        if (at == 0) {
            std::tie(copy[0].record, copy[0].text, copy[0].icon) =
                std::make_tuple("O;" + nodes[0].record + ";0", nodes[0].record, 0);
        }
        const int first = end(at);
        nodes.insert(nodes.begin() + first, copy.begin(), copy.end());
        protectedFile = false;
        closeDialog(first);
    }

    // Replace all, case and all, in every object's name and every attribute's name and value
    // (all fields behind its kind), the root and other records aside.
    void replaceAll(const std::optional<platform::ReplaceFields>& answer) {
        asked.push_back("replace: " + lastReplace.text + "|" + lastReplace.replacement +
                        (lastReplace.matchCase ? "|case" : "|any case"));
        if (!answer || answer->text.empty()) {
            return;
        }
        lastReplace = *answer;
        if (answer->replacement.find(';') != std::string::npos) {
            asked.push_back("warn: " + model::semicolonInFieldMessage(answer->replacement));
            return;
        }
        bool found = false;
        int changed = 0;
        for (int i = 1; i < size(); ++i) {
            std::vector<std::string> fields = splitAtSemicolons(nodes[i].record);
            const bool named = fields.size() > 2 && (fields[0] == "O" || fields[0] == "T");
            for (size_t f = 1; named && f <= (fields[0] == "O" ? 1 : fields.size() - 1); ++f) {
                const auto replaced = replacing(answer->text, answer->replacement)(fields[f]);
                found |= replaced.has_value();
                fields[f] = replaced.value_or(fields[f]);
            }
            if (joined(fields, ";") != nodes[i].record) {
                ++changed;
                nodes[i].record = joined(fields, ";");
                const Decoded decoded = decode(nodes[i].record);
                nodes[i].text = decoded.text;
                nodes[i].icon = decoded.icon;
                protectedFile = false;
            }
        }
        asked.push_back(!found ? "warn: \"" + answer->text + "\" not found"
                               : "info: " + std::to_string(changed) +
                                     (changed == 1 ? " node changed." : " nodes changed."));
    }

    // Where the exports start: the selection, else the root.
    int exported() const { return find(selected) == kNone ? 0 : find(selected); }

    // The exported node's children with their branches, as lines below it.
    Lines branchBelow() const {
        Lines lines;
        for (int i = exported() + 1; i < end(exported()); ++i) {
            lines.push_back({nodes[i].level - nodes[exported()].level - 1, nodes[i].record});
        }
        return lines;
    }

    // A record's name and value (an object's icon field) as the edit dialogs read them.
    static std::pair<std::string, std::string> parts(const std::string& record, bool object) {
        std::vector<std::string> fields = splitAtSemicolons(record);
        fields.resize(std::max<size_t>(fields.size(), 3));
        const size_t split = object ? std::max<size_t>(fields.size() - 1, 2) : 2;
        return {joined({fields.begin() + 1, fields.begin() + split}, ";"),
                joined({fields.begin() + split, fields.end()}, ";")};
    }

    // The rows of the exported node's table (the k-th attribute of a name under the k-th column
    // of that name), the header first; none, and the node refused, when a name or value holds a
    // ";" that the semicolon table cannot keep.
    std::vector<std::vector<std::string>> table(bool csv, int& refused) const {
        std::vector<std::pair<std::string, int>> columns;  // name, occurrence
        std::vector<std::vector<std::string>> rows;
        refused = kNone;
        auto refuses = [&](int at) {
            refused = !csv && splitAtSemicolons(nodes[at].record).size() > 3 ? at : kNone;
            return refused != kNone;
        };
        for (const int row : childrenOf(exported())) {
            if (isAttribute(row)) {
                continue;
            }
            if (refuses(row)) {
                return {};
            }
            rows.push_back({parts(nodes[row].record, true).first});
            std::map<std::string, int> seen;
            for (const int cell : childrenOf(row)) {
                if (!isAttribute(cell)) {
                    continue;
                }
                if (refuses(cell)) {
                    return {};
                }
                const auto [name, value] = parts(nodes[cell].record, false);
                const std::pair<std::string, int> column{name, seen[name]++};
                const auto at =
                    std::find(columns.begin(), columns.end(), column) - columns.begin();
                if (at == static_cast<long>(columns.size())) {
                    columns.push_back(column);
                }
                rows.back().resize(std::max<size_t>(rows.back().size(), at + 2));
                rows.back()[at + 1] = value;
            }
        }
        rows.insert(rows.begin(), {"Name"});
        for (std::vector<std::string>& row : rows) {
            row.resize(columns.size() + 1);
        }
        for (size_t column = 0; column < columns.size(); ++column) {
            rows[0][column + 1] = columns[column].first;
        }
        return rows;
    }

    // A refused table names the node and selects it.
    void refuseTable(int at) {
        const auto [name, value] = parts(nodes[at].record, !isAttribute(at));
        asked.push_back(std::string("warn: The ") + (isAttribute(at) ? "attribute" : "object") +
                        " \"" + name + (isAttribute(at) ? ": " + value : "") +
                        "\" holds a semicolon (\";\"), which separates the fields of the table: "
                        "the object import would split the text there. Nothing was written.");
        closeDialog(at);
    }

    // Imports a table the export wrote with the name column 0: a CSV field holding ";" refuses
    // the file.
    void importTable(const std::string& path, const std::vector<std::vector<std::string>>& rows,
                     bool csv) {
        std::vector<std::string> lines;
        for (size_t row = 0; row < rows.size(); ++row) {
            for (const std::string& field : rows[row]) {
                if (csv && field.find(';') != std::string::npos) {
                    if (startImport(false, path) != kNone) {
                        asked.push_back("warn: Line " + std::to_string(row + 1) + " of \"" + path +
                                        "\" holds a semicolon (\";\") in \"" + field +
                                        "\": the phone and the next load would split the text "
                                        "there. Nothing was imported.");
                    }
                    return;
                }
            }
            lines.push_back(joined(rows[row], ";"));
        }
        importObjects(path, lines, 0);
    }

    // A web page's lines: per node its level, text and the class it is drawn with.
    std::string page() const {
        const int at = find(selected);
        std::string lines;
        for (int i = at == kNone ? 0 : at; i < (at == kNone ? size() : end(at)); ++i) {
            const std::int32_t icon = nodes[i].icon;
            lines += std::string(nodes[i].level - (at == kNone ? 0 : nodes[at].level), '\t') +
                     nodes[i].text + " [" +
                     (icon == -1                ? std::string("attribute")
                      : icon >= 1 && icon <= 14 ? "picture" + std::to_string(icon)
                                                : std::string()) +
                     "]\n";
        }
        return lines;
    }

    // The non-top-level node with the largest subtree.
    int largestInnerSubtree() const {
        int best = kNone;
        for (int i = 0; i < size(); ++i) {
            if (!isTop(i) && (best == kNone || end(i) - i > end(best) - best)) {
                best = i;
            }
        }
        return best;
    }

private:
    // Only the import file itself is ever written; any other name stands for a missing file.
    bool readable(const std::string& importPath) {
        if (fileNameOf(importPath) == "import.txt" ||
            fileNameOf(importPath).rfind("table.", 0) == 0) {
            return true;
        }
        asked.push_back("thrown: Fichier introuvable");
        return false;
    }

    // A new last child shown as the next load decodes its record.
    int appendRecord(int parent, const std::string& record) {
        const Decoded decoded = decode(record);
        return appendChild(parent, record, decoded.text, decoded.icon);
    }

    int appendChild(int parent, const std::string& record, const std::string& text,
                    std::int32_t icon) {
        Entry entry;
        entry.id = m_nextId++;
        entry.level = nodes[parent].level + 1;
        entry.record = record;
        entry.text = text;
        entry.icon = icon;
        const int at = end(parent);
        nodes.insert(nodes.begin() + at, entry);
        protectedFile = false;
        return at;
    }

    void openAncestors(int i, bool Entry::*open) {
        for (int parent = parentOf(i); parent != kNone; parent = parentOf(parent)) {
            nodes[parent].*open = true;
        }
    }

    // A dialog opening selects the record and makes it visible in the record tree.
    void openDialog(int at) {
        recordSelected = nodes[at].id;
        openAncestors(at, &Entry::recordOpen);
    }

    // Its OK shows and selects the written pair in both trees.
    void closeDialog(int at) {
        openAncestors(at, &Entry::shownOpen);
        openAncestors(at, &Entry::recordOpen);
        selected = recordSelected = nodes[at].id;
    }

    void removeSubtree(int at) {
        nodes.erase(nodes.begin() + at, nodes.begin() + end(at));
        protectedFile = false;
        for (int* id : {&selected, &recordSelected, &clip}) {
            if (find(*id) == kNone) {
                *id = kNone;
            }
        }
    }

    // A cut moves the very nodes, which arrive collapsed as a copy would; a copy is new nodes.
    void pasteInto(int sourceId, int targetId) {
        int source = find(sourceId);
        std::vector<Entry> moving(nodes.begin() + source, nodes.begin() + end(source));
        const int shift = nodes[find(targetId)].level + 1 - nodes[source].level;
        for (Entry& entry : moving) {
            entry.id = moveFlag ? entry.id : m_nextId++;
            entry.level += shift;
            entry.shownOpen = entry.recordOpen = false;
        }
        if (moveFlag) {
            nodes.erase(nodes.begin() + source, nodes.begin() + end(source));
        }
        const int target = find(targetId);
        nodes.insert(nodes.begin() + end(target), moving.begin(), moving.end());
        protectedFile = false;
        clip = kNone;
    }

    // Where the children of `parent` (kNone: the top level) start.
    std::vector<int> childrenOf(int parent) const {
        std::vector<int> starts;
        for (int at = parent + 1; at < (parent == kNone ? size() : end(parent)); at = end(at)) {
            starts.push_back(at);
        }
        return starts;
    }

    // The subtree at `at` with its children (and, for all levels, every level below) sorted.
    std::vector<Entry> sortedSubtree(int at, bool allLevels) const {
        std::vector<std::vector<Entry>> children;
        for (const int child : childrenOf(at)) {
            children.push_back(
                allLevels ? sortedSubtree(child, true)
                          : std::vector<Entry>(nodes.begin() + child, nodes.begin() + end(child)));
        }
        std::vector<std::string_view> texts;
        for (const std::vector<Entry>& child : children) {
            texts.push_back(child.front().text);
        }
        std::vector<Entry> sorted{nodes[at]};
        for (const int child : byLength(texts)) {
            sorted.insert(sorted.end(), children[child].begin(), children[child].end());
        }
        return sorted;
    }

    // Shows and selects a node; the record tree follows each display ancestor that opens.
    void reveal(int at) {
        for (int parent = parentOf(at); parent != kNone; parent = parentOf(parent)) {
            nodes[parent].recordOpen |= !nodes[parent].shownOpen;
            nodes[parent].shownOpen = true;
        }
        selected = nodes[at].id;
    }

    int m_nextId = 1;
};

std::string modelOutline(const std::vector<Entry>& nodes, bool display, bool withExpanded) {
    std::string text;
    for (const Entry& entry : nodes) {
        text.append(static_cast<size_t>(entry.level), '\t');
        if (withExpanded && (display ? entry.shownOpen : entry.recordOpen)) {
            text.append("+");
        }
        if (display) {
            text.append(entry.text + " [" + std::to_string(entry.icon) + "]");
        } else {
            text.append(entry.record);
        }
        text.append("\n");
    }
    return text;
}

// The pictures a web page embeds: every one that shows something, under its icon index.
const exporting::PagePictures kPictures{
    {"", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14"},
    [](std::int32_t icon) { return icon; }};

// A web page as its reader sees it: per list item its level, its text and its class.
void listItems(const xmlNode* node, int level, std::string& lines) {
    for (; node != nullptr; node = node->next) {
        if (node->type != XML_ELEMENT_NODE) {
            continue;
        }
        if (!xmlStrEqual(node->name, BAD_CAST "li")) {
            listItems(node->children, level, lines);
            continue;
        }
        const xmlNode* details = xmlFirstElementChild(const_cast<xmlNode*>(node));
        const xmlNode* shown =
            details != nullptr ? xmlFirstElementChild(const_cast<xmlNode*>(details)) : node;
        xmlChar* text = xmlNodeGetContent(shown);
        xmlChar* kind = xmlGetProp(shown, BAD_CAST "class");
        lines += std::string(static_cast<size_t>(level), '\t') +
                 reinterpret_cast<const char*>(text) + " [" +
                 (kind != nullptr ? reinterpret_cast<const char*>(kind) : "") + "]\n";
        xmlFree(text);
        xmlFree(kind);
        listItems(node->children, level + 1, lines);
    }
}

std::string pageLines(const std::string& path) {
    const std::string bytes = testing::readBytes(path);
    htmlDocPtr page = htmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                     "UTF-8", HTML_PARSE_NOERROR | HTML_PARSE_NONET);
    std::string lines;
    listItems(xmlDocGetRootElement(page), 0, lines);
    xmlFreeDoc(page);
    return lines;
}

// ---- the random commands ----

enum class Command {
    AddObject,
    AddAttribute,
    Edit,
    Delete,
    Copy,
    Cut,
    Paste,
    Drop,
    Move,  // up or down
    Sort,  // one level or all
    ImportAttributes,
    ImportObjects,
    PasteText,
    Duplicate,
    Replace,
    TableRoundTrip,    // a table of the selection's objects, imported into another object
    OutlineRoundTrip,  // an outline of the selection's branch, imported below another node
    WebPage,
    Save,
    Open,
};

// One command with everything random about it: the selection made before it and the user's
// answers, decided up front so that the program and the model get the same.
struct Step {
    Command command = Command::Save;
    std::optional<int> select;  // a display selection by absolute index (-1: none)
    int dropTarget = kNone;
    std::optional<platform::ObjectFields> object;
    std::optional<platform::AttributeFields> attribute;
    bool confirm = false;
    std::optional<std::string> chosenFile;
    std::vector<std::string> importLines;
    std::string importBytes;
    int nameColumn = -1;
    bool upOrAll = false;  // Move up, Sort all below
    std::optional<platform::ReplaceFields> replace;
};

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string describe(const Step& step) {
    std::ostringstream out;
    if (step.select) {
        out << "select " << *step.select << ", ";
    }
    auto object = [&] {
        return step.object
                   ? quoted(step.object->name) + " icon " + std::to_string(step.object->iconIndex)
                   : std::string("cancel");
    };
    auto attribute = [&] {
        return step.attribute
                   ? quoted(step.attribute->name) + " = " + quoted(step.attribute->value)
                   : std::string("cancel");
    };
    auto file = [&] { return step.chosenFile ? quoted(*step.chosenFile) : std::string("cancel"); };
    auto lines = [&] {
        std::vector<std::string> quotedLines;
        for (const std::string& line : step.importLines) {
            quotedLines.push_back(quoted(line));
        }
        return "[" + joined(quotedLines, ", ") + "]";
    };
    switch (step.command) {
        case Command::AddObject:
            out << "add object: " << object();
            break;
        case Command::AddAttribute:
            out << "add attribute: " << attribute();
            break;
        case Command::Edit:
            out << "edit: object dialog " << object() << ", attribute dialog " << attribute();
            break;
        case Command::Delete:
            out << "delete: " << (step.confirm ? "yes" : "no");
            break;
        case Command::Copy:
            out << "copy";
            break;
        case Command::Cut:
            out << "cut";
            break;
        case Command::Paste:
            out << "paste";
            break;
        case Command::Drop:
            out << "drop onto " << step.dropTarget;
            break;
        case Command::Move:
            out << (step.upOrAll ? "move up" : "move down");
            break;
        case Command::Sort:
            out << (step.upOrAll ? "sort all below" : "sort children");
            break;
        case Command::ImportAttributes:
            out << "import attributes: " << file() << " " << lines();
            break;
        case Command::ImportObjects:
            out << "import objects: " << file() << " " << lines() << " name column "
                << step.nameColumn;
            break;
        case Command::PasteText:
            out << "paste text";
            break;
        case Command::Duplicate:
            out << "duplicate";
            break;
        case Command::Replace:
            out << "replace: " << (step.replace ? quoted(step.replace->text) : "cancel")
                << " with " << (step.replace ? quoted(step.replace->replacement) : "");
            break;
        case Command::TableRoundTrip:
        case Command::OutlineRoundTrip:
            out << "export " << file() << ", import into " << step.dropTarget;
            break;
        case Command::WebPage:
            out << "export " << file();
            break;
        case Command::Save:
            out << "save";
            break;
        case Command::Open:
            out << "open: " << file();
            break;
    }
    return out.str();
}

// Durability is not under test here; skipping the flush keeps hundreds of saves quick.
class UnsyncedFileSystem final : public platform::PosixFileSystem {
public:
    int sync(int) override { return 0; }
    int syncFolder(const std::string&) override { return 0; }
};

// The absolute index of `node`, -1 for none, -2 for a node that is no longer in the tree.
int indexIn(const model::Tree& tree, const model::Node* node) {
    if (node == nullptr) {
        return -1;
    }
    int index = 0;
    for (const model::Node* at = tree.firstTopLevel(); at != nullptr;
         at = model::Tree::nextInPreorder(at), ++index) {
        if (at == node) {
            return index;
        }
    }
    return -2;
}

// One seed's run: the program started in its own folder, the model beside it.
class Session {
public:
    explicit Session(unsigned seed) : m_seed(seed), m_random(seed) {}

    // False, after reporting, at the first step where the program and the model differ.
    bool run(int steps) {
        m_log.push_back("0: start with the database Quorvia");
        if (!compare(start())) {
            return false;
        }
        for (int index = 1; index <= steps; ++index) {
            const Step step = nextStep();
            m_log.push_back(std::to_string(index) + ": " + describe(step));
            m_model.asked.clear();
            m_model.savedTo.reset();
            const std::string before = snapshot();
            const std::vector<std::string> observed = runProgram(step);
            runModel(step);
            if (!compare(observed) || !undoAndRedo(step, before)) {
                return false;
            }
        }
        return true;
    }

    // What a save writes, and what the display shows.
    std::string snapshot() const {
        return model::formatDatabase(m_trees.records()) +
               testing::outline(m_trees.display(), true);
    }

    // A command that changed the database is undone to the very state before it and redone to
    // the state after it. Where undo and redo leave the selection and the expanded nodes is
    // theirs to choose: the model takes it over.
    bool undoAndRedo(const Step& step, const std::string& before) {
        const std::string after = snapshot();
        if (after == before || step.command == Command::Open) {
            return true;
        }
        std::ostringstream out;
        const model::Node* clip = m_clipboard.clipNode();
        if (!m_trees.undo() || snapshot() != before) {
            out << "undo gives:\n" << snapshot() << "expected:\n" << before;
        } else if (!m_trees.redo() || snapshot() != after) {
            out << "redo gives:\n" << snapshot() << "expected:\n" << after;
        } else if (const auto paired = testing::arePaired(m_trees); !paired) {
            out << "trees not paired after undo and redo: " << paired.message() << "\n";
        } else if (m_clipboard.clipNode() != nullptr && m_clipboard.clipNode() != clip) {
            out << "undo and redo put a node in the clipboard\n";
        }
        if (!out.str().empty()) {
            ADD_FAILURE() << "seed " << m_seed << ", step " << m_log.back() << "\n"
                          << out.str() << "commands so far:\n"
                          << joined(m_log, "\n");
            return false;
        }
        int index = 0;
        for (const model::Node* node = m_trees.display().firstTopLevel(); node != nullptr;
             node = model::Tree::nextInPreorder(node), ++index) {
            m_model.nodes[index].shownOpen = node->isExpanded();
            m_model.nodes[index].recordOpen = m_trees.records().nodeAt(index)->isExpanded();
        }
        auto idOf = [&](const model::Tree& tree, const model::Node* node) {
            return node != nullptr ? m_model.nodes[indexIn(tree, node)].id : kNone;
        };
        m_model.selected = idOf(m_trees.display(), m_trees.display().selected());
        m_model.recordSelected = idOf(m_trees.records(), m_trees.records().selected());
        m_model.clip = idOf(m_trees.display(), m_clipboard.clipNode());
        return true;
    }

private:
    int pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(m_random); }
    bool chance(double p) { return std::bernoulli_distribution(p)(m_random); }

    std::string randomText(const char* alphabet, int maxLength) {
        const std::string letters(alphabet);
        std::string text;
        for (int length = pick(maxLength + 1); length > 0; --length) {
            text.push_back(letters[static_cast<size_t>(pick(static_cast<int>(letters.size())))]);
        }
        return text;
    }
    // Names as the user types them: now and then with a semicolon, which a later load reads
    // as a field boundary, or with what a CSV file must quote.
    std::string randomName() { return randomText(chance(0.25) ? "ab;x$\",0 9-" : "abyzQ 09", 5); }
    std::string randomField() { return randomText("abyzQ09-", 3); }

    std::string randomRecord(bool odd) {
        // Besides plain indexes: padded, hexadecimal, cut short, out of range, and at the ends of
        // 32 bits ("$FFFFFFFF" reads as -1, so that object counts as an attribute).
        static const char* const kIconFields[] = {
            "0",   "1",  "2",  "5",  "7",  "14",  "15",        "99",         "-1",
            "014", "$A", "x3", " 4", "4z", "-2b", "$FFFFFFFF", "2147483648", "-2147483648"};
        static const char* const kOdd[] = {"O;short", "T;x",     "plain",  "O",
                                           "",        "O;a;b;7", "T;a;b;c"};
        const int kind = pick(20);
        if (kind < 11) {
            return "O;" + randomName() + ";" +
                   kIconFields[pick(static_cast<int>(std::size(kIconFields)))];
        }
        if (kind < 18 || !odd) {
            return "T;" + randomName() + ";" + randomName();
        }
        return kOdd[pick(static_cast<int>(std::size(kOdd)))];
    }

    void grow(Lines& lines, int level, bool odd) {
        const int children = level >= 4 ? 0 : pick(level == 1 ? 5 : 3);
        for (int i = 0; i < children; ++i) {
            lines.push_back({level, randomRecord(odd)});
            if (chance(0.5)) {
                grow(lines, level + 1, odd);
            }
        }
    }

    // A database file of any shape the file format allows: attributes with children, objects
    // mixing both kinds, more than one top-level node, and with `odd` records of too few fields.
    Lines randomDatabase(bool odd) {
        static const char* const kRoots[] = {"Quorvia", "Phone book", "a;b;c"};
        Lines lines{{0, kRoots[pick(3)]}};
        grow(lines, 1, odd);
        for (int extra = chance(0.3) ? 1 + pick(2) : 0; extra > 0; --extra) {
            lines.push_back({0, randomRecord(odd)});
            grow(lines, 1, odd);
        }
        return lines;
    }

    // Writes the database files, starts the workspace and loads its database; returns what
    // the program asked.
    std::vector<std::string> start() {
        m_workspace.start();
        // Every path is formed from the start directory as the workspace itself forms it.
        const std::string base = m_workspace.startDirectory() + "/";
        m_model.files[base + "Quorvia"] = randomDatabase(chance(0.2));
        m_model.files[base + "other.db"] = randomDatabase(false);
        m_model.files[base + "third.db"] = randomDatabase(true);
        for (const auto& [path, lines] : m_model.files) {
            static const char* const kLineEnds[] = {"\r\n", "\n", "\r"};
            testing::writeBytes(path, formatLines(lines, kLineEnds[pick(3)]));
            m_pool.push_back(path);
        }
        m_pool.push_back(base + "missing.db");
        // A file nested too deep at its last line fails to load.
        Lines prefix = randomDatabase(false);
        const Line deep{prefix.back().level + 2, randomRecord(false)};
        m_brokenBytes = formatLines(prefix, "\r\n") + formatLines({deep}, "\r\n");
        m_model.broken[base + "broken.db"] = "Niveau incorrect (" + std::to_string(deep.level) +
                                             ") pour l'élément \"" + deep.record + "\"";
        testing::writeBytes(base + "broken.db", m_brokenBytes);
        m_pool.push_back(base + "broken.db");
        m_model.path = m_workspace.currentDatabasePath();
        m_model.load();
        try {
            m_workspace.loadCurrentDatabase();
        } catch (const Error& error) {
            m_prompts.asked.push_back("thrown: " + error.message());
        }
        return m_prompts.takeAsked();
    }

    // None, a top-level node, an object below the top level (the usual target of adds and
    // imports) or any node.
    int randomSelection() {
        const int roll = pick(100);
        if (roll < 8) {
            return kNone;
        }
        std::vector<int> candidates;
        for (int i = 0; i < m_model.size(); ++i) {
            if (roll < 20 ? m_model.isTop(i)
                          : roll >= 50 || (!m_model.isTop(i) && !m_model.isAttribute(i))) {
                candidates.push_back(i);
            }
        }
        if (candidates.empty()) {
            return pick(m_model.size());
        }
        return candidates[static_cast<size_t>(pick(static_cast<int>(candidates.size())))];
    }

    void randomImport(Step& step, bool objects) {
        const int roll = pick(100);
        step.chosenFile = roll < 10   ? std::nullopt
                          : roll < 15 ? std::optional(m_dir.path("absent.txt"))
                                      : std::optional(m_dir.path("import.txt"));
        if (objects) {
            if (chance(0.9)) {
                const int columns = 1 + pick(3);
                std::vector<std::string> header;
                for (int i = 0; i < columns; ++i) {
                    header.push_back(randomField());
                }
                step.importLines.push_back(joined(header, ";"));
                for (int rows = pick(4); rows > 0; --rows) {
                    std::vector<std::string> row;
                    for (int i = chance(0.8) ? columns : columns + pick(3) - 1; i > 0; --i) {
                        row.push_back(randomField());
                    }
                    step.importLines.push_back(joined(row, ";"));
                }
                step.nameColumn = chance(0.15) ? -1 : pick(columns);
            }
        } else {
            for (int lines = pick(5); lines > 0; --lines) {
                const int roll = pick(10);
                step.importLines.push_back(roll < 7   ? randomField() + ";" + randomField()
                                           : roll < 8 ? randomField()
                                           : roll < 9 ? randomField() + ";" + randomField() + ";" +
                                                            randomField()
                                                      : "");
            }
        }
        const std::string lineEnd = chance(0.5) ? "\r\n" : "\n";
        for (const std::string& line : step.importLines) {
            step.importBytes += line + lineEnd;
        }
        // The last line needs no line end, unless it is empty and would then not be a line.
        if (!step.importLines.empty() && !step.importLines.back().empty() && chance(0.5)) {
            step.importBytes.resize(step.importBytes.size() - lineEnd.size());
        }
    }

    Step nextStep() {
        Step step;
        if (m_model.size() > kMaxNodes) {
            step.command = Command::Delete;
            step.select = m_model.largestInnerSubtree();
            step.confirm = true;
            return step;
        }
        if (chance(0.5)) {
            step.select = randomSelection();
        }
        std::vector<double> weights = {10, 10, 10, 6, 6, 6, 10, 10, 12, 7,
                                       5,  5,  6,  6, 5, 4, 4,  2,  3,  3};
        if (m_model.protectedFile) {
            // Opens from a file that failed to load are what the protection is about.
            weights.back() = 30;
        }
        std::discrete_distribution<int> commands(weights.begin(), weights.end());
        step.command = static_cast<Command>(commands(m_random));
        switch (step.command) {
            case Command::AddObject:
            case Command::AddAttribute:
            case Command::Edit:
                if (chance(0.8)) {
                    step.object = platform::ObjectFields{randomName(), pick(16) - 1};
                }
                if (chance(0.8)) {
                    step.attribute = platform::AttributeFields{randomName(), randomName()};
                }
                if (const int at = step.select.value_or(m_model.find(m_model.selected));
                    step.command == Command::Edit && at >= 0 && chance(0.3)) {
                    // OK with the fields as the dialog opens with them.
                    step.object = shownObject(m_model.nodes[static_cast<size_t>(at)].record);
                    step.attribute = shownAttribute(m_model.nodes[static_cast<size_t>(at)].record);
                }
                break;
            case Command::Delete:
                step.confirm = chance(0.75);
                break;
            case Command::Drop:
                step.dropTarget = chance(0.05) ? kNone : pick(m_model.size());
                break;
            case Command::Move:
            case Command::Sort:
                step.upOrAll = chance(0.5);
                break;
            case Command::ImportAttributes:
            case Command::ImportObjects:
                randomImport(step, step.command == Command::ImportObjects);
                break;
            case Command::PasteText:
                if (m_model.copiedText.empty()) {
                    step.command = Command::Copy;
                }
                break;
            case Command::Replace:  // short texts, so that most replacements find some
                step.replace = chance(0.1)
                                   ? std::nullopt
                                   : std::optional(platform::ReplaceFields{
                                         randomText("ab;x0", 2), randomText("aQ;9", 3), true});
                break;
            case Command::TableRoundTrip:
                step.upOrAll = chance(0.5);  // CSV
                step.chosenFile = m_dir.path(step.upOrAll ? "table.csv" : "table.txt");
                step.nameColumn = 0;
                step.dropTarget = randomSelection();
                break;
            case Command::OutlineRoundTrip:
                step.chosenFile = m_dir.path("outline.opml");
                step.dropTarget = randomSelection();
                break;
            case Command::WebPage:
                step.chosenFile = m_dir.path("page.html");
                break;
            case Command::Open: {
                const int roll = pick(100);
                if (roll >= 15) {
                    step.chosenFile =
                        roll < 50
                            ? m_model.path
                            : m_pool[static_cast<size_t>(pick(static_cast<int>(m_pool.size())))];
                }
                break;
            }
            default:
                break;
        }
        return step;
    }

    // Exports from the selection and imports what was written into the step's target.
    void exportAndImport(const Step& step) {
        const std::string& path = *step.chosenFile;
        std::remove(path.c_str());
        m_prompts.saveAnswers.push_back(path);
        const bool table = step.command == Command::TableRoundTrip;
        table ? exporting::exportTable(m_trees, m_prompts, m_codec)
              : exporting::exportOutline(m_trees, m_prompts, m_codec);
        if (!std::ifstream(path)) {
            return;
        }
        m_trees.select(step.dropTarget < 0 ? nullptr : m_trees.display().nodeAt(step.dropTarget));
        if (!table) {
            importing::importOutline(m_trees, m_prompts, m_codec);
        } else if (step.upOrAll) {
            importing::importCsvTable(m_trees, m_prompts, m_codec);
        } else {
            importing::importObjects(m_trees, m_prompts);
        }
    }

    // Runs the step on the program and returns what it asked, with any error it raised.
    std::vector<std::string> runProgram(const Step& step) {
        model::Node* dropTarget = nullptr;
        if (step.select) {
            m_trees.select(*step.select < 0 ? nullptr : m_trees.display().nodeAt(*step.select));
        }
        if (step.command == Command::Drop && step.dropTarget != kNone) {
            dropTarget = m_trees.display().nodeAt(step.dropTarget);
        }
        m_prompts.objectAnswers.push_back(step.object);
        m_prompts.attributeAnswers.push_back(step.attribute);
        m_prompts.confirmAnswers.push_back(step.confirm);
        m_prompts.openAnswers.push_back(step.chosenFile);
        m_prompts.columnAnswers.push_back(step.nameColumn);
        m_prompts.replaceAnswers.push_back(step.replace);
        if (step.command == Command::ImportAttributes || step.command == Command::ImportObjects) {
            m_dir.write("import.txt", step.importBytes);
        }
        try {
            switch (step.command) {
                case Command::AddObject:
                    editing::addObject(m_trees, m_prompts);
                    break;
                case Command::AddAttribute:
                    editing::addAttribute(m_trees, m_prompts);
                    break;
                case Command::Edit:
                    editing::editSelected(m_trees, m_prompts);
                    break;
                case Command::Delete:
                    editing::deleteSelected(m_trees, m_prompts);
                    break;
                case Command::Copy:
                    m_clipboard.copy();
                    m_copiedText = editing::copyAsText(m_trees).value_or(m_copiedText);
                    break;
                case Command::Cut:
                    m_clipboard.cut();
                    break;
                case Command::Paste:
                    editing::paste(m_trees, m_clipboard, m_prompts);
                    break;
                case Command::Drop:
                    editing::dropOnto(m_trees, m_clipboard, dropTarget);
                    break;
                case Command::Move:
                    (step.upOrAll ? editing::moveUp : editing::moveDown)(m_trees);
                    break;
                case Command::Sort:
                    (step.upOrAll ? editing::sortAllBelow : editing::sortChildren)(m_trees,
                                                                                   byLength);
                    break;
                case Command::ImportAttributes:
                    importing::importAttributes(m_trees, m_prompts);
                    break;
                case Command::ImportObjects:
                    importing::importObjects(m_trees, m_prompts);
                    break;
                case Command::PasteText:
                    editing::pasteText(m_trees, m_copiedText, m_prompts,
                                       editing::TextSource::OwnRecords);
                    break;
                case Command::Duplicate:
                    editing::duplicateSelected(m_trees, m_prompts);
                    break;
                case Command::Replace:
                    m_replacer.replaceAll(m_trees, m_prompts);
                    break;
                case Command::TableRoundTrip:
                case Command::OutlineRoundTrip:
                    exportAndImport(step);
                    break;
                case Command::WebPage:
                    m_prompts.saveAnswers.push_back(step.chosenFile);
                    exporting::exportWebPage(m_trees, m_prompts, m_codec, kPictures);
                    m_prompts.asked.push_back("page:\n" + pageLines(*step.chosenFile));
                    break;
                case Command::Save:
                    m_workspace.save();
                    break;
                case Command::Open:
                    m_workspace.openDatabase();
                    break;
            }
        } catch (const std::exception& error) {
            m_prompts.asked.push_back(std::string("thrown: ") + error.what());
        }
        // Answers the command did not ask for must not reach a later one.
        m_prompts.objectAnswers.clear();
        m_prompts.attributeAnswers.clear();
        m_prompts.confirmAnswers.clear();
        m_prompts.openAnswers.clear();
        m_prompts.columnAnswers.clear();
        m_prompts.replaceAnswers.clear();
        m_prompts.saveAnswers.clear();
        return m_prompts.takeAsked();
    }

    void runModel(const Step& step) {
        if (step.select) {
            m_model.selected = *step.select < 0 ? kNone : m_model.nodes[*step.select].id;
        }
        switch (step.command) {
            case Command::AddObject:
                m_model.addObject(step.object);
                break;
            case Command::AddAttribute:
                m_model.addAttribute(step.attribute);
                break;
            case Command::Edit:
                m_model.edit(step.object, step.attribute);
                break;
            case Command::Delete:
                m_model.deleteSelected(step.confirm);
                break;
            case Command::Copy:
            case Command::Cut:
                m_model.copy(step.command == Command::Cut);
                break;
            case Command::Paste:
                m_model.paste();
                break;
            case Command::Drop:
                m_model.drop(step.dropTarget);
                break;
            case Command::Move:
                m_model.move(step.upOrAll);
                break;
            case Command::Sort:
                m_model.sort(step.upOrAll);
                break;
            case Command::ImportAttributes:
                m_model.importAttributes(step.chosenFile, step.importLines);
                break;
            case Command::ImportObjects:
                m_model.importObjects(step.chosenFile, step.importLines, step.nameColumn);
                break;
            case Command::PasteText:
                m_model.pasteText(m_model.copiedText);
                break;
            case Command::TableRoundTrip: {
                m_model.asked.push_back("save");
                int refused = kNone;
                const auto rows = m_model.table(step.upOrAll, refused);
                if (refused != kNone) {
                    m_model.refuseTable(refused);
                    break;
                }
                m_model.selected = step.dropTarget < 0 ? kNone : m_model.nodes[step.dropTarget].id;
                m_model.importTable(*step.chosenFile, rows, step.upOrAll);
                break;
            }
            case Command::OutlineRoundTrip: {
                m_model.asked.push_back("save");
                const Lines branch = m_model.branchBelow();
                m_model.selected = step.dropTarget < 0 ? kNone : m_model.nodes[step.dropTarget].id;
                m_model.pasteText(branch, true);
                break;
            }
            case Command::WebPage:
                m_model.asked.push_back("save");
                m_model.asked.push_back("page:\n" + m_model.page());
                break;
            case Command::Duplicate:
                m_model.duplicate();
                break;
            case Command::Replace:
                m_model.replaceAll(step.replace);
                break;
            case Command::Save:
                m_model.save();
                break;
            case Command::Open:
                m_model.open(step.chosenFile);
                break;
        }
    }

    // The file the model says was saved holds its lines, and loading it gives its trees.
    void compareSavedFile(std::ostringstream& out) {
        const std::string& path = *m_model.savedTo;
        const Lines& lines = m_model.files[path];
        if (testing::readBytes(path) != formatLines(lines, "\r\n")) {
            out << "saved file " << path << " holds:\n"
                << testing::readBytes(path) << "\nexpected:\n"
                << formatLines(lines, "\r\n") << "\n";
        }
        model::PairedTrees fresh;
        std::string thrown;
        try {
            if (const auto failure = model::loadDatabase(fresh, path)) {
                thrown = failure->message();
            }
        } catch (const Error& error) {
            thrown = error.message();
        }
        std::string error;
        const std::vector<Entry> expected = Model::loaded(lines, fileNameOf(path), error);
        if (testing::outline(fresh.records()) != modelOutline(expected, false, false) ||
            testing::outline(fresh.display(), true) != modelOutline(expected, true, false) ||
            thrown != error) {
            out << "loading the saved file gives records:\n"
                << testing::outline(fresh.records()) << "display:\n"
                << testing::outline(fresh.display(), true) << "error: " << thrown << "\n"
                << "expected records:\n"
                << modelOutline(expected, false, false) << "display:\n"
                << modelOutline(expected, true, false) << "error: " << error << "\n";
        }
    }

    // Reports every difference after a step; false when there was one.
    bool compare(const std::vector<std::string>& observed) {
        std::ostringstream out;
        if (observed != m_model.asked) {
            out << "asked [" << joined(observed, "; ") << "], expected ["
                << joined(m_model.asked, "; ") << "]\n";
        }
        if (m_trees.display().updateDepth() != 0 || m_trees.records().updateDepth() != 0) {
            out << "bulk updates left open: " << m_trees.display().updateDepth() << ", "
                << m_trees.records().updateDepth() << "\n";
        }
        if (const auto paired = testing::arePaired(m_trees); !paired) {
            out << "trees not paired: " << paired.message() << "\n";
        }
        const std::string records = testing::outline(m_trees.records(), false, true);
        if (records != modelOutline(m_model.nodes, false, true)) {
            out << "record tree:\n"
                << records << "expected:\n"
                << modelOutline(m_model.nodes, false, true);
        }
        const std::string display = testing::outline(m_trees.display(), true, true);
        if (display != modelOutline(m_model.nodes, true, true)) {
            out << "display tree:\n"
                << display << "expected:\n"
                << modelOutline(m_model.nodes, true, true);
        }
        const int selected = indexIn(m_trees.display(), m_trees.display().selected());
        const int recordSelected = indexIn(m_trees.records(), m_trees.records().selected());
        const int clip = indexIn(m_trees.display(), m_clipboard.clipNode());
        if (selected != m_model.find(m_model.selected) ||
            recordSelected != m_model.find(m_model.recordSelected) ||
            clip != m_model.find(m_model.clip) || m_clipboard.moveFlag() != m_model.moveFlag) {
            out << "selected " << selected << ", record selected " << recordSelected
                << ", clip node " << clip << ", move " << m_clipboard.moveFlag() << "; expected "
                << m_model.find(m_model.selected) << ", " << m_model.find(m_model.recordSelected)
                << ", " << m_model.find(m_model.clip) << ", " << m_model.moveFlag << "\n";
        }
        if (m_workspace.currentDatabasePath() != m_model.path) {
            out << "current database " << m_workspace.currentDatabasePath() << ", expected "
                << m_model.path << "\n";
        }
        if (m_workspace.isProtected() != m_model.protectedFile) {
            out << "protected " << m_workspace.isProtected() << ", expected "
                << m_model.protectedFile << "\n";
        }
        if (m_model.savedTo) {
            compareSavedFile(out);
        }
        for (const auto& [path, warning] : m_model.broken) {
            if (testing::readBytes(path) != m_brokenBytes) {
                out << "the file that failed to load was written over: " << path << "\n";
            }
        }
        if (out.str().empty()) {
            return true;
        }
        ADD_FAILURE() << "seed " << m_seed << ", step " << m_log.back() << "\n"
                      << out.str() << "commands so far:\n"
                      << joined(m_log, "\n");
        return false;
    }

    unsigned m_seed;
    std::mt19937 m_random;
    testing::TempDir m_dir;
    testing::ScopedCurrentDirectory m_inside{m_dir.path()};
    UnsyncedFileSystem m_files;
    platform::ScopedFileSystem m_installed{m_files};
    model::PairedTrees m_trees;
    testing::FakePrompts m_prompts;
    Workspace m_workspace{m_trees, m_prompts};
    editing::Clipboard m_clipboard{m_trees.display()};
    editing::Replacer m_replacer{[](const platform::ReplaceFields& fields) {
        return editing::Replacement{replacing(fields.text, fields.replacement), std::nullopt};
    }};
    Model m_model;
    std::vector<std::string> m_pool;  // the database files an open may choose
    std::vector<std::string> m_log;
    std::string m_brokenBytes;
    std::string m_copiedText;  // the system clipboard
    platform::Utf8Codec m_codec;
};

TEST(RandomCommandsTest, EveryCommandDoesWhatTheReferenceModelDoes) {
    // The first failing seed is enough to replay; later ones would repeat its report.
    for (unsigned seed = 1; seed <= kSeeds; ++seed) {
        Session session(seed);
        if (!session.run(kStepsPerSeed)) {
            return;
        }
    }
}

}  // namespace
}  // namespace quorvia::workspace
