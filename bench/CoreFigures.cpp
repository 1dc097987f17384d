// Figures of the core: the database file, the imports, the export, the drag rules, and the
// baselines they are compared with.
#include <cstring>
#include <memory>

#include "BenchPrompts.h"
#include "Figures.h"
#include "editing/Containment.h"
#include "export/PhoneExport.h"
#include "import/TextImport.h"
#include "model/DatabaseFile.h"
#include "model/LoadSequence.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "workspace/Workspace.h"

namespace quorvia::bench {

namespace {

size_t countLines(const std::string& bytes) {
    size_t lines = 0;
    for (const char* p = bytes.data();
         (p = static_cast<const char*>(std::memchr(
              p, '\n', bytes.size() - static_cast<size_t>(p - bytes.data())))) != nullptr;
         ++p) {
        ++lines;
    }
    return lines;
}

Figure rawScan(const std::string& key, const std::string& label, const std::string& path,
               int runs) {
    return timeIt(key, label, runs, nullptr, [&] {
        std::string bytes;
        (void)platform::readWholeFile(path, bytes);
        if (countLines(bytes) == 0) {
            std::fprintf(stderr, "%s is empty\n", path.c_str());
        }
    });
}

// A root holding one empty object, selected: ready for an import.
void prepareImportTarget(model::PairedTrees& trees) {
    model::loadDatabaseContent(trees, std::make_shared<std::string>("Quorvia\r\n\tO;Target;1\r\n"),
                               "Quorvia");
    trees.select(trees.display().nodeAt(1));
}

}  // namespace

void addBaselines(std::vector<Figure>& figures, const Inputs& inputs, int runs) {
    figures.push_back(
        rawScan("raw_scan_ms", "raw read + line count (baseline)", inputs.database, runs));
    const std::string copy = inputs.folder + "/copy";
    figures.push_back(timeIt("cp_ms", "cp of the database file (baseline)", runs, nullptr, [&] {
        platform::RunAndWait({"cp", inputs.database, copy});
    }));
    platform::deleteFile(copy);
    figures.push_back(rawScan("raw_scan_attributes_ms",
                              "raw read of the attribute file (baseline)", inputs.attributeFile,
                              runs));
    figures.push_back(rawScan("raw_scan_objects_ms", "raw read of the object file (baseline)",
                              inputs.objectFile, runs));
    figures.push_back(rawScan("raw_scan_phone_ms", "raw read of the phone file (baseline)",
                              inputs.phoneDatabase, runs));
}

void addCoreFigures(std::vector<Figure>& figures, const Inputs& inputs, int runs) {
    auto single = std::make_unique<model::Tree>();
    Figure read = timeIt(
        "read_one_tree_ms", "read into one tree", runs,
        [&] { single = std::make_unique<model::Tree>(); },
        [&] { model::readDatabaseFile(*single, inputs.database); });
    read.baselineKey = "raw_scan_ms";
    figures.push_back(read);
    single.reset();

    auto trees = std::make_unique<model::PairedTrees>();
    Figure load = timeIt(
        "load_sequence_ms", "load sequence (both trees + rebuild)", runs,
        [&] { trees = std::make_unique<model::PairedTrees>(); },
        [&] { model::loadDatabase(*trees, inputs.database); });
    load.baselineKey = "qtreewidget_fill_ms";
    figures.push_back(load);

    const std::string saved = inputs.folder + "/saved.qv";
    Figure save = timeIt("save_ms", "save", runs, nullptr,
                         [&] { model::writeDatabaseFile(trees->records(), saved); });
    save.baselineKey = "cp_ms";
    figures.push_back(save);
    platform::deleteFile(saved);

    const std::string exported = inputs.folder + "/exported.txt";
    Figure exporting = timeIt("export_ms", "export, without the package builder", runs, nullptr,
                              [&] { exporting::writeExportFiles(trees->records(), exported); });
    exporting.baselineKey = "cp_ms";
    figures.push_back(exporting);
    platform::deleteFile(exported);
    platform::deleteFile(exporting::kPackageScript);
    trees.reset();

    BenchPrompts prompts;
    model::PairedTrees target;
    Figure attributes = timeIt(
        "attribute_import_ms", "attribute import, 1,000,000 lines", runs,
        [&] {
            prepareImportTarget(target);
            prompts.openPaths = {inputs.attributeFile};
        },
        [&] { importing::importAttributes(target, prompts); });
    attributes.baselineKey = "raw_scan_attributes_ms";
    figures.push_back(attributes);

    Figure objects = timeIt(
        "object_import_ms", "object import, 100,000 rows x 10 columns", runs,
        [&] {
            prepareImportTarget(target);
            prompts.openPaths = {inputs.objectFile};
        },
        [&] { importing::importObjects(target, prompts); });
    objects.baselineKey = "raw_scan_objects_ms";
    figures.push_back(objects);

    {
        // The phone import makes the converted file the current database of a workspace.
        model::PairedTrees current;
        workspace::Workspace workspace(current, prompts);
        workspace.start();
        const std::string converted = inputs.folder + "/converted.qv";
        Figure phone = timeIt(
            "phone_import_ms", "phone import, 1,000,000 lines (conversion + load)", runs,
            [&] {
                prompts.openPaths = {inputs.phoneDatabase};
                prompts.savePaths = {converted};
            },
            [&] { workspace.importPhoneDatabase(); });
        phone.baselineKey = "raw_scan_phone_ms";
        figures.push_back(phone);
        platform::deleteFile(converted);
    }

    {
        model::Tree chain;
        model::Node* top = chain.appendChild(nullptr, "root");
        model::Node* dragged = chain.appendChild(top, "O;top;1");
        chain.setIconIndex(dragged, 1);
        model::Node* deepest = dragged;
        for (int i = 0; i < 10'000; ++i) {
            deepest = chain.appendChild(deepest, "O;x;1");
            chain.setIconIndex(deepest, 1);
        }
        constexpr int kTests = 1000;
        Figure drag = timeIt("drag_test_10000_deep_ms", "drag test over a 10,000-deep branch",
                             runs, nullptr, [&] {
                                 for (int i = 0; i < kTests; ++i) {
                                     if (editing::acceptsDrop(dragged, deepest, true)) {
                                         std::abort();  // its own subtree: always refused
                                     }
                                 }
                             });
        drag.median /= kTests;
        drag.min /= kTests;
        drag.max /= kTests;
        drag.label += " (one test)";
        figures.push_back(drag);
    }
}

}  // namespace quorvia::bench
