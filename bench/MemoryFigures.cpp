// Memory over a long session: a database into which rows are imported and deleted again, a
// hundred times, against the same database freshly loaded. Each is measured in a process of its
// own, so nothing else the benchmark holds is counted.
#include <cstdio>
#include <string>
#include <utility>

#include "BenchPrompts.h"
#include "DataGenerator.h"
#include "Figures.h"
#include "editing/Deletion.h"
#include "import/TextImport.h"
#include "model/LoadSequence.h"
#include "platform/Files.h"

namespace quorvia::bench {

namespace {

constexpr int kCycles = 100;
constexpr int kRowsPerCycle = 5000;

Figure fromChild(const std::string& key, const std::string& label, const Inputs& inputs,
                 int cycles, const char* what) {
    Figure figure = peakMemoryFigure(
        key, label, {"--cycles-once", inputs.database, std::to_string(cycles), what},
        inputs.folder + "/cycles.txt");
    return figure;
}

}  // namespace

int runCyclesOnce(const std::string& database, int cycles, const std::string& what) {
    model::PairedTrees trees;
    model::loadDatabase(trees, database);
    const std::string rows = database + ".rows";
    if (platform::replaceFile(rows, generateAttributeFile(kRowsPerCycle)) != 0) {
        return 1;
    }
    BenchPrompts prompts;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        // A new object, the rows imported into it, the object deleted: three steps of the user.
        model::NodePair batch;
        {
            model::PairedTrees::Step step(trees);
            batch = trees.appendPair(trees.pairOf(trees.display().firstTopLevel()), "Batch", 2,
                                     "O;Batch;2");
        }
        trees.select(batch.display);
        prompts.openPaths = {rows};
        importing::importAttributes(trees, prompts);
        trees.select(batch.display);
        editing::deleteSelected(trees, prompts);
    }
    platform::deleteFile(rows);
    const double mb = what == "text" ? static_cast<double>(trees.display().textBytesHeld() +
                                                           trees.records().textBytesHeld()) /
                                           (1024.0 * 1024.0)
                                     : ownMemoryMb("VmRSS:");
    std::printf("%.1f\n", mb);
    return 0;
}

void addMemoryFigures(std::vector<Figure>& figures, const Inputs& inputs) {
    for (const auto& [what, name] :
         {std::pair<const char*, const char*>{"text", "text storage"}, {"resident", "memory"}}) {
        const std::string key = std::string(what) + "_fresh_mb";
        figures.push_back(
            fromChild(key, std::string(name) + " after a load (baseline)", inputs, 0, what));
        Figure cycles = fromChild(std::string(what) + "_cycles_mb",
                                  std::string(name) + " after 100 import/delete cycles", inputs,
                                  kCycles, what);
        cycles.baselineKey = key;
        figures.push_back(cycles);
    }
}

}  // namespace quorvia::bench
