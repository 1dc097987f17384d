// Every command of the window on a large database, so that a command whose time grows faster
// than the database shows up: the same figures are taken at two sizes and compared. The
// database's first object below the root holds 100,000 attributes; the edits move, copy and
// import 100,000 nodes, and undo and redo turn them back.
#include <unistd.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <utility>

#include "BenchPrompts.h"
#include "DataGenerator.h"
#include "Figures.h"
#include "WindowSupport.h"
#include "editing/DragAndDrop.h"
#include "import/TextImport.h"
#include "platform/Files.h"
#include "ui/frmMain.h"

namespace quorvia::bench {

namespace {

constexpr size_t kWideChildren = 100'000;

// The window on the database, with the nodes the figures work on.
class CommandBench {
public:
    CommandBench(const std::string& database, const std::string& folder)
        : m_database(database), m_folder(folder) {
        openNext(database);
        m_window = std::make_unique<ui::frmMain>(&prompts);
        // A recovery writer started by the timer would share the cores with the commands
        // timed; the recovery figure runs the timer's tick itself.
        m_window->findChild<QTimer*>(QStringLiteral("RecoveryTimer"))->stop();
        m_window->show();
        m_painted = std::make_unique<PaintCounter>(m_window->tvMain->viewport());
        frame();
        findNodes();
    }

    void findNodes() {
        m_root = display().firstTopLevel();
        m_big = m_root->firstChild();
        m_objects = m_big->nextSibling();  // an object holding objects
        m_children = m_root->childCount();
        m_objectsChildren = m_objects->childCount();
    }

    ui::frmMain& window() { return *m_window; }
    model::PairedTrees& trees() { return m_window->trees(); }
    const model::Tree& display() { return trees().display(); }
    QModelIndex index(const model::Node* node) { return m_window->displayModel()->indexOf(node); }
    void frame() { m_painted->waitForFrame(); }
    void select(model::Node* node) { trees().select(node); }
    void showRoot() { m_window->tvMain->expand(index(m_root)); }

    // The copy of the big object as the last child of the root, pasted when missing.
    model::Node* copyOfBig() {
        if (m_root->childCount() == m_children) {
            select(m_big);
            m_window->mmCopyClick();
            select(m_root);
            m_window->mmPasteClick();
        }
        return m_root->lastChild();
    }
    void removeCopy() {
        if (m_root->childCount() > m_children) {
            select(m_root->lastChild());
            m_window->tbDeleteClick();
        }
    }
    // Turns back imports that are still in the database.
    void undoImports() {
        while (m_big->childCount() > static_cast<int>(kWideChildren) ||
               m_objects->childCount() > m_objectsChildren) {
            if (!trees().undo()) {
                std::fprintf(stderr, "an import could not be undone\n");
                std::abort();
            }
        }
    }
    void reopen() {
        prompts.openPaths = {m_database};
        m_window->tbOpenClick();
        findNodes();
        frame();
    }

    BenchPrompts prompts;
    model::Node* m_root = nullptr;
    model::Node* m_big = nullptr;
    model::Node* m_objects = nullptr;
    int m_children = 0;
    int m_objectsChildren = 0;

private:
    std::string m_database;
    std::string m_folder;
    std::unique_ptr<ui::frmMain> m_window;
    std::unique_ptr<PaintCounter> m_painted;
};

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "command figures: %s\n", what);
        std::abort();
    }
}

// What cutting the object and pasting it into another one adds, history included; taken first,
// before other figures leave freed nodes that a paste could reuse.
Figure cutPasteMemory(CommandBench& bench) {
    ui::frmMain& window = bench.window();
    const double before = ownMemoryMb("VmRSS:");
    bench.select(bench.m_big);
    window.mmCutClick();
    bench.select(bench.m_objects);
    window.mmPasteClick();
    bench.frame();
    check(bench.m_big->parent() == bench.m_objects, "no cut and paste");
    Figure memory;
    memory.key = "cut_paste_100000_extra_mb";
    memory.label = "cut and paste the object: MB added";
    memory.median = memory.min = memory.max = ownMemoryMb("VmRSS:") - before;
    memory.unit = "MB";
    window.mmUndoClick();
    return memory;
}

