#include <gtest/gtest.h>

#include "model/LoadSequence.h"
#include "model/PairedTrees.h"
#include "support/TempDir.h"
#include "support/TreeHelpers.h"

namespace quorvia::model {
namespace {

using testing::outline;

class PairedTreesTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir.write("db",
                  "root\r\n\tO;A;1\r\n\t\tO;A1;2\r\n\t\t\tT;x;y\r\n\tO;B;1\r\n\t\tT;p;q\r\n");
        loadDatabase(trees, dir.path("db"));
    }

    testing::TempDir dir;
    PairedTrees trees;
};

TEST_F(PairedTreesTest, PartnersShareTheAbsoluteIndex) {
    EXPECT_EQ(trees.pairOf(trees.display().nodeAt(5)).record->text(), "T;p;q");
    EXPECT_FALSE(trees.pairOf(nullptr));
}

TEST_F(PairedTreesTest, CurrentRecordFollowsTheDisplaySelectionWhateverIsCollapsed) {
    EXPECT_FALSE(trees.selectCurrentRecord());
    trees.select(trees.display().nodeAt(3));
    const NodePair pair = trees.selectCurrentRecord();
    ASSERT_TRUE(pair);
    EXPECT_EQ(pair.record->text(), "T;x;y");
    EXPECT_EQ(trees.records().selected(), pair.record);
}

TEST_F(PairedTreesTest, RecordTreeFollowsExpandAndCollapse) {
    const Tree& display = trees.display();
    for (int i : {0, 1, 2}) {
        trees.setExpanded(display.nodeAt(i), true);
    }
    EXPECT_EQ(outline(trees.records(), false, true),
              "+root\n\t+O;A;1\n\t\t+O;A1;2\n\t\t\tT;x;y\n\tO;B;1\n\t\tT;p;q\n");
    trees.setExpanded(display.nodeAt(1), false);
    trees.setExpanded(display.nodeAt(1), true);
    EXPECT_EQ(outline(display, false, true), "+db\n\t+A\n\t\t+A1\n\t\t\tx: y\n\tB\n\t\tp: q\n")
        << "the display keeps the children's states";
    EXPECT_EQ(outline(trees.records(), false, true),
              "+root\n\t+O;A;1\n\t\tO;A1;2\n\t\t\tT;x;y\n\tO;B;1\n\t\tT;p;q\n")
        << "the record tree collapsed the whole subtree";
}

TEST_F(PairedTreesTest, EveryEditKeepsTheTreesPaired) {
    const auto both = [&] { return outline(trees.records()) + outline(trees.display(), true); };
    const std::string loaded = both();
    {
        PairedTrees::Step step(trees);
        const Tree& display = trees.display();
        const NodePair b = trees.pairOf(display.nodeAt(4));
        const NodePair added = trees.appendPair(b, "n: v", -1, "T;n;v");
        EXPECT_TRUE(testing::arePaired(trees));
        trees.setPair(added, "C", 3, "O;C;3");
        const NodePair a = trees.pairOf(display.nodeAt(1));
        trees.copySubtree(a, added);
        EXPECT_TRUE(testing::arePaired(trees));
        trees.moveSubtree(trees.pairOf(display.nodeAt(2)), trees.pairOf(display.nodeAt(0)));
        EXPECT_TRUE(testing::arePaired(trees));
        EXPECT_EQ(outline(trees.records()),
                  "root\n\tO;A;1\n\tO;B;1\n\t\tT;p;q\n\t\tO;C;3\n\t\t\tO;A;1\n\t\t\t\tO;A1;2"
                  "\n\t\t\t\t\tT;x;y\n\tO;A1;2\n\t\tT;x;y\n");
        EXPECT_EQ(outline(display, true),
                  "db [1]\n\tA [1]\n\tB [1]\n\t\tp: q [-1]\n\t\tC [3]\n\t\t\tA [1]\n\t\t\t\tA1 [2]"
                  "\n\t\t\t\t\tx: y [-1]\n\tA1 [2]\n\t\tx: y [-1]\n");
        trees.removePair(trees.pairOf(display.nodeAt(4)));
        EXPECT_TRUE(testing::arePaired(trees));
        EXPECT_EQ(outline(trees.records()),
                  "root\n\tO;A;1\n\tO;B;1\n\t\tT;p;q\n\tO;A1;2\n\t\tT;x;y\n");
    }
    const std::string edited = both();
    EXPECT_TRUE(trees.undo());
    EXPECT_EQ(both(), loaded) << "one step turns every kind of edit back";
    EXPECT_TRUE(trees.redo());
    EXPECT_EQ(both(), edited);
}

TEST_F(PairedTreesTest, AnEditOutsideAStepIsAProgrammingError) {
    EXPECT_DEBUG_DEATH(trees.removePair(trees.pairOf(trees.display().nodeAt(1))),
                       "outside a step");
}

TEST_F(PairedTreesTest, HistoryKeepsEveryStepOfASmallDatabaseAndBoundsALargeOne) {
    const std::string loaded = outline(trees.records());
    for (const int at : {2, 1, 1}) {  // A1, then A, then B: the database shrinks to its root
        PairedTrees::Step step(trees);
        trees.removePair(trees.pairOf(trees.display().nodeAt(at)));
    }
    EXPECT_EQ(trees.undoSteps(), 3u);
    while (trees.undo()) {
    }
    EXPECT_EQ(outline(trees.records()), loaded);

    // Two branches of 110,000 nodes, each added and deleted: the history then holds 220,000
    // nodes, past both the floor and the most the database held, and lets the oldest go.
    const auto addAndDeleteBranch = [&] {
        NodePair branch;
        {
            PairedTrees::Step step(trees);
            PairedTrees::BulkEdit bulk(trees);
            branch =
                trees.appendPair(trees.pairOf(trees.display().nodeAt(0)), "big", 1, "O;big;1");
            for (int i = 1; i < 110'000; ++i) {
                trees.appendPair(branch, "a: b", -1, "T;a;b");
            }
        }
        PairedTrees::Step step(trees);
        trees.removePair(branch);
    };
    addAndDeleteBranch();
    EXPECT_EQ(trees.undoSteps(), 2u);
    addAndDeleteBranch();
    EXPECT_EQ(trees.undoSteps(), 2u) << "the oldest steps up to the first delete were let go";
    EXPECT_TRUE(trees.undo() && trees.undo());
    EXPECT_FALSE(trees.undo());
    EXPECT_EQ(outline(trees.records()), loaded);
}

}  // namespace
}  // namespace quorvia::model
