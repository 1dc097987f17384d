// Figures of the window, offscreen: the start with a big database, expanding, scrolling, paste
// and delete with the view attached, the naive QTreeWidget baseline and the window's memory.

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTreeWidget>
#include <cstdio>
#include <cstring>
#include <memory>

#include "BenchPrompts.h"
#include "Figures.h"
#include "WindowSupport.h"
#include "editing/Clipboard.h"
#include "model/LoadSequence.h"
#include "platform/Files.h"
#include "platform/TextFiles.h"
#include "ui/frmMain.h"

namespace quorvia::bench {

namespace {

void fillTreeWidget(QTreeWidget& widget, const model::Tree& display) {
    std::vector<QTreeWidgetItem*> path;  // path[L]: the last item made at level L
    model::forEachWithLevel(display, [&](const model::Node& node, int level) {
        auto* item = new QTreeWidgetItem(QStringList{
            QString::fromUtf8(node.text().data(), static_cast<int>(node.text().size()))});
        path.resize(static_cast<size_t>(level));
        if (level == 0) {
            widget.addTopLevelItem(item);
        } else {
            path.back()->addChild(item);
        }
        path.push_back(item);
    });
}

}  // namespace

void addWindowFigures(std::vector<Figure>& figures, const Inputs& inputs, int runs) {
    BenchPrompts prompts;
    std::unique_ptr<ui::frmMain> window;

    {
        model::PairedTrees trees;
        model::loadDatabase(trees, inputs.database);
        std::unique_ptr<QTreeWidget> widget;
        // Tearing the items down is not part of the fill.
        figures.push_back(timeIt(
            "qtreewidget_fill_ms", "QTreeWidget fill, same texts (baseline)", runs,
            [&] { widget = std::make_unique<QTreeWidget>(); },
            [&] { fillTreeWidget(*widget, trees.display()); }));
    }

    Figure shown = timeIt(
        "window_shown_ms", "window: FormCreate to the first frame", runs,
        [&] {
            window.reset();
            openNext(inputs.database);
        },
        [&] {
            window = std::make_unique<ui::frmMain>(&prompts);
            window->show();
            PaintCounter(window->tvMain->viewport()).waitForFrame();
        });
    shown.baselineKey = "qtreewidget_fill_ms";
    figures.push_back(shown);

    figures.push_back(timeIt(
        "select_last_node_ms", "window: select and scroll to the last node", runs,
        [&] {
            window->tvMain->collapseAll();
            window->trees().select(window->trees().display().firstTopLevel());
        },
        [&] {
            const model::Tree& display = window->trees().display();
            // As the view does it for the user: the parents open, the record tree follows.
            const QModelIndex last =
                window->displayModel()->indexOf(display.nodeAt(display.count() - 1));
            window->tvMain->scrollTo(last);
            window->tvMain->setCurrentIndex(last);
            PaintCounter(window->tvMain->viewport()).waitForFrame();
        }));

    // "*" on the root of the fresh database, and the collapse of the root with everything below
    // open: each in a freshly opened window, as the user would find it.
    const auto reopen = [&](bool expandAll) {
        window.reset();
        openNext(inputs.database);
        window = std::make_unique<ui::frmMain>(&prompts);
        window->show();
        PaintCounter(window->tvMain->viewport()).waitForFrame();
        window->trees().select(window->trees().display().firstTopLevel());
        if (expandAll) {
            pressExpandAll(window->tvMain);
            PaintCounter(window->tvMain->viewport()).waitForFrame();
        }
    };
    figures.push_back(timeIt(
        "expand_all_ms", "window: * on the root (everything below opens)", runs,
        [&] { reopen(false); },
        [&] {
            pressExpandAll(window->tvMain);
            PaintCounter(window->tvMain->viewport()).waitForFrame();
        }));
    figures.push_back(timeIt(
        "collapse_all_ms", "window: collapse the root, everything below open", runs,
        [&] { reopen(true); },
        [&] {
            window->tvMain->collapse(
                window->displayModel()->indexOf(window->trees().display().firstTopLevel()));
            PaintCounter(window->tvMain->viewport()).waitForFrame();
        }));

    window.reset();
    openNext(inputs.wideDatabase);
    window = std::make_unique<ui::frmMain>(&prompts);
    window->show();
    PaintCounter painted(window->tvMain->viewport());
    painted.waitForFrame();
    model::PairedTrees& trees = window->trees();
    window->tvMain->expand(window->displayModel()->indexOf(trees.display().nodeAt(0)));
    const QModelIndex big = window->displayModel()->indexOf(trees.display().nodeAt(1));
    figures.push_back(timeIt(
        "expand_100000_children_ms", "window: expand a node of 100,000 children", runs,
        [&] {
            window->tvMain->collapse(big);
            painted.waitForFrame();
        },
        [&] {
            window->tvMain->expand(big);
            painted.waitForFrame();
        }));
    window->tvMain->collapse(big);

    // Paste a copy of the 100,001-node object into the root, then delete the copy.
    Figure paste = timeIt(
        "paste_100000_ms", "window: paste a copied 100,000-node subtree", runs,
        [&] {
            while (trees.display().firstTopLevel()->childCount() > 1) {
                trees.select(trees.display().firstTopLevel()->lastChild());
                window->tbDeleteClick();
            }
            trees.select(trees.display().nodeAt(1));
            window->mmCopyClick();
            trees.select(trees.display().nodeAt(0));
        },
        [&] {
            window->mmPasteClick();
            painted.waitForFrame();
        });
    figures.push_back(paste);
    Figure removal = timeIt(
        "delete_100000_ms", "window: delete a 100,000-node subtree", runs,
        [&] {
            if (trees.display().firstTopLevel()->childCount() == 1) {
                trees.select(trees.display().nodeAt(1));
                window->mmCopyClick();
                trees.select(trees.display().nodeAt(0));
                window->mmPasteClick();
            }
            trees.select(trees.display().firstTopLevel()->lastChild());
        },
        [&] {
            window->tbDeleteClick();
            painted.waitForFrame();
        });
    figures.push_back(removal);
    window.reset();

    figures.push_back(
        peakMemoryFigure("window_peak_rss_mb", "window holding the database: peak memory",
                         {"--window-once", inputs.database}, inputs.folder + "/peak.txt"));
    figures.push_back(peakMemoryFigure(
        "expand_all_peak_rss_mb", "window after * on the root: peak memory",
        {"--window-once", inputs.database, "--expand-all"}, inputs.folder + "/peak.txt"));
}

void openNext(const std::string& database) {
    platform::TextFileWriter settings("Quorvia.ini");
    settings.writeLine(database);
    settings.commit();
}

void pressKey(QWidget* widget, Qt::Key key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &release);
}

int showWindowOnce(const std::string& database, bool expandAll) {
    openNext(database);
    BenchPrompts prompts;
    ui::frmMain window(&prompts);
    window.show();
    PaintCounter(window.tvMain->viewport()).waitForFrame();
    if (expandAll) {
        window.trees().select(window.trees().display().firstTopLevel());
        pressExpandAll(window.tvMain);
        PaintCounter(window.tvMain->viewport()).waitForFrame();
    }
    std::printf("%.1f\n", ownPeakMb());
    return window.trees().display().count() > 1 ? 0 : 1;
}

namespace {

double peakOfChild(const std::vector<std::string>& arguments, const std::string& scratch) {
    std::vector<std::string> command{"/proc/self/exe"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    const auto report = outputOf(std::move(command), scratch);
    return report ? std::strtod(report->c_str(), nullptr) : -1;
}

}  // namespace

Figure peakMemoryFigure(const std::string& key, const std::string& label,
                        const std::vector<std::string>& arguments, const std::string& scratch) {
    Figure figure;
    figure.key = key;
    figure.label = label;
    figure.unit = "MB";
    figure.median = figure.min = figure.max = peakOfChild(arguments, scratch);
    return figure;
}

}  // namespace quorvia::bench
