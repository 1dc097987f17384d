// quorvia-bench: the core's speed and memory on a generated database of realistic shape.
// Usage: quorvia-bench [--nodes N] [--runs R] [--json]
//        quorvia-bench [--nodes N] --write-database PATH   (the generated database only)
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QTreeWidget>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "DataGenerator.h"
#include "Measure.h"
#include "model/DatabaseFile.h"
#include "model/LoadSequence.h"
#include "platform/Files.h"

extern char** environ;

namespace quorvia::bench {
namespace {

struct Options {
    size_t nodes = 1'000'000;
    int runs = 5;
    bool json = false;
    std::string loadOnce;       // internal: load this file once and exit (peak memory)
    std::string writeDatabase;  // only write the generated database to this path
};

Options parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--nodes" && i + 1 < argc) {
            options.nodes = std::strtoul(argv[++i], nullptr, 10);
        } else if (arg == "--runs" && i + 1 < argc) {
            options.runs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--write-database" && i + 1 < argc) {
            options.writeDatabase = argv[++i];
        } else if (arg == "--load-once" && i + 1 < argc) {
            options.loadOnce = argv[++i];
        } else {
            std::fprintf(stderr,
                         "usage: quorvia-bench [--nodes N] [--runs R] [--json]\n"
                         "       quorvia-bench [--nodes N] --write-database PATH\n");
            std::exit(2);
        }
    }
    return options;
}

// The high-water mark of this process's own memory (the kernel's VmHWM), in MB.
double ownPeakMb() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    char line[256];
    double peak = -1;
    while (status != nullptr && std::fgets(line, sizeof line, status) != nullptr) {
        if (std::strncmp(line, "VmHWM:", 6) == 0) {
            peak = std::strtod(line + 6, nullptr) / 1024.0;
        }
    }
    if (status != nullptr) {
        std::fclose(status);
    }
    return peak;
}

// Peak memory of a fresh process that runs the load sequence once, so that nothing else the
// benchmark holds is counted. The child reports its own high-water mark on its output.
double loadSequencePeakMb(const std::string& path, const std::string& reportPath) {
    std::string self = "/proc/self/exe";
    std::vector<char*> argv{self.data(), const_cast<char*>("--load-once"),
                            const_cast<char*>(path.c_str()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, reportPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, self.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        return -1;
    }
    std::string report;
    (void)platform::readWholeFile(reportPath, report);
    platform::deleteFile(reportPath);
    return std::strtod(report.c_str(), nullptr);
}

void fillTreeWidget(QTreeWidget& widget, const model::Tree& display) {
    std::vector<QTreeWidgetItem*> path;
    for (const model::Node* node = display.firstTopLevel(); node != nullptr;
         node = model::Tree::nextInPreorder(node)) {
        const auto level = static_cast<size_t>(node->level());
        path.resize(level);
        auto* item = new QTreeWidgetItem(QStringList{
            QString::fromUtf8(node->text().data(), static_cast<int>(node->text().size()))});
        if (level == 0) {
            widget.addTopLevelItem(item);
        } else {
            path.back()->addChild(item);
        }
        path.push_back(item);
    }
}

int run(const Options& options, int argc, char** argv) {
    if (!options.loadOnce.empty()) {
        model::PairedTrees trees;
        model::FieldList fields;
        model::loadDatabase(trees, fields, options.loadOnce);
        std::printf("%.1f\n", ownPeakMb());
        return trees.tvMain.count() > 0 ? 0 : 1;
    }

    if (!options.writeDatabase.empty()) {
        return platform::replaceFile(options.writeDatabase, generateDatabase(options.nodes)) == 0
                   ? 0
                   : 1;
    }

    char folderTemplate[] = "/tmp/quorvia-bench-XXXXXX";
    const std::string folder = mkdtemp(folderTemplate);
    const std::string path = folder + "/bench.qv";
    const std::string copyPath = folder + "/saved.qv";
    if (platform::replaceFile(path, generateDatabase(options.nodes)) != 0) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }

    std::vector<Figure> figures;
    const int runs = options.runs;

    figures.push_back(
        timeIt("raw_scan_ms", "raw read + line count (baseline)", runs, nullptr, [&] {
            std::string bytes;
            (void)platform::readWholeFile(path, bytes);
            size_t lines = 0;
            for (const char* p = bytes.data();
                 (p = static_cast<const char*>(
                      std::memchr(p, '\n', bytes.size() - (p - bytes.data())))) != nullptr;
                 ++p) {
                ++lines;
            }
            if (lines != options.nodes) {
                std::fprintf(stderr, "line count %zu\n", lines);
            }
        }));

    auto single = std::make_unique<model::Tree>();
    Figure read = timeIt(
        "read_one_tree_ms", "read into one tree", runs,
        [&] { single = std::make_unique<model::Tree>(); },
        [&] { model::readDatabaseFile(*single, path); });
    read.baselineKey = "raw_scan_ms";
    figures.push_back(read);
    single.reset();

    auto trees = std::make_unique<model::PairedTrees>();
    model::FieldList fields;
    Figure load = timeIt(
        "load_sequence_ms", "load sequence (both trees + rebuild)", runs,
        [&] { trees = std::make_unique<model::PairedTrees>(); },
        [&] { model::loadDatabase(*trees, fields, path); });
    load.baselineKey = "qtreewidget_fill_ms";

    Figure save = timeIt("save_ms", "save", runs, nullptr,
                         [&] { model::writeDatabaseFile(trees->tvMirror, copyPath); });
    save.baselineKey = "raw_scan_ms";
    if (platform::readWholeFile(copyPath, *std::make_unique<std::string>()) != 0) {
        return 1;
    }

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    std::unique_ptr<QTreeWidget> widget;
    // Tearing the items down is not part of the fill.
    Figure fill = timeIt(
        "qtreewidget_fill_ms", "QTreeWidget fill, same texts (baseline)", runs,
        [&] { widget = std::make_unique<QTreeWidget>(); },
        [&] { fillTreeWidget(*widget, trees->tvMain); });
    widget.reset();
    figures.push_back(load);
    figures.push_back(save);
    figures.push_back(fill);

    Figure peak;
    peak.key = "peak_rss_mb";
    peak.label = "peak memory of the load sequence";
    peak.unit = "MB";
    peak.median = peak.min = peak.max = loadSequencePeakMb(path, folder + "/peak.txt");
    figures.push_back(peak);

    platform::deleteFile(path);
    platform::deleteFile(copyPath);
    ::rmdir(folder.c_str());

    if (options.json) {
        printJson(figures, options.nodes);
    } else {
        std::printf("quorvia-bench: %zu nodes, median of %d runs\n", options.nodes, runs);
        printTable(figures);
    }
    return 0;
}

}  // namespace
}  // namespace quorvia::bench

int main(int argc, char** argv) {
    const auto options = quorvia::bench::parse(argc, argv);
    return quorvia::bench::run(options, argc, argv);
}
