#include "editing/Deletion.h"
#include "editing/EditingFixture.h"

namespace quorvia::editing {
namespace {

using DeletionTest = EditingFixture;
using Asked = std::vector<std::string>;

TEST_F(DeletionTest, AsksThenRemovesThePairWithItsSubtree) {
    select(kAttributes);
    prompts.confirmAnswers = {false, true};
    DeleteSelected(trees, prompts);
    EXPECT_EQ(trees.tvMain.count(), 11);
    DeleteSelected(trees, prompts);
    EXPECT_EQ(prompts.takeAsked(), Asked(2, "confirm: Please confirm deletion, Are you sure ?"));
    EXPECT_EQ(records(),
              "root\n\tO;Objects;1\n\t\tO;Child;2\n\t\tT;late;attr\n\tT;loose;x\n\tO;Empty;5\n"
              "O;Second;3\n\tT;p;q\n");
    EXPECT_EQ(trees.tvMain.count(), 8);
}

TEST_F(DeletionTest, NothingToAskWithoutSelectionOrOnTheTopLevel) {
    DeleteSelected(trees, prompts);
    select(kRoot);
    DeleteSelected(trees, prompts);
    select(kSecond);
    DeleteSelected(trees, prompts);
    EXPECT_TRUE(prompts.asked.empty());
    EXPECT_EQ(trees.tvMain.count(), 11);
}

TEST_F(DeletionTest, AMillionLevelsDeepGoWithoutRecursion) {
    model::Node* display = this->display(kEmpty);
    model::Node* record = trees.tvMirror.nodeAt(kEmpty);
    for (int i = 0; i < 1'000'000; ++i) {
        display = trees.tvMain.appendChild(display, "x");
        trees.tvMain.setIconIndex(display, 0);
        record = trees.tvMirror.appendChild(record, "O;x;0");
    }
    select(kEmpty);
    prompts.confirmAnswers.push_back(true);
    testing::runOnSmallStack([&] { DeleteSelected(trees, prompts); });
    EXPECT_EQ(trees.tvMain.count(), 10);
}

}  // namespace
}  // namespace quorvia::editing
