// Delete: the selected node with its whole subtree, from both trees, after a question.
#pragma once

#include "model/PairedTrees.h"
#include "platform/UserPrompts.h"

namespace quorvia::editing {

inline constexpr const char* kDeleteQuestion = "Please confirm deletion, Are you sure ?";

// Nothing on no selection or a top-level node; else asks, and on Yes removes the pair.
void deleteSelected(model::PairedTrees& trees, platform::UserPrompts& prompts);

}  // namespace quorvia::editing
