#include "support/TreeHelpers.h"

#include <pthread.h>

#include <memory>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "model/DatabaseFile.h"
#include "model/LoadSequence.h"

namespace quorvia::testing {

void fillTree(model::Tree& tree, const std::string& lines) {
    model::parseDatabase(tree, std::make_shared<const std::string>(lines));
}

void loadPaired(model::PairedTrees& trees, const std::string& lines) {
    if (auto failure =
            model::loadDatabaseContent(trees, std::make_shared<std::string>(lines), "db")) {
        throw *failure;
    }
}

std::string outline(const model::Tree& tree, bool withIcons, bool withExpanded) {
    std::string text;
    for (const model::Node* node = tree.firstTopLevel(); node != nullptr;
         node = model::Tree::nextInPreorder(node)) {
        text.append(static_cast<size_t>(node->level()), '\t');
        if (withExpanded && node->isExpanded()) {
            text.append("+");
        }
        text.append(node->shownText());
        if (withIcons) {
            text.append(" [" + std::to_string(node->iconIndex()) + "]");
        }
        text.append("\n");
    }
    return text;
}

::testing::AssertionResult arePaired(const model::PairedTrees& trees) {
    if (trees.display().count() != trees.records().count()) {
        return ::testing::AssertionFailure() << "display tree has " << trees.display().count()
                                             << " nodes, record tree " << trees.records().count();
    }
    // One walk each, so that trees of any depth are compared in linear time.
    struct Shape {
        int level;
        int children;
        std::string text;
    };
    std::vector<Shape> display;
    model::forEachWithLevel(trees.display(), [&](const model::Node& node, int level) {
        display.push_back({level, node.childCount(), node.shownText()});
    });
    size_t index = 0;
    std::string difference;
    model::forEachWithLevel(trees.records(), [&](const model::Node& node, int level) {
        const Shape& partner = display[index];
        if (difference.empty() &&
            (partner.level != level || partner.children != node.childCount())) {
            difference = "nodes at absolute index " + std::to_string(index) + " differ: \"" +
                         partner.text + "\" and \"" + std::string(node.text()) + "\"";
        }
        ++index;
    });
    if (!difference.empty()) {
        return ::testing::AssertionFailure() << difference;
    }
    return ::testing::AssertionSuccess();
}

void runOnSmallStack(const std::function<void()>& work) {
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    // Sanitizers make frames larger; the stack still stays far below any depth tested.
    pthread_attr_setstacksize(&attributes, 256 * 1024);
    pthread_t thread;
    auto run = [](void* argument) -> void* {
        (*static_cast<const std::function<void()>*>(argument))();
        return nullptr;
    };
    if (pthread_create(&thread, &attributes, run, const_cast<std::function<void()>*>(&work)) !=
        0) {
        throw std::runtime_error("cannot start a thread");
    }
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
}

}  // namespace quorvia::testing
