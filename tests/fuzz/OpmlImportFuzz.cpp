// Fuzz target of the outline import: whatever the file holds, the trees stay paired, a refused
// file adds nothing, and every outline Quorvia writes of the result reads back byte for byte.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "export/OpmlExport.h"
#include "fuzz/FuzzChecks.h"
#include "import/OpmlImport.h"
#include "model/PairedTrees.h"
#include "platform/Error.h"
#include "support/FakePrompts.h"
#include "support/TreeHelpers.h"

namespace {

using namespace quorvia;
using fuzz::check;
using importing::OutlineRecords;

constexpr const char* kDatabase =
    "Quorvia\r\n\tO;Contacts;7\r\n\t\tO;Ann Berg;6\r\n\t\t\tT;Phone;555\r\n\tT;odd;a;b\r\n";

// The records of the root's branch, each with its level below the root.
std::string branchOfRoot(const model::Tree& records) {
    std::string lines;
    model::forEachInSubtree(*records.firstTopLevel(), [&](const model::Node& node, int level) {
        if (level > 0) {
            lines.append(std::to_string(level - 1)).append(" ").append(node.text()).append("\n");
        }
    });
    return lines;
}

}  // namespace

// Byte 0 picks the target; the rest is the outline file.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data) + (size > 0 ? 1 : 0),
                                size > 0 ? size - 1 : 0);
    const fuzz::RamFolder& folder = fuzz::RamFolder::instance();
    folder.write("in.opml", file);

    model::PairedTrees trees;
    quorvia::testing::loadPaired(trees, kDatabase);
    trees.select(trees.display().nodeAt(size > 0 ? data[0] % trees.display().count() : 0));
    quorvia::testing::FakePrompts prompts;
    prompts.openAnswers.push_back(folder.path("in.opml"));
    const int before = trees.display().count();
    const platform::Utf8Codec codec;
    try {
        importing::importOutline(trees, prompts, codec);
    } catch (const Error&) {
        check(false, "an outline is refused with a warning, never an error");
    }
    check(static_cast<bool>(quorvia::testing::arePaired(trees)),
          "the import leaves the trees paired");
    check(trees.display().updateDepth() == 0 && trees.records().updateDepth() == 0,
          "the import ends its bulk updates");
    const bool warned = !prompts.asked.empty() && prompts.asked.back().rfind("warn: ", 0) == 0;
    check(!warned || trees.display().count() == before, "a refused outline adds nothing");

    const model::NodePair root{trees.display().firstTopLevel(), trees.records().firstTopLevel()};
    const OutlineRecords reread =
        importing::readOutline(exporting::formatOutline(root, codec), "out.opml", codec);
    check(reread.refusal.empty(), "an outline Quorvia writes reads back");
    std::string lines;
    for (const auto& line : reread.lines) {
        lines.append(std::to_string(line.level)).append(" ");
        lines.append(reread.bytes, line.offset, line.length).append("\n");
    }
    check(lines == branchOfRoot(trees.records()), "every record comes back byte for byte");
    return 0;
}
