// Memory over a long session: a database into which rows are imported and deleted again, a
// hundred times, against the same database freshly loaded. Each is measured in a process of its
// own, so nothing else the benchmark holds is counted.
#include <cstdio>
#include <cstring>
#include <string>

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

double residentMb() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    char line[256];
    double resident = -1;
    while (status != nullptr && std::fgets(line, sizeof line, status) != nullptr) {
        if (std::strncmp(line, "VmRSS:", 6) == 0) {
            resident = std::strtod(line + 6, nullptr) / 1024.0;
        }
    }
    if (status != nullptr) {
        std::fclose(status);
    }
    return resident;
}

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
                                     : residentMb();
    std::printf("%.1f\n", mb);
    return 0;
}

void addMemoryFigures(std::vector<Figure>& figures, const Inputs& inputs) {
    figures.push_back(
        fromChild("text_fresh_mb", "text storage after a load (baseline)", inputs, 0, "text"));
    Figure text = fromChild("text_cycles_mb", "text storage after 100 import/delete cycles",
                            inputs, kCycles, "text");
    text.baselineKey = "text_fresh_mb";
    figures.push_back(text);
    figures.push_back(
        fromChild("resident_fresh_mb", "memory after a load (baseline)", inputs, 0, "resident"));
    Figure resident = fromChild("resident_cycles_mb", "memory after 100 import/delete cycles",
                                inputs, kCycles, "resident");
    resident.baselineKey = "resident_fresh_mb";
    figures.push_back(resident);
}

}  // namespace quorvia::bench
