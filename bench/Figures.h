// The benchmark's figures, by the part of the program they time.
#pragma once

#include <string>
#include <vector>

#include "Measure.h"

namespace quorvia::bench {

// The generated inputs, written once into a scratch folder.
struct Inputs {
    std::string folder;
    std::string database;       // `nodes` nodes
    std::string phoneDatabase;  // the same tree as a phone database file
    std::string wideDatabase;   // one object holding 100,000 attributes
    std::string attributeFile;  // 1,000,000 lines
    std::string objectFile;     // 100,000 rows of 10 columns
    std::string tableDatabase;  // the root's `nodes` / 100 objects of 99 attributes
    size_t nodes = 0;
};

void addBaselines(std::vector<Figure>& figures, const Inputs& inputs, int runs);
void addCoreFigures(std::vector<Figure>& figures, const Inputs& inputs, int runs);
// The exports for other programs (table, outline, web page) and the outline import.
void addExchangeFigures(std::vector<Figure>& figures, const Inputs& inputs, int runs);
void addWindowFigures(std::vector<Figure>& figures, const Inputs& inputs, int runs);

// Every command of the window on a database of `nodes` nodes written into `folder`, whose first
// object holds 100,000 attributes; the imports read the two files given.
std::vector<Figure> commandFigures(const std::string& folder, size_t nodes,
                                   const std::string& attributeFile, const std::string& objectFile,
                                   int runs);

// For each size: reading the database into one tree, and, round after round, starting `program`
// on it under xvfb-run until its window is mapped and hnb's load and export of it.
void addStartFigures(std::vector<Figure>& figures, const std::string& program,
                     const std::string& folder, const std::vector<size_t>& sizes, int runs);
// Runs on the X display: starts `program` `runs` times and prints, for each, the time to its
// window, the processor time and the peak memory it took.
int timeStartOnDisplay(const std::string& program, const std::string& database, int runs);

// Runs in a process of its own: opens `database` in the window, paints it (after "*" on the
// root when asked) and prints the process's peak memory in MB.
int showWindowOnce(const std::string& database, bool expandAll);

// Runs in a process of its own: loads `database`, imports rows into a new object and deletes it
// `cycles` times, and prints the text storage ("text") or the resident memory in MB.
int runCyclesOnce(const std::string& database, int cycles, const std::string& what);
void addMemoryFigures(std::vector<Figure>& figures, const Inputs& inputs);

// The peak memory, in MB, of a fresh process (this program with `arguments`), which prints it;
// `scratch` is a file to pass it through.
Figure peakMemoryFigure(const std::string& key, const std::string& label,
                        const std::vector<std::string>& arguments, const std::string& scratch);

}  // namespace quorvia::bench
