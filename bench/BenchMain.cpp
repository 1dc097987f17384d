// quorvia-bench: the program's speed and memory on generated inputs of realistic shape, each
// figure the median of several runs, beside baselines that show what the machine can do.
// Usage: quorvia-bench [--nodes N] [--runs R] [--json] [--part all|core|window|commands|start]
//        quorvia-bench [--nodes N] --write-database PATH   (the generated database only)
// "commands" times every command of the window at N/2 and N nodes; "start" starts the program
// on Xvfb with N and 2N nodes.
#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "DataGenerator.h"
#include "Figures.h"
#include "Measure.h"
#include "model/LoadSequence.h"
#include "platform/Files.h"

namespace quorvia::bench {
namespace {

// The offscreen platform's notice about size hints is not news for a benchmark.
void quietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (!message.contains(QLatin1String("propagateSizeHints"))) {
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    }
}

struct Options {
    size_t nodes = 1'000'000;
    int runs = 5;
    bool json = false;
    std::string writeDatabase;  // only write the generated database to this path
    std::string loadOnce;       // internal: load this file once, print the peak memory
    std::string windowOnce;     // internal: show this file in the window, print the peak memory
    std::vector<std::string> cyclesOnce;  // internal: database, cycles, what to print
    bool expandAll = false;  // internal: with --window-once, press "*" on the root first
    std::string part = "all";
    std::vector<std::string> timeStart;     // internal: program and database to start on X
    std::string program = QUORVIA_PROGRAM;  // the program the start part starts
};

[[noreturn]] void usage() {
    std::fprintf(stderr,
                 "usage: quorvia-bench [--nodes N] [--runs R] [--json]"
                 " [--part all|core|window|commands|start] [--program PATH]\n"
                 "       quorvia-bench [--nodes N] --write-database PATH\n");
    std::exit(2);
}

Options parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--nodes" && hasValue) {
            options.nodes = std::strtoul(argv[++i], nullptr, 10);
        } else if (arg == "--runs" && hasValue) {
            options.runs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--write-database" && hasValue) {
            options.writeDatabase = argv[++i];
        } else if (arg == "--load-once" && hasValue) {
            options.loadOnce = argv[++i];
        } else if (arg == "--cycles-once" && i + 3 < argc) {
            options.cyclesOnce = {argv[i + 1], argv[i + 2], argv[i + 3]};
            i += 3;
        } else if (arg == "--window-once" && hasValue) {
            options.windowOnce = argv[++i];
        } else if (arg == "--expand-all") {
            options.expandAll = true;
        } else if (arg == "--program" && hasValue) {
            options.program = argv[++i];
        } else if (arg == "--part" && hasValue) {
            options.part = argv[++i];
        } else if (arg == "--time-start" && i + 2 < argc) {
            options.timeStart = {argv[i + 1], argv[i + 2]};
            i += 2;
        } else {
            usage();
        }
    }
    if (options.part != "all" && options.part != "core" && options.part != "window" &&
        options.part != "commands" && options.part != "start") {
        usage();
    }
    if (options.nodes < 10) {
        usage();
    }
    return options;
}

std::string writeInput(const std::string& folder, const std::string& name,
                       const std::string& bytes) {
    const std::string path = folder + "/" + name;
    if (platform::replaceFile(path, bytes) != 0) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
    return path;
}

