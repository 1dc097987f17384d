#include "Measure.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/Files.h"
#include "platform/Process.h"

namespace quorvia::bench {

Figure figureOf(const std::string& key, const std::string& label, std::vector<double> samples,
                const std::string& unit) {
    Figure figure;
    figure.key = key;
    figure.label = label;
    figure.unit = unit;
    if (samples.empty()) {
        figure.median = figure.min = figure.max = -1;
        return figure;
    }
    std::sort(samples.begin(), samples.end());
    figure.median = samples[samples.size() / 2];
    figure.min = samples.front();
    figure.max = samples.back();
    return figure;
}

Figure timeIt(const std::string& key, const std::string& label, int runs,
              const std::function<void()>& prepare, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        if (prepare) {
            prepare();
        }
        const auto start = std::chrono::steady_clock::now();
        work();
        const auto end = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    return figureOf(key, label, std::move(times));
}

std::optional<std::string> outputOf(std::vector<std::string> arguments,
                                    const std::string& scratch) {
    const platform::ProgramRun run =
        platform::ChildProcess::start(arguments, {"", scratch, ""}).wait();
    std::string report;
    (void)platform::readWholeFile(scratch, report);
    platform::deleteFile(scratch);
    if (!run.exited || run.exitCode != 0) {
        return std::nullopt;
    }
    return report;
}

double ownMemoryMb(const char* field) {
    return processMemoryMb("self", field);
}

double processMemoryMb(const std::string& process, const char* field) {
    std::FILE* status = std::fopen(("/proc/" + process + "/status").c_str(), "r");
    char line[256];
    double mb = -1;
    const size_t length = std::strlen(field);
    while (status != nullptr && std::fgets(line, sizeof line, status) != nullptr) {
        if (std::strncmp(line, field, length) == 0) {
            mb = std::strtod(line + length, nullptr) / 1024.0;
        }
    }
    if (status != nullptr) {
        std::fclose(status);
    }
    return mb;
}

double ownPeakMb() {
    return ownMemoryMb("VmHWM:");
}

namespace {
const Figure* find(const std::vector<Figure>& figures, const std::string& key) {
    for (const Figure& figure : figures) {
        if (figure.key == key) {
            return &figure;
        }
    }
    return nullptr;
}
}  // namespace

void printTable(const std::vector<Figure>& figures) {
    std::printf("%-52s %12s %12s %12s  %s\n", "figure", "median", "min", "max", "ratio");
    for (const Figure& f : figures) {
        std::string ratio;
        if (const Figure* base = find(figures, f.baselineKey);
            base != nullptr && base->median > 0) {
            char text[64];
            std::snprintf(text, sizeof text, "%.2f x %s", f.median / base->median,
                          base->key.c_str());
            ratio = text;
        }
        // Figures below a millisecond keep their microseconds.
        const char* format = f.max < 1 ? "%-52s %9.4f %s %9.4f %s %9.4f %s  %s\n"
                                       : "%-52s %9.1f %s %9.1f %s %9.1f %s  %s\n";
        std::printf(format, f.label.c_str(), f.median, f.unit.c_str(), f.min, f.unit.c_str(),
                    f.max, f.unit.c_str(), ratio.c_str());
    }
}

void printScaling(const std::vector<Figure>& small, const std::vector<Figure>& large,
                  size_t smallNodes, size_t largeNodes) {
    std::printf("\n%-48s %12zu %12zu  %s\n", "command (median, ms)", smallNodes, largeNodes,
                "ratio");
    for (size_t i = 0; i < small.size() && i < large.size(); ++i) {
        const double ratio = small[i].median > 0 ? large[i].median / small[i].median : 0;
        // More than 2.5 times the time for twice the nodes: the command is not linear.
        std::printf("%-48s %12.1f %12.1f  %.2f%s\n", large[i].label.c_str(), small[i].median,
                    large[i].median, ratio, ratio > 2.5 ? "  SUPERLINEAR" : "");
    }
}

std::vector<Figure> scalingFigures(const std::vector<Figure>& small,
                                   const std::vector<Figure>& large, size_t smallNodes,
                                   size_t largeNodes) {
    std::vector<Figure> figures;
    for (size_t i = 0; i < small.size() && i < large.size(); ++i) {
        Figure low = small[i];
        low.key += "_" + std::to_string(smallNodes);
        Figure high = large[i];
        high.key += "_" + std::to_string(largeNodes);
        Figure ratio;
        ratio.key = large[i].key + "_ratio";
        ratio.label = large[i].label + " (ratio)";
        ratio.unit = "x";
        ratio.median = ratio.min = ratio.max =
            small[i].median > 0 ? large[i].median / small[i].median : 0;
        figures.insert(figures.end(), {low, high, ratio});
    }
    return figures;
}

void printJson(const std::vector<Figure>& figures, size_t nodes) {
    std::printf("{\n  \"nodes\": %zu", nodes);
    for (const Figure& f : figures) {
        std::printf(",\n  \"%s\": %.4f", f.key.c_str(), f.median);
    }
    std::printf(",\n  \"details\": {");
    bool first = true;
    for (const Figure& f : figures) {
        std::printf(
            "%s\n    \"%s\": {\"median\": %.2f, \"min\": %.2f, \"max\": %.2f, \"unit\": \"%s\"}",
            first ? "" : ",", f.key.c_str(), f.median, f.min, f.max, f.unit.c_str());
        first = false;
    }
    std::printf("\n  }\n}\n");
}

}  // namespace quorvia::bench
