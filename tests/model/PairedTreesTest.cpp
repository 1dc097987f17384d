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
        loadDatabase(trees, fields, dir.path("db"));
    }

    testing::TempDir dir;
    PairedTrees trees;
    FieldList fields;
};

TEST_F(PairedTreesTest, PartnersShareTheAbsoluteIndex) {
    EXPECT_EQ(partnerOf(trees.tvMain, trees.tvMain.nodeAt(5), trees.tvMirror)->text(), "T;p;q");
    Tree shorter;
    shorter.appendChild(nullptr, "root");
    try {
        partnerOf(trees.tvMain, trees.tvMain.nodeAt(5), shorter);
        FAIL();
    } catch (const Error& error) {
        EXPECT_EQ(error.message(), "Index incorrect");
    }
}

TEST_F(PairedTreesTest, CurrentRecordFollowsTheDisplaySelectionWhateverIsCollapsed) {
    EXPECT_EQ(selectCurrentRecord(trees), nullptr);
    trees.tvMain.select(trees.tvMain.nodeAt(3));
    Node* record = selectCurrentRecord(trees);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->text(), "T;x;y");
    EXPECT_EQ(trees.tvMirror.selected(), record);
}

TEST_F(PairedTreesTest, RecordTreeFollowsExpandAndCollapse) {
    Tree& display = trees.tvMain;
    for (int i : {0, 1, 2}) {
        display.setExpanded(display.nodeAt(i), true);
        followExpand(trees, display.nodeAt(i));
    }
    EXPECT_EQ(outline(trees.tvMirror, false, true),
              "+root\n\t+O;A;1\n\t\t+O;A1;2\n\t\t\tT;x;y\n\tO;B;1\n\t\tT;p;q\n");
    followCollapse(trees, display.nodeAt(1));
    display.setExpanded(display.nodeAt(1), false);
    followExpand(trees, display.nodeAt(1));
    display.setExpanded(display.nodeAt(1), true);
    EXPECT_EQ(outline(display, false, true), "+db\n\t+A\n\t\t+A1\n\t\t\tx: y\n\tB\n\t\tp: q\n")
        << "the display keeps the children's states";
    EXPECT_EQ(outline(trees.tvMirror, false, true),
              "+root\n\t+O;A;1\n\t\tO;A1;2\n\t\t\tT;x;y\n\tO;B;1\n\t\tT;p;q\n")
        << "the record tree collapsed the whole subtree";
}

}  // namespace
}  // namespace quorvia::model
