// Building trees from text and describing them in text, for compact assertions.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "model/PairedTrees.h"
#include "model/Tree.h"

namespace quorvia::testing {

// Fills the tree from database-file text ("\t" per level, "\n" between lines).
void fillTree(model::Tree& tree, const std::string& lines);

// Fills both trees from database-file text as a load does ("db" names the display root).
void loadPaired(model::PairedTrees& trees, const std::string& lines);

// One line per node in pre-order: a TAB per level, the text and, with icons, " [icon]".
// Expanded nodes are marked with a leading "+" when asked for.
std::string outline(const model::Tree& tree, bool withIcons = false, bool withExpanded = false);

// Both trees have the same number of nodes and, at every absolute index, nodes of the same
// level and the same number of children.
::testing::AssertionResult arePaired(const model::PairedTrees& trees);

// Runs `work` on a thread with a 256 KB stack, where recursion over a deep tree would overflow.
void runOnSmallStack(const std::function<void()>& work);

}  // namespace quorvia::testing