using AddFigure = std::function<void(const char*, const char*, const std::function<void()>&,
                                     const std::function<void()>&)>;

// Move up, the sorts and their undo; each leaves the database in its first order.
void addOrderingFigures(CommandBench& bench, const AddFigure& add) {
    ui::frmMain& window = bench.window();
    add(
        "move_subtree_100000_ms", "Move up of the object (collapsed)",
        [&] {
            bench.select(bench.m_big);
            if (bench.m_big->row() == 0) {
                window.mmMoveDownClick();
            }
        },
        [&] {
            window.mmMoveUpClick();
            check(bench.m_big->row() == 0, "no move");
        });
    // Each sort is undone before the next, which would otherwise find the children in order.
    bool sorted = false;
    const auto sortFigure = [&](const char* key, const char* label, model::Node* top,
                                void (ui::frmMain::*sort)()) {
        add(
            key, label,
            [&, top] {
                if (std::exchange(sorted, false)) {
                    window.mmUndoClick();
                }
                bench.select(top);
            },
            [&, sort] {
                (window.*sort)();
                sorted = true;
            });
        if (std::exchange(sorted, false)) {
            window.mmUndoClick();
        }
    };
    sortFigure("sort_children_100000_ms", "Sort children of the object", bench.m_big,
               &ui::frmMain::mmSortChildrenClick);
    sortFigure("sort_all_below_ms", "Sort all below on the root", bench.m_root,
               &ui::frmMain::mmSortAllBelowClick);
    add(
        "undo_sort_all_ms", "undo Sort all below on the root",
        [&] {
            bench.select(bench.m_root);
            window.mmSortAllBelowClick();
        },
        [&] { window.mmUndoClick(); });
}

// Duplicate of the object and Replace all of the text its 100,000 attributes hold, with its
// undo; each is undone before the next run, so every run starts from the loaded database.
void addDuplicateAndReplaceFigures(CommandBench& bench, const AddFigure& add) {
    ui::frmMain& window = bench.window();
    bool changed = false;
    const auto undoChange = [&] {
        if (std::exchange(changed, false)) {
            window.mmUndoClick();
        }
    };
    add(
        "duplicate_100000_ms", "Duplicate of the object of 100,000 attributes",
        [&] {
            undoChange();
            bench.showRoot();
            bench.select(bench.m_big);
        },
        [&] {
            window.mmDuplicateClick();
            changed = true;
            check(bench.m_big->nextSibling()->childCount() == static_cast<int>(kWideChildren),
                  "no duplicate");
        });
    undoChange();
    bench.prompts.replacement = platform::ReplaceFields{"+33", "0033", false};
    const auto replaceAll = [&] {
        bench.prompts.lastMessage.clear();
        window.mmReplaceClick();
        changed = true;
        check(bench.prompts.lastMessage == "100000 nodes changed.", "not every node replaced");
    };
    add("replace_all_ms", "Replace all of a text 100,000 nodes hold", undoChange, replaceAll);
    add(
        "undo_replace_all_ms", "undo of that Replace all",
        [&] {
            undoChange();
            replaceAll();
        },
        [&] {
            window.mmUndoClick();
            changed = false;
        });
    undoChange();
}

// The longest pause of the window's thread for the recovery data over a series of edits: each
// edit (an undo or a redo of a deletion) is followed by the timer's tick that starts writing
// the data, once the writer of the edit before has finished.
Figure recoveryPause(CommandBench& bench, int edits) {
    ui::frmMain& window = bench.window();
    workspace::Workspace& workspace = window.workspace();
    bench.select(bench.copyOfBig());
    window.tbDeleteClick();
    bool undone = false;
    const auto waitForWriter = [&] {
        while (workspace.isKeepingRecoveryData()) {
            ::usleep(5'000);
        }
    };
    Figure figure = timeIt(
        "recovery_pause_ms", "recovery data: longest pause of the window over the edits", edits,
        [&] {
            waitForWriter();
            undone ? window.mmRedoClick() : window.mmUndoClick();
            undone = !undone;
        },
        [&] { workspace.keepRecoveryData(); });
    waitForWriter();
    check(workspace.hasUnsavedChanges(), "no change to keep");
    figure.median = figure.max;
    return figure;
}

}  // namespace

