// Fuzz target of the database file reader: a file that reads must come back unchanged from a
// write and a second read, and its load must leave both trees paired and the display decoded.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/FuzzChecks.h"
#include "model/DatabaseFile.h"
#include "model/LoadSequence.h"
#include "model/NodeRecord.h"
#include "model/PairedTrees.h"
#include "platform/Error.h"
#include "support/TreeHelpers.h"

namespace {

using namespace quorvia;
using fuzz::check;

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// Parses `bytes` into `tree`; false when the reader refused them.
bool parse(model::Tree& tree, const std::string& bytes) {
    try {
        model::parseDatabase(tree, std::make_shared<const std::string>(bytes));
        return true;
    } catch (const Error& error) {
        check(startsWith(error.message(), "Niveau incorrect ("), "the reader's only error");
        return false;
    }
}

void checkRoundTrip(const model::Tree& first) {
    const std::string written = model::formatDatabase(first);
    model::Tree second;
    check(parse(second, written), "a written database reads back");
    check(fuzz::shapeOf(second) == fuzz::shapeOf(first), "a written database keeps its shape");
    check(model::formatDatabase(second) == written, "writing again gives the same bytes");
}

// Loads the file as the program does and checks what both trees hold afterwards.
void checkLoad(const std::string& bytes, const model::Tree& parsed, bool readable) {
    const fuzz::RamFolder& folder = fuzz::RamFolder::instance();
    folder.write("db", bytes);
    model::PairedTrees trees;
    std::optional<Error> failure;
    bool shortRecord = false;
    try {
        failure = model::loadDatabase(trees, folder.path("db"));
    } catch (const Error& error) {
        check(startsWith(error.message(), "Indice de liste hors limites ("),
              "a load raises only the short-record error");
        shortRecord = true;
    }
    check(trees.display().updateDepth() == 0 && trees.records().updateDepth() == 0,
          "a load ends its bulk updates");
    check(static_cast<bool>(quorvia::testing::arePaired(trees)), "a load leaves the trees paired");
    // Text behind a NUL is never shown, so such a file counts as one that failed to load.
    const size_t nul = bytes.find('\0');
    const bool textAfterNul =
        nul != std::string::npos &&
        bytes.find_first_not_of(std::string("\0\r\n", 3), nul) != std::string::npos;
    check(failure.has_value() == (!readable || textAfterNul),
          "the load fails exactly when the reader does or text follows a NUL");

    const auto records = fuzz::shapeOf(trees.records());
    if (readable && !parsed.isEmpty()) {
        check(records == fuzz::shapeOf(parsed), "the record tree holds the file");
    } else {
        check(records.size() == 1 && records[0].second == "db",
              "an unreadable or empty file gives one root named after it");
    }

    const model::Node* display = trees.display().firstTopLevel();
    check(display->text() == "db" && display->iconIndex() == model::kRootIcon,
          "the display root is named after the file");
    model::DecodedRecord decoded;
    bool anyShort = false;
    const model::Node* record = trees.records().firstTopLevel();
    for (display = model::Tree::nextInPreorder(display),
        record = model::Tree::nextInPreorder(record);
         display != nullptr; display = model::Tree::nextInPreorder(display),
        record = model::Tree::nextInPreorder(record)) {
        model::decodeRecord(record->text(), decoded);
        check(display->shownText() == decoded.displayText, "a display text is its decoded record");
        check(display->iconIndex() == decoded.iconIndex, "a display icon is its decoded record's");
        anyShort = anyShort || decoded.missingField >= 0;
    }
    check((anyShort && !textAfterNul) == shortRecord,
          "the short-record error comes exactly for a short record of a file without text "
          "behind a NUL");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    model::Tree tree;
    const bool readable = parse(tree, bytes);
    if (readable) {
        checkRoundTrip(tree);
    }
    checkLoad(bytes, tree, readable);
    return 0;
}
