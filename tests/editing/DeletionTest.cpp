#include "editing/Deletion.h"
#include "editing/EditingFixture.h"

namespace quorvia::editing {
namespace {

using DeletionTest = EditingFixture;
using Asked = std::vector<std::string>;

TEST_F(DeletionTest, AsksThenRemovesThePairWithItsSubtree) {
    select(kAttributes);
    prompts.confirmAnswers = {false, true};
    deleteSelected(trees, prompts);
    EXPECT_EQ(trees.display().count(), 11);
    deleteSelected(trees, prompts);
    EXPECT_EQ(prompts.takeAsked(), Asked(2, "confirm: Please confirm deletion, Are you sure ?"));
    EXPECT_EQ(records(),
              "root\n\tO;Objects;1\n\t\tO;Child;2\n\t\tT;late;attr\n\tT;loose;x\n\tO;Empty;5\n"
              "O;Second;3\n\tT;p;q\n");
    EXPECT_EQ(trees.display().count(), 8);
}

TEST_F(DeletionTest, NothingToAskWithoutSelectionOrOnTheTopLevel) {
    deleteSelected(trees, prompts);
    select(kRoot);
    deleteSelected(trees, prompts);
    select(kSecond);
    deleteSelected(trees, prompts);
    EXPECT_TRUE(prompts.asked.empty());
    EXPECT_EQ(trees.display().count(), 11);
}

TEST_F(DeletionTest, AMillionLevelsDeepGoWithoutRecursion) {
    {
        model::PairedTrees::Step step(trees);
        model::NodePair node = trees.pairOf(display(kEmpty));
        for (int i = 0; i < 1'000'000; ++i) {
            node = trees.appendPair(node, "x", 0, "O;x;0");
        }
    }
    select(kEmpty);
    prompts.confirmAnswers.push_back(true);
    testing::runOnSmallStack([&] { deleteSelected(trees, prompts); });
    EXPECT_EQ(trees.display().count(), 10);
}

}  // namespace
}  // namespace quorvia::editing
