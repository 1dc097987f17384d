// Timing and memory figures of the benchmark.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorvia::bench {

struct Figure {
    std::string key;    // the JSON key
    std::string label;  // the table's text
    double median = 0;
    double min = 0;
    double max = 0;
    std::string unit = "ms";
    std::string baselineKey;  // a figure this one is compared with, if any
};

// The median, min and max of samples taken by hand.
Figure figureOf(const std::string& key, const std::string& label, std::vector<double> samples,
                const std::string& unit = "ms");

// Runs `prepare` then times `work`, `runs` times; median, min and max in milliseconds.
Figure timeIt(const std::string& key, const std::string& label, int runs,
              const std::function<void()>& prepare, const std::function<void()>& work);

// Runs `arguments` (the program found on the search path) and waits; what it printed on
// standard output, passed through the file `scratch`, or nothing when it did not exit with 0.
std::optional<std::string> outputOf(std::vector<std::string> arguments,
                                    const std::string& scratch);

// A memory figure of this process from the kernel ("VmRSS:", "VmHWM:"), in MB.
double ownMemoryMb(const char* field);
// The same of another process ("self", or a process id).
double processMemoryMb(const std::string& process, const char* field);
// The high-water mark of this process's own memory (the kernel's VmHWM), in MB.
double ownPeakMb();

void printTable(const std::vector<Figure>& figures);
// The same figures taken at two sizes, side by side with the ratio of their medians.
void printScaling(const std::vector<Figure>& small, const std::vector<Figure>& large,
                  size_t smallNodes, size_t largeNodes);
// The two sizes' figures with their sizes in their keys, and the ratios as figures of their own.
std::vector<Figure> scalingFigures(const std::vector<Figure>& small,
                                   const std::vector<Figure>& large, size_t smallNodes,
                                   size_t largeNodes);
void printJson(const std::vector<Figure>& figures, size_t nodes);

}  // namespace quorvia::bench
