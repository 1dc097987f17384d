// Both trees loaded with a small database that has every kind of node the rules tell apart.
#pragma once

#include <gtest/gtest.h>

#include "model/FieldList.h"
#include "model/PairedTrees.h"
#include "support/FakePrompts.h"
#include "support/TreeHelpers.h"

namespace quorvia::editing {

// Absolute indexes of the sample database's nodes.
enum Sample {
    kRoot,        // top level, first child an object
    kObjects,     // object whose children start with an object
    kChild,       // empty object
    kLate,        // attribute after an object
    kAttributes,  // object whose children start with an attribute
    kLeaf,        // attribute
    kMixed,       // empty object after an attribute
    kLoose,       // attribute directly under the root
    kEmpty,       // empty object
    kSecond,      // second top-level node, first child an attribute
    kSecondLeaf,  // attribute under it
};

class EditingFixture : public ::testing::Test {
protected:
    void SetUp() override {
        testing::loadPaired(trees,
                            "root\n\tO;Objects;1\n\t\tO;Child;2\n\t\tT;late;attr\n"
                            "\tO;Attributes;3\n\t\tT;a;1\n\t\tO;Mixed;4\n\tT;loose;x\n"
                            "\tO;Empty;5\nO;Second;3\n\tT;p;q\n");
    }
    void TearDown() override { EXPECT_TRUE(testing::arePaired(trees)); }

    model::Node* display(int index) { return trees.display().nodeAt(index); }
    void select(int index) { trees.select(display(index)); }
    std::string displayed() const { return testing::outline(trees.display(), true); }
    std::string records() const { return testing::outline(trees.records()); }

    model::PairedTrees trees;
    testing::FakePrompts prompts;
};

}  // namespace quorvia::editing
