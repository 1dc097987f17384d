#include "editing/Find.h"

namespace quorvia::editing {

model::Node* findNext(const model::Tree& display, const model::Node* from,
                      const TextMatch& matches) {
    model::Node* start = display.firstTopLevel();
    if (from != nullptr) {
        start = model::Tree::nextInPreorder(from);
        if (start == nullptr) {
            start = display.firstTopLevel();
        }
    }
    model::Node* node = start;
    while (node != nullptr) {
        if (matches(node->text())) {
            return node;
        }
        node = model::Tree::nextInPreorder(node);
        if (node == nullptr && start != display.firstTopLevel()) {
            node = display.firstTopLevel();  // once round: on from the top
        }
        if (node == start) {
            break;
        }
    }
    return nullptr;
}

bool findAndReveal(model::PairedTrees& trees, const TextMatch& matches) {
    model::Node* found = findNext(trees.display(), trees.display().selected(), matches);
    if (found == nullptr) {
        return false;
    }
    trees.reveal(found);
    return true;
}

Finder::Finder(MatchMaker makeMatch) : m_makeMatch(std::move(makeMatch)) {}

void Finder::find(model::PairedTrees& trees, platform::UserPrompts& prompts) {
    const std::optional<platform::SearchFields> entered = prompts.editSearch(m_last);
    if (entered && !entered->text.empty()) {
        m_last = *entered;
        findLast(trees, prompts);
    }
}

void Finder::findNext(model::PairedTrees& trees, platform::UserPrompts& prompts) {
    if (m_last.text.empty()) {
        find(trees, prompts);
        return;
    }
    findLast(trees, prompts);
}

void Finder::findLast(model::PairedTrees& trees, platform::UserPrompts& prompts) const {
    if (!findAndReveal(trees, m_makeMatch(m_last))) {
        prompts.warn("\"" + m_last.text + "\" not found");
    }
}

}  // namespace quorvia::editing