// The commands and the start write inputs of their own: the others are not written for them, so
// that the page cache holds no more than the figures need.
Inputs writeInputs(size_t nodes, bool all) {
    char folderTemplate[] = "/tmp/quorvia-bench-XXXXXX";
    Inputs inputs;
    inputs.folder = mkdtemp(folderTemplate);
    inputs.nodes = nodes;
    if (!all) {
        return inputs;
    }
    inputs.database = writeInput(inputs.folder, "bench.qv", generateDatabase(nodes));
    inputs.phoneDatabase = writeInput(inputs.folder, "phone.txt", generatePhoneDatabase(nodes));
    inputs.wideDatabase = writeInput(inputs.folder, "wide.qv", generateWideDatabase(100'000));
    inputs.attributeFile =
        writeInput(inputs.folder, "attributes.txt", generateAttributeFile(1'000'000));
    inputs.objectFile = writeInput(inputs.folder, "objects.txt", generateObjectFile(100'000, 10));
    inputs.tableDatabase = writeInput(inputs.folder, "table.qv", generateTableDatabase(nodes));
    return inputs;
}

void removeInputs(const Inputs& inputs) {
    for (const std::string& path : {inputs.database, inputs.phoneDatabase, inputs.wideDatabase,
                                    inputs.attributeFile, inputs.objectFile, inputs.tableDatabase,
                                    inputs.folder + "/Quorvia.ini", inputs.folder + "/Quorvia"}) {
        platform::deleteFile(path);
    }
    ::rmdir(inputs.folder.c_str());
}

// Keeps the recovery data and lock files of every window and workspace the figures open (and
// of the programs they start) in a scratch folder, never in the user's home.
class ScratchStateFolder final {
public:
    ScratchStateFolder() {
        char pattern[] = "/tmp/quorvia-bench-state-XXXXXX";
        m_path = ::mkdtemp(pattern) != nullptr ? pattern : "";
        ::setenv("XDG_STATE_HOME", m_path.c_str(), 1);
    }
    ~ScratchStateFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    ScratchStateFolder(const ScratchStateFolder&) = delete;
    ScratchStateFolder& operator=(const ScratchStateFolder&) = delete;

private:
    std::string m_path;
};

int run(const Options& options, int argc, char** argv) {
    if (!options.writeDatabase.empty()) {
        return platform::replaceFile(options.writeDatabase, generateDatabase(options.nodes)) == 0
                   ? 0
                   : 1;
    }
    if (!options.cyclesOnce.empty()) {
        return runCyclesOnce(options.cyclesOnce[0], std::atoi(options.cyclesOnce[1].c_str()),
                             options.cyclesOnce[2]);
    }
    if (options.timeStart.size() == 2) {
        return timeStartOnDisplay(options.timeStart[0], options.timeStart[1], options.runs);
    }
    if (!options.loadOnce.empty()) {
        model::PairedTrees trees;
        model::loadDatabase(trees, options.loadOnce);
        std::printf("%.1f\n", ownPeakMb());
        return trees.display().count() > 1 ? 0 : 1;
    }

    // The window is measured offscreen unless a display is at hand.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    qInstallMessageHandler(quietMessages);
    QApplication application(argc, argv);
    if (!options.windowOnce.empty()) {
        return showWindowOnce(options.windowOnce, options.expandAll);
    }

    const ScratchStateFolder state;
    const Inputs inputs =
        writeInputs(options.nodes,
                    options.part == "all" || options.part == "core" || options.part == "window");
    // The window and the phone import keep their settings file in the start directory.
    if (::chdir(inputs.folder.c_str()) != 0) {
        return 1;
    }
    const auto runs = [&](const char* part) {
        return options.part == "all" || options.part == part;
    };
    std::vector<Figure> figures;
    if (runs("core") || runs("window")) {
        addBaselines(figures, inputs, options.runs);
    }
    if (runs("core")) {
        addCoreFigures(figures, inputs, options.runs);
        addExchangeFigures(figures, inputs, options.runs);
        figures.push_back(peakMemoryFigure("peak_rss_mb", "load sequence: peak memory",
                                           {"--load-once", inputs.database},
                                           inputs.folder + "/peak.txt"));
        addMemoryFigures(figures, inputs);
    }
    if (runs("window")) {
        addWindowFigures(figures, inputs, options.runs);
    }
    if (runs("start")) {
        addStartFigures(figures, options.program, inputs.folder,
                        {options.nodes, 2 * options.nodes}, options.runs);
    }
    std::vector<Figure> small;
    std::vector<Figure> large;
    if (runs("commands")) {
        const std::string attributes =
            writeInput(inputs.folder, "attributes-100000.txt", generateAttributeFile(100'000));
        const std::string objects =
            writeInput(inputs.folder, "objects-10000.txt", generateObjectFile(10'000, 10));
        small =
            commandFigures(inputs.folder, options.nodes / 2, attributes, objects, options.runs);
        large = commandFigures(inputs.folder, options.nodes, attributes, objects, options.runs);
        platform::deleteFile(attributes);
        platform::deleteFile(objects);
    }
    removeInputs(inputs);

    if (options.json) {
        const std::vector<Figure> scaled =
            scalingFigures(small, large, options.nodes / 2, options.nodes);
        figures.insert(figures.end(), scaled.begin(), scaled.end());
        printJson(figures, options.nodes);
    } else {
        std::printf("quorvia-bench: %zu nodes, median of %d runs\n", options.nodes, options.runs);
        printTable(figures);
        if (!large.empty()) {
            printScaling(small, large, options.nodes / 2, options.nodes);
        }
    }
    return 0;
}

}  // namespace
}  // namespace quorvia::bench

int main(int argc, char** argv) {
    const auto options = quorvia::bench::parse(argc, argv);
    return quorvia::bench::run(options, argc, argv);
}