std::vector<Figure> commandFigures(const std::string& folder, size_t nodes,
                                   const std::string& attributeFile, const std::string& objectFile,
                                   int runs) {
    const std::string database = folder + "/commands.qv";
    if (platform::replaceFile(database, generateDatabaseWithWideObject(nodes, kWideChildren)) !=
        0) {
        std::abort();
    }
    CommandBench bench(database, folder);
    ui::frmMain& window = bench.window();
    model::PairedTrees& trees = bench.trees();
    std::vector<Figure> figures{cutPasteMemory(bench)};
    // Each figure ends with the next frame drawn.
    const auto add = [&](const char* key, const char* label, const std::function<void()>& prepare,
                         const std::function<void()>& work) {
        figures.push_back(timeIt(key, label, runs, prepare, [&] {
            work();
            bench.frame();
        }));
    };

    add(
        "expand_branch_ms", "expand the object of 100,000 attributes",
        [&] {
            bench.showRoot();
            window.tvMain->collapse(bench.index(bench.m_big));
            bench.frame();
        },
        [&] { window.tvMain->expand(bench.index(bench.m_big)); });
    add(
        "collapse_branch_ms", "collapse it",
        [&] {
            window.tvMain->expand(bench.index(bench.m_big));
            bench.frame();
        },
        [&] { window.tvMain->collapse(bench.index(bench.m_big)); });
    add(
        "select_last_ms", "select and scroll to the last node",
        [&] {
            window.tvMain->collapseAll();
            bench.select(bench.m_root);
            bench.frame();
        },
        [&] {
            const QModelIndex last =
                bench.index(bench.display().nodeAt(bench.display().count() - 1));
            window.tvMain->scrollTo(last);
            window.tvMain->setCurrentIndex(last);
        });
    add(
        "paste_ms", "paste a copy of the object (100,001 nodes)",
        [&] {
            bench.showRoot();
            bench.removeCopy();
            bench.select(bench.m_big);
            window.mmCopyClick();
            bench.select(bench.m_root);
        },
        [&] { window.mmPasteClick(); });
    add(
        "delete_ms", "delete the copy", [&] { bench.select(bench.copyOfBig()); },
        [&] { window.tbDeleteClick(); });
    {
        // The copy moves to the other object holding objects and back.
        bool underObjects = false;
        model::Node* target = nullptr;
        add(
            "drop_ms", "drop the copy onto another object (a move)",
            [&] {
                if (underObjects) {
                    bench.select(bench.m_objects->lastChild());
                    target = bench.m_root;
                } else {
                    bench.select(bench.copyOfBig());
                    target = bench.m_objects;
                }
            },
            [&] {
                check(editing::dropOnto(trees, window.clipboard(), target), "drop refused");
                underObjects = !underObjects;
            });
        if (underObjects) {
            bench.select(bench.m_objects->lastChild());
            window.tbDeleteClick();
        }
        bench.removeCopy();
    }
    addOrderingFigures(bench, add);
    add(
        "import_attributes_ms", "import 100,000 attributes into the object",
        [&] {
            bench.undoImports();
            bench.select(bench.m_big);
            bench.prompts.openPaths = {attributeFile};
        },
        [&] {
            window.mmImportAttributesClick();
            check(bench.m_big->childCount() > static_cast<int>(kWideChildren), "no import");
        });
    add(
        "import_objects_ms", "import 10,000 objects x 10 columns into an object",
        [&] {
            bench.undoImports();
            bench.select(bench.m_objects);
            bench.prompts.openPaths = {objectFile};
        },
        [&] {
            window.mmImportObjectClick();
            check(bench.m_objects->childCount() > bench.m_objectsChildren, "no import");
        });
    bench.undoImports();
    add("save_ms", "Save", nullptr, [&] { window.mmSaveClick(); });
    add(
        "save_as_ms", "Save as", [&] { bench.prompts.savePaths = {folder + "/saved-as.qv"}; },
        [&] { window.mmSaveasClick(); });

    add(
        "undo_delete_ms", "undo deleting the copy",
        [&] {
            bench.select(bench.copyOfBig());
            window.tbDeleteClick();
        },
        [&] { window.mmUndoClick(); });
    add(
        "redo_delete_ms", "redo deleting the copy",
        [&] {
            bench.select(bench.copyOfBig());
            window.tbDeleteClick();
            window.mmUndoClick();
        },
        [&] { window.mmRedoClick(); });
    add(
        "undo_paste_ms", "undo pasting the copy",
        [&] {
            bench.removeCopy();
            bench.copyOfBig();
        },
        [&] { window.mmUndoClick(); });
    add(
        "redo_paste_ms", "redo pasting the copy",
        [&] {
            bench.removeCopy();
            bench.copyOfBig();
            window.mmUndoClick();
        },
        [&] { window.mmRedoClick(); });
    bench.removeCopy();
    add(
        "undo_import_ms", "undo importing 100,000 attributes",
        [&] {
            bench.undoImports();
            bench.select(bench.m_big);
            bench.prompts.openPaths = {attributeFile};
            window.mmImportAttributesClick();
        },
        [&] { window.mmUndoClick(); });
    add(
        "redo_import_ms", "redo importing 100,000 attributes",
        [&] {
            bench.undoImports();
            bench.select(bench.m_big);
            bench.prompts.openPaths = {attributeFile};
            window.mmImportAttributesClick();
            window.mmUndoClick();
        },
        [&] { window.mmRedoClick(); });
    bench.undoImports();
    {
        // A column of 100,000 names from another program, as plain text.
        QString column;
        for (size_t i = 0; i < kWideChildren; ++i) {
            column += QStringLiteral("Name %1\n").arg(i);
        }
        auto text = std::make_unique<QMimeData>();
        text->setText(column);
        QGuiApplication::clipboard()->setMimeData(text.release());
        const auto undoPaste = [&] {
            while (bench.m_root->childCount() > bench.m_children) {
                check(trees.undo(), "the paste could not be undone");
            }
        };
        add(
            "paste_text_100000_ms", "paste text: 100,000 lines (plain text)",
            [&] {
                undoPaste();
                bench.select(bench.m_root);
            },
            [&] {
                window.mmPasteTextClick();
                check(bench.m_root->childCount() > bench.m_children, "nothing pasted");
            });
        undoPaste();
    }
    addDuplicateAndReplaceFigures(bench, add);
    add(
        "find_no_match_ms", "find a text no node holds",
        [&] {
            bench.select(bench.m_root);
            bench.prompts.searches = {{"no node holds this", false}};
            bench.prompts.lastMessage.clear();
        },
        [&] {
            window.mmFindClick();
            check(!bench.prompts.lastMessage.empty(), "find found something");
        });

    figures.push_back(recoveryPause(bench, 4 * runs));
    bench.removeCopy();

    // Last, as they reopen the database.
    add(
        "expand_all_ms", "* on the root (everything below opens)",
        [&] {
            bench.reopen();
            bench.select(bench.m_root);
        },
        [&] { pressExpandAll(window.tvMain); });
    add(
        "collapse_all_ms", "collapse the root, everything below open",
        [&] {
            bench.reopen();
            bench.select(bench.m_root);
            pressExpandAll(window.tvMain);
            bench.frame();
        },
        [&] { window.tvMain->collapse(bench.index(bench.m_root)); });

    platform::deleteFile(folder + "/saved-as.qv");
    platform::deleteFile(database);
    return figures;
}

}  // namespace quorvia::bench
