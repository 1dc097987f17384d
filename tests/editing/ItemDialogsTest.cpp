#include "editing/Containment.h"
#include "editing/EditingFixture.h"
#include "editing/ItemDialogs.h"

namespace quorvia::editing {
namespace {

using ItemDialogsTest = EditingFixture;
using Asked = std::vector<std::string>;

TEST_F(ItemDialogsTest, RefusedAddsWarnAndOpenNoDialog) {
    select(kAttributes);
    addObject(trees, prompts);
    trees.select(nullptr);
    addObject(trees, prompts);
    for (int node : {kRoot, kObjects, kLeaf}) {
        select(node);
        addAttribute(trees, prompts);
    }
    const std::string warning = "warn: Object can contain only Objects or Attributes";
    EXPECT_EQ(prompts.takeAsked(), Asked(5, warning));
}

TEST_F(ItemDialogsTest, AddObjectAppendsTheLastChildInBothTreesAndSelectsIt) {
    select(kMixed);
    prompts.objectAnswers.push_back(platform::ObjectFields{"Phone book", 7});
    addObject(trees, prompts);
    EXPECT_EQ(prompts.takeAsked(), Asked{"object: |0"}) << "a new object opens empty, entry 0";

    model::Node* added = display(kMixed)->lastChild();
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->text(), "Phone book");
    EXPECT_EQ(added->iconIndex(), 7);
    EXPECT_EQ(trees.display().selected(), added);
    EXPECT_TRUE(display(kAttributes)->isExpanded() && display(kMixed)->isExpanded());
    model::Node* record = trees.records().selected();
    EXPECT_EQ(record->text(), "O;Phone book;7");
    EXPECT_EQ(trees.records().absoluteIndexOf(record), trees.display().absoluteIndexOf(added));
    EXPECT_TRUE(record->parent()->isExpanded());
}

TEST_F(ItemDialogsTest, AddAttributeWritesRecordAndShowsItAsTheNextLoadDoes) {
    select(kAttributes);
    prompts.attributeAnswers.push_back(platform::AttributeFields{"Mail", "a;b"});
    addAttribute(trees, prompts);
    select(kAttributes);
    prompts.attributeAnswers.push_back(platform::AttributeFields{"", ""});
    addAttribute(trees, prompts);
    EXPECT_EQ(prompts.takeAsked(), (Asked{"attribute: |", "attribute: |"}));
    const model::Node* attributes = display(kAttributes);
    EXPECT_EQ(attributes->childCount(), 4);
    EXPECT_EQ(trees.display().childAt(attributes, 2)->text(), "Mail: a") << "as a load shows it";
    EXPECT_EQ(trees.display().childAt(attributes, 2)->iconIndex(), -1);
    EXPECT_EQ(trees.display().childAt(attributes, 3)->text(), ": ");
    const model::Node* records = trees.records().nodeAt(kAttributes);
    EXPECT_EQ(trees.records().childAt(records, 2)->text(), "T;Mail;a;b");
    EXPECT_EQ(trees.records().childAt(records, 3)->text(), "T;;");
}

TEST_F(ItemDialogsTest, EditOpensWithWhatTheRecordHoldsAndAnUnchangedOkKeepsItsBytes) {
    struct Case {
        const char* record;
        bool object;
        const char* shown;
    };
    for (const Case& c : {Case{"O;Name;5", true, "Name|5"},
                          {"O;Name;014", true, "Name|14"},
                          {"O;Name;99", true, "Name|99"},
                          {"O;Name;-1", true, "Name|-1"},
                          {"O;Bo;x;5", true, "Bo;x|5"},
                          {"O;short", true, "short|0"},
                          {"O", true, "|0"},
                          {"T;x;y", false, "x|y"},
                          {"T;x;", false, "x|"},
                          {"T;Phone;+33 1;ext 4", false, "Phone|+33 1;ext 4"},
                          {"T;x", false, "x|"}}) {
        {
            model::PairedTrees::Step step(trees);
            trees.setPair(trees.pairOf(display(kChild)), "shown", c.object ? 2 : -1, c.record);
        }
        select(kChild);
        editSelected(trees, prompts);
        const std::string kind = c.object ? "object: " : "attribute: ";
        EXPECT_EQ(prompts.takeAsked(), Asked{"UNSCRIPTED " + kind + c.shown}) << c.record;

        // OK with the fields as they opened: nothing changes, not even the history.
        trees.clearHistory();
        const std::string before = displayed() + records();
        const DialogMode edit = DialogMode::Edit;
        c.object ? applyObjectDialog(trees, edit, showObjectDialog(trees, edit))
                 : applyAttributeDialog(trees, edit, showAttributeDialog(trees, edit));
        EXPECT_EQ(displayed() + records(), before) << c.record;
        EXPECT_FALSE(trees.undo()) << c.record;
    }
}

TEST_F(ItemDialogsTest, EditWritesOverTheSelectedPair) {
    select(kLeaf);
    prompts.attributeAnswers.push_back(platform::AttributeFields{"b", "2"});
    editSelected(trees, prompts);
    EXPECT_EQ(display(kLeaf)->text(), "b: 2");
    EXPECT_EQ(trees.records().nodeAt(kLeaf)->text(), "T;b;2");

    select(kEmpty);
    prompts.objectAnswers.push_back(platform::ObjectFields{"Renamed", -1});
    editSelected(trees, prompts);
    EXPECT_EQ(display(kEmpty)->text(), "Renamed");
    EXPECT_EQ(display(kEmpty)->iconIndex(), -1) << "no icon chosen: now counted as an attribute";
    EXPECT_EQ(trees.records().nodeAt(kEmpty)->text(), "O;Renamed;-1");
    EXPECT_TRUE(isAttribute(display(kEmpty)));

    // A field changed beside one that holds a semicolon: the tree shows what the file will load.
    {
        model::PairedTrees::Step step(trees);
        trees.setPair(trees.pairOf(display(kChild)), "Bo", 0, "O;Bo;x;5");
    }
    select(kChild);
    prompts.objectAnswers.push_back(platform::ObjectFields{"Bo;x", 7});
    editSelected(trees, prompts);
    EXPECT_EQ(trees.records().nodeAt(kChild)->text(), "O;Bo;x;7");
    EXPECT_EQ(display(kChild)->text(), "Bo");
    EXPECT_EQ(display(kChild)->iconIndex(), 0);
}

TEST_F(ItemDialogsTest, OpeningSelectsAndShowsTheRecordNodeEvenWhenTheDisplayIsCollapsed) {
    select(kMixed);
    prompts.objectAnswers.push_back(std::nullopt);
    editSelected(trees, prompts);
    EXPECT_EQ(trees.records().selected(), trees.records().nodeAt(kMixed));
    EXPECT_TRUE(trees.records().nodeAt(kAttributes)->isExpanded());
    EXPECT_TRUE(trees.records().nodeAt(kRoot)->isExpanded());
    EXPECT_FALSE(display(kAttributes)->isExpanded()) << "the display is left as it was";
}

TEST_F(ItemDialogsTest, CancelChangesNothingAndEditIgnoresTheTopLevel) {
    const std::string before = displayed() + records();
    select(kChild);
    prompts.objectAnswers.push_back(std::nullopt);
    addObject(trees, prompts);
    prompts.objectAnswers.push_back(std::nullopt);
    editSelected(trees, prompts);
    select(kRoot);
    editSelected(trees, prompts);
    trees.select(nullptr);
    editSelected(trees, prompts);
    EXPECT_EQ(prompts.takeAsked(), (Asked{"object: |0", "object: Child|2"}));
    EXPECT_EQ(displayed() + records(), before);
}

}  // namespace
}  // namespace quorvia::editing
