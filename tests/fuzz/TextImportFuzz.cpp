// Fuzz target of the two text imports: whatever the files hold, both trees stay paired, no bulk
// update stays open and the record tree still saves and reads back as it is.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "editing/Containment.h"
#include "fuzz/FuzzChecks.h"
#include "import/TextImport.h"
#include "model/DatabaseFile.h"
#include "model/FieldList.h"
#include "model/PairedTrees.h"
#include "platform/Error.h"
#include "platform/TextFiles.h"
#include "support/FakePrompts.h"
#include "support/TreeHelpers.h"

namespace {

using namespace quorvia;
using fuzz::check;

constexpr const char* kDatabase =
    "Quorvia\r\n\tO;Contacts;7\r\n\t\tO;Ann Berg;6\r\n\t\t\tT;Phone;555\r\n\tO;Notes;9\r\n";

void checkTrees(const model::PairedTrees& trees) {
    check(static_cast<bool>(quorvia::testing::arePaired(trees)),
          "an import leaves the trees paired");
    check(trees.display().updateDepth() == 0 && trees.records().updateDepth() == 0,
          "an import ends its bulk updates");
}

// The record tree is what gets saved: it must read back as it is, unless a NUL from an imported
// file (where the reader stops) sits in a record.
void checkSaves(const model::Tree& records) {
    const std::string written = model::formatDatabase(records);
    if (written.find('\0') != std::string::npos) {
        return;
    }
    model::Tree reread;
    try {
        model::parseDatabase(reread, std::make_shared<const std::string>(written));
    } catch (const Error&) {
        check(false, "the record tree saves as a readable file");
    }
    check(fuzz::shapeOf(reread) == fuzz::shapeOf(records), "the record tree reads back as is");
}

// The number of columns the first line of the object file names, or -1 when it has no line.
int headerCount(const std::string& bytes) {
    platform::TextLineReader reader(bytes);
    if (reader.atEnd()) {
        return -1;
    }
    model::FieldList fields;
    fields.split(reader.readLine());
    return fields.count();
}

template <typename Import>
void runImport(Import import, model::PairedTrees& trees, quorvia::testing::FakePrompts& prompts) {
    try {
        import(trees, prompts);
    } catch (const Error&) {
        // An error box for the user; the trees must still be sound.
    }
    checkTrees(trees);
    for (const std::string& asked : prompts.asked) {
        check(asked.rfind("UNSCRIPTED", 0) != 0, "an import asks only what it should");
    }
    prompts.asked.clear();
}

}  // namespace

// Byte 0 picks the name column (or a cancel), byte 1 the two targets, bytes 2-3 the length of
// the attribute file; the rest is the attribute file followed by the object file.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto byte = [&](size_t i) { return i < size ? data[i] : uint8_t{0}; };
    const std::string_view rest(reinterpret_cast<const char*>(data) + std::min<size_t>(size, 4),
                                size - std::min<size_t>(size, 4));
    const size_t split = (byte(2) | static_cast<size_t>(byte(3)) << 8) % (rest.size() + 1);
    const std::string attributes(rest.substr(0, split));
    const std::string objects(rest.substr(split));

    const fuzz::RamFolder& folder = fuzz::RamFolder::instance();
    folder.write("attributes.txt", attributes);
    folder.write("objects.txt", objects);

    model::PairedTrees trees;
    quorvia::testing::loadPaired(trees, kDatabase);
    quorvia::testing::FakePrompts prompts;

    trees.select(trees.display().nodeAt(byte(1) % trees.display().count()));
    prompts.openAnswers.push_back(folder.path("attributes.txt"));
    const bool attributeTarget = editing::mayImportAttributesInto(trees.display().selected());
    runImport(importing::importAttributes, trees, prompts);
    if (!attributeTarget) {
        prompts.openAnswers.clear();
    }

    trees.select(trees.display().nodeAt(byte(1) / 8 % trees.display().count()));
    if (editing::mayImportObjectsInto(trees.display().selected())) {
        prompts.openAnswers.push_back(folder.path("objects.txt"));
        if (const int headers = headerCount(objects); headers >= 0) {
            prompts.columnAnswers.push_back(byte(0) % (headers + 1) - 1);
        }
    }
    runImport(importing::importObjects, trees, prompts);
    checkSaves(trees.records());
    return 0;
}
