#include "editing/Find.h"

#include <string>

namespace quorvia::editing {

namespace {

model::Node* lastNode(const model::Tree& display) {
    model::Node* node = display.firstTopLevel();
    while (node != nullptr && node->nextSibling() != nullptr) {
        node = node->nextSibling();
    }
    while (node != nullptr && node->lastChild() != nullptr) {
        node = node->lastChild();
    }
    return node;
}

// The search round the database in either direction: from the node after `from`, on past the
// end from the other end, and no further than `from` itself.
model::Node* findRound(const model::Tree& display, const model::Node* from,
                       const TextMatch& matches, bool forward) {
    const auto step = forward ? &model::Tree::nextInPreorder : &model::Tree::previousInPreorder;
    model::Node* const first = forward ? display.firstTopLevel() : lastNode(display);
    model::Node* start = first;
    if (from != nullptr) {
        start = step(from);
        if (start == nullptr) {
            start = first;
        }
    }
    model::Node* node = start;
    std::string shown;
    while (node != nullptr) {
        if (matches(node->shownText(shown))) {
            return node;
        }
        node = step(node);
        if (node == nullptr && start != first) {
            node = first;  // once round: on from the other end
        }
        if (node == start) {
            break;
        }
    }
    return nullptr;
}

}  // namespace

model::Node* findNext(const model::Tree& display, const model::Node* from,
                      const TextMatch& matches) {
    return findRound(display, from, matches, true);
}

model::Node* findPrevious(const model::Tree& display, const model::Node* from,
                          const TextMatch& matches) {
    return findRound(display, from, matches, false);
}

bool findAndReveal(model::PairedTrees& trees, const TextMatch& matches, bool forward) {
    model::Node* found = findRound(trees.display(), trees.display().selected(), matches, forward);
    if (found == nullptr) {
        return false;
    }
    trees.reveal(found);
    return true;
}

std::string notFoundWarning(const std::string& text) {
    return "\"" + text + "\" not found";
}

Finder::Finder(MatchMaker makeMatch) : m_makeMatch(std::move(makeMatch)) {}

void Finder::find(model::PairedTrees& trees, platform::UserPrompts& prompts) {
    const std::optional<platform::SearchFields> entered = prompts.editSearch(m_last);
    if (entered && !entered->text.empty()) {
        m_last = *entered;
        findLast(trees, prompts, true);
    }
}

void Finder::findNext(model::PairedTrees& trees, platform::UserPrompts& prompts) {
    findAgain(trees, prompts, true);
}

void Finder::findPrevious(model::PairedTrees& trees, platform::UserPrompts& prompts) {
    findAgain(trees, prompts, false);
}

void Finder::findAgain(model::PairedTrees& trees, platform::UserPrompts& prompts, bool forward) {
    if (m_last.text.empty()) {
        find(trees, prompts);
        return;
    }
    findLast(trees, prompts, forward);
}

void Finder::findLast(model::PairedTrees& trees, platform::UserPrompts& prompts,
                      bool forward) const {
    if (!findAndReveal(trees, m_makeMatch(m_last), forward)) {
        prompts.warn(notFoundWarning(m_last.text));
    }
}

}  // namespace quorvia::editing
