// Figures of the files exchanged with other programs: the table, outline and web page exports
// and the outline import, run as the window runs them (its code page, its pictures).
#include <memory>

#include "BenchPrompts.h"
#include "Figures.h"
#include "export/OpmlExport.h"
#include "export/TableExport.h"
#include "export/WebPageExport.h"
#include "import/OpmlImport.h"
#include "model/LoadSequence.h"
#include "platform/Files.h"
#include "ui/DataExchange.h"

namespace quorvia::bench {

namespace {

// Times an export of the whole database (nothing selected: from the root) into `file`.
template <typename Export>
Figure timeExport(const std::string& key, const std::string& label, const std::string& database,
                  const std::string& file, int runs, Export&& exportTo) {
    model::PairedTrees trees;
    model::loadDatabase(trees, database);
    BenchPrompts prompts;
    return timeIt(
        key, label, runs, [&] { prompts.savePaths = {file}; }, [&] { exportTo(trees, prompts); });
}

}  // namespace

void addExchangeFigures(std::vector<Figure>& figures, const Inputs& inputs, int runs) {
    const ui::CodePageCodec codec;
    const std::string table = inputs.folder + "/exported-table.txt";
    figures.push_back(timeExport(
        "export_table_ms", "export as table, the root's objects of 99 attributes",
        inputs.tableDatabase, table, runs, [&](model::PairedTrees& trees, BenchPrompts& prompts) {
            exporting::exportTable(trees, prompts, codec);
        }));
    platform::deleteFile(table);

    const std::string outline = inputs.folder + "/exported.opml";
    figures.push_back(timeExport("export_opml_ms", "export as outline (OPML)", inputs.database,
                                 outline, runs,
                                 [&](model::PairedTrees& trees, BenchPrompts& prompts) {
                                     exporting::exportOutline(trees, prompts, codec);
                                 }));

    auto target = std::make_unique<model::PairedTrees>();
    BenchPrompts prompts;
    figures.push_back(timeIt(
        "import_opml_ms", "import of that outline into an empty database", runs,
        [&] {
            target = std::make_unique<model::PairedTrees>();
            model::loadDatabaseContent(*target, std::make_shared<std::string>("Quorvia\r\n"),
                                       "Quorvia");
            target->select(target->display().firstTopLevel());
            prompts.openPaths = {outline};
        },
        [&] { importing::importOutline(*target, prompts, codec); }));
    if (target->display().count() != static_cast<int>(inputs.nodes)) {
        std::fprintf(stderr, "the outline import gave %d nodes: %s\n", target->display().count(),
                     prompts.lastMessage.c_str());
    }
    target.reset();
    platform::deleteFile(outline);

    const exporting::PagePictures pictures = ui::pagePictures();
    const std::string page = inputs.folder + "/exported.html";
    figures.push_back(timeExport("export_html_ms", "export as web page", inputs.database, page,
                                 runs, [&](model::PairedTrees& trees, BenchPrompts& prompts) {
                                     exporting::exportWebPage(trees, prompts, codec, pictures);
                                 }));
    platform::deleteFile(page);
}

}  // namespace quorvia::bench
