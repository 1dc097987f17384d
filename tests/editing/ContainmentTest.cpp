#include "editing/Containment.h"
#include "editing/EditingFixture.h"

namespace quorvia::editing {
namespace {

using ContainmentTest = EditingFixture;

TEST_F(ContainmentTest, AddObjectAndAddAttributeMatrix) {
    struct Case {
        int node;
        bool object;
        bool attribute;
    };
    for (const Case& c : {Case{kRoot, true, false},
                          {kObjects, true, false},
                          {kChild, true, true},
                          {kLate, true, false},
                          {kAttributes, false, true},
                          {kLeaf, true, false},
                          {kMixed, true, true},
                          {kLoose, true, false},
                          {kEmpty, true, true},
                          {kSecond, true, false},
                          {kSecondLeaf, true, false}}) {
        EXPECT_EQ(mayAddObject(display(c.node)), c.object) << display(c.node)->text();
        EXPECT_EQ(mayAddAttribute(display(c.node)), c.attribute) << display(c.node)->text();
    }
    EXPECT_FALSE(mayAddObject(nullptr));
    EXPECT_FALSE(mayAddAttribute(nullptr));
}

TEST_F(ContainmentTest, OnlyTheFirstChildDecides) {
    // "Objects" holds an object then an attribute; "Attributes" an attribute then an object.
    EXPECT_TRUE(mayAddObject(display(kObjects)));
    EXPECT_FALSE(mayAddAttribute(display(kObjects)));
    EXPECT_FALSE(mayAddObject(display(kAttributes)));
    EXPECT_TRUE(mayAddAttribute(display(kAttributes)));
}

TEST_F(ContainmentTest, PasteRefusesAttributesBelowTheTopAndTheClipsOwnSubtree) {
    EXPECT_TRUE(mayPasteInto(display(kSecond), display(kLeaf)));
    EXPECT_FALSE(mayPasteInto(display(kLeaf), display(kEmpty)));
    EXPECT_TRUE(mayPasteInto(display(kAttributes), display(kEmpty))) << "mixed children allowed";
    EXPECT_FALSE(mayPasteInto(nullptr, display(kEmpty)));
    EXPECT_FALSE(mayPasteInto(display(kObjects), display(kObjects)));
    EXPECT_FALSE(mayPasteInto(display(kChild), display(kObjects)));
    EXPECT_FALSE(mayPasteInto(display(kEmpty), display(kRoot))) << "a top-level node below itself";
    EXPECT_TRUE(mayPasteInto(display(kRoot), display(kObjects))) << "into its own parent";
}

TEST_F(ContainmentTest, DragAcceptanceMatrix) {
    struct Case {
        int dragged;
        int target;
        bool accepted;
        const char* why;
    };
    for (const Case& c : {
             Case{kEmpty, kChild, true, "object onto an empty object"},
             {kLeaf, kChild, true, "attribute onto an empty object"},
             {kEmpty, kLeaf, false, "onto an attribute below the top level"},
             {kLeaf, kObjects, false, "first child differs in kind"},
             {kEmpty, kObjects, true, "first child of the same kind"},
             {kLeaf, kAttributes, true, "attribute among attributes"},
             {kEmpty, kAttributes, false, "object among attributes"},
             {kLeaf, kRoot, false, "attribute onto a top-level node"},
             {kEmpty, kRoot, true, "object onto a top-level node"},
             {kEmpty, kSecond, true, "whatever the top-level node's children"},
             {kChild, kObjects, true, "onto its own parent"},
             {kObjects, kObjects, false, "onto itself"},
             {kObjects, kChild, false, "into its own subtree"},
         }) {
        EXPECT_EQ(acceptsDrop(display(c.dragged), display(c.target), true), c.accepted) << c.why;
    }
    EXPECT_FALSE(acceptsDrop(display(kEmpty), nullptr, true)) << "no node under the pointer";
    EXPECT_FALSE(acceptsDrop(display(kEmpty), display(kChild), false)) << "started elsewhere";
}

TEST_F(ContainmentTest, AnAttributeIsAnyNodeWithIconMinusOne) {
    model::PairedTrees::Step step(trees);
    trees.setPair(trees.pairOf(display(kEmpty)), "Empty", -1, "O;Empty;-1");
    EXPECT_FALSE(mayAddAttribute(display(kEmpty)));
    EXPECT_TRUE(mayAddObject(display(kEmpty))) << "an attribute without children takes objects";
}

}  // namespace
}  // namespace quorvia::editing
