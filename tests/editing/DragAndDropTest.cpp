#include "editing/DragAndDrop.h"
#include "editing/EditingFixture.h"

namespace quorvia::editing {
namespace {

class DragAndDropTest : public EditingFixture {
protected:
    bool drop(int dragged, int target) {
        select(dragged);
        return dropOnto(trees, clipboard, display(target));
    }

    Clipboard clipboard{trees.display()};
};

TEST_F(DragAndDropTest, MovesTheNodeToTheEndOfTheTargetAndShowsIt) {
    select(kEmpty);
    clipboard.copy();
    ASSERT_TRUE(drop(kLeaf, kChild));
    EXPECT_EQ(records(),
              "root\n\tO;Objects;1\n\t\tO;Child;2\n\t\t\tT;a;1\n\t\tT;late;attr\n"
              "\tO;Attributes;3\n\t\tO;Mixed;4\n\tT;loose;x\n\tO;Empty;5\nO;Second;3\n\tT;p;q\n");
    model::Node* target = display(kChild);
    EXPECT_EQ(trees.display().selected(), target);
    EXPECT_TRUE(target->isExpanded());
    EXPECT_TRUE(trees.records().nodeAt(kChild)->isExpanded()) << "the record tree follows";
    EXPECT_EQ(clipboard.clipNode(), nullptr) << "a drop forgets an earlier copy";
    EXPECT_TRUE(clipboard.moveFlag());
}

TEST_F(DragAndDropTest, OntoItsOwnParentItMovesToTheEnd) {
    ASSERT_TRUE(drop(kLeaf, kAttributes));
    EXPECT_EQ(testing::outline(trees.display()),
              "db\n\tObjects\n\t\tChild\n\t\tlate: attr\n\tAttributes\n\t\tMixed\n\t\ta: 1\n"
              "\tloose: x\n\tEmpty\nSecond\n\tp: q\n");
}

TEST_F(DragAndDropTest, TheRulesAreAppliedAgainToTheNodeFoundAtTheReleasePoint) {
    const std::string before = records();
    EXPECT_FALSE(drop(kObjects, kChild)) << "its own subtree";
    EXPECT_FALSE(drop(kEmpty, kLeaf)) << "an attribute below the top level";
    EXPECT_FALSE(drop(kLoose, kRoot)) << "an attribute onto the top level";
    select(kEmpty);
    EXPECT_FALSE(dropOnto(trees, clipboard, nullptr)) << "no node";
    trees.select(nullptr);
    EXPECT_FALSE(dropOnto(trees, clipboard, display(kChild))) << "nothing dragged";
    EXPECT_EQ(records(), before);
    EXPECT_EQ(clipboard.clipNode(), nullptr);
}

}  // namespace
}  // namespace quorvia::editing
