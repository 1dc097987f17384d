#include "editing/Clipboard.h"
#include "editing/ClipboardText.h"
#include "editing/Deletion.h"
#include "editing/EditingFixture.h"

namespace quorvia::editing {
namespace {

using Asked = std::vector<std::string>;

class ClipboardTest : public EditingFixture {
protected:
    void paste(int target) {
        select(target);
        editing::paste(trees, clipboard, prompts);
    }
    void copy(int node) {
        select(node);
        clipboard.copy();
    }
    void cut(int node) {
        select(node);
        clipboard.cut();
    }

    Clipboard clipboard{trees.display()};
    const std::string warning = "warn: Object can contain only Objects or Attributes";
};

TEST_F(ClipboardTest, CopyPastesOnceWithEveryFieldAndOrder) {
    copy(kAttributes);
    EXPECT_FALSE(clipboard.moveFlag());
    paste(kEmpty);
    EXPECT_EQ(clipboard.clipNode(), nullptr);
    paste(kChild);  // the clipboard is empty now
    EXPECT_TRUE(prompts.asked.empty());
    EXPECT_EQ(records(),
              "root\n\tO;Objects;1\n\t\tO;Child;2\n\t\tT;late;attr\n\tO;Attributes;3\n\t\tT;a;1\n"
              "\t\tO;Mixed;4\n\tT;loose;x\n\tO;Empty;5\n\t\tO;Attributes;3\n\t\t\tT;a;1\n"
              "\t\t\tO;Mixed;4\nO;Second;3\n\tT;p;q\n");
    const model::Node* copied = display(kEmpty)->lastChild();
    EXPECT_EQ(copied->shownText(), "Attributes");
    EXPECT_EQ(copied->iconIndex(), 3);
    EXPECT_EQ(copied->firstChild()->shownText(), "a: 1");
    EXPECT_EQ(copied->lastChild()->shownText(), "Mixed");
    EXPECT_EQ(trees.records().nodeAt(kEmpty)->lastChild()->firstChild()->text(), "T;a;1");
    EXPECT_EQ(display(kAttributes)->childCount(), 2) << "the source stays";
}

TEST_F(ClipboardTest, CutMovesOnPasteOnly) {
    cut(kLoose);
    EXPECT_TRUE(clipboard.moveFlag());
    EXPECT_EQ(display(kLoose)->shownText(), "loose: x") << "cut removes nothing by itself";
    paste(kChild);
    EXPECT_EQ(records(),
              "root\n\tO;Objects;1\n\t\tO;Child;2\n\t\t\tT;loose;x\n\t\tT;late;attr\n"
              "\tO;Attributes;3\n\t\tT;a;1\n\t\tO;Mixed;4\n\tO;Empty;5\nO;Second;3\n\tT;p;q\n");
    EXPECT_EQ(clipboard.clipNode(), nullptr);
    EXPECT_TRUE(clipboard.moveFlag()) << "paste leaves the move flag";
}

TEST_F(ClipboardTest, ALaterCopyReplacesACut) {
    const model::Node* loose = display(kLoose);
    cut(kLoose);
    copy(kEmpty);
    paste(kChild);
    EXPECT_EQ(display(kChild)->lastChild()->shownText(), "Empty");
    EXPECT_EQ(display(kRoot)->childCount(), 4);
    EXPECT_EQ(trees.display().childAt(display(kRoot), 2), loose) << "the cut node stayed";
}

TEST_F(ClipboardTest, NothingSelectedNothingPasted) {
    trees.select(nullptr);
    clipboard.copy();
    paste(kEmpty);
    trees.select(nullptr);
    clipboard.cut();
    paste(kEmpty);
    EXPECT_TRUE(prompts.asked.empty());
    EXPECT_EQ(trees.display().count(), 11);
}

TEST_F(ClipboardTest, PasteRules) {
    copy(kLeaf);
    paste(kLoose);
    EXPECT_EQ(prompts.takeAsked(), Asked{warning}) << "onto an attribute below the top level";
    EXPECT_EQ(clipboard.clipNode(), display(kLeaf)) << "a refusal keeps the clipboard";
    trees.select(nullptr);
    editing::paste(trees, clipboard, prompts);
    EXPECT_EQ(prompts.takeAsked(), Asked{warning});

    paste(kSecond);
    EXPECT_TRUE(prompts.asked.empty()) << "an attribute may go under a top-level node";
    EXPECT_EQ(display(kSecond)->lastChild()->shownText(), "a: 1");

    copy(kEmpty);
    paste(kAttributes);
    EXPECT_EQ(display(kAttributes)->lastChild()->shownText(), "Empty") << "mixed children allowed";
}

TEST_F(ClipboardTest, NeverIntoItsOwnSubtree) {
    for (int target : {kObjects, kChild}) {
        copy(kObjects);
        paste(target);
        EXPECT_EQ(prompts.takeAsked(), Asked{warning});
        EXPECT_EQ(clipboard.clipNode(), display(kObjects));
    }
    copy(kRoot);
    paste(kEmpty);
    EXPECT_EQ(prompts.takeAsked(), Asked{warning}) << "a top-level node below itself";
    // Beside it, the root's copy is an object named as its record, which is no record itself.
    paste(kSecond);
    EXPECT_EQ(display(kSecond)->lastChild()->shownText(), "root");
    EXPECT_EQ(display(kSecond)->lastChild()->iconIndex(), 0);
    EXPECT_EQ(trees.records().nodeAt(kSecondLeaf + 1)->text(), "O;root;0");
    EXPECT_EQ(trees.display().count(), 11 + 11 - 2);

    // The root never moves, and a root whose text holds a ";" names no object.
    {
        model::PairedTrees::Step step(trees);
        trees.setPair(trees.pairOf(display(kRoot)), "db", 1, "a;b");
    }
    const std::string before = displayed() + records();
    cut(kRoot);
    paste(kSecond);
    copy(kRoot);
    paste(kSecond);
    EXPECT_EQ(prompts.takeAsked(), (Asked{warning, warning}));
    EXPECT_EQ(displayed() + records(), before);
}

TEST_F(ClipboardTest, AClipNodeThatLeavesTheTreeLeavesTheClipboard) {
    model::Node* empty = display(kEmpty);
    copy(kLeaf);
    select(kAttributes);
    prompts.confirmAnswers = {true, true};
    deleteSelected(trees, prompts);
    EXPECT_EQ(clipboard.clipNode(), nullptr) << "deleted with an ancestor";

    trees.select(empty);
    clipboard.copy();
    deleteSelected(trees, prompts);
    EXPECT_EQ(clipboard.clipNode(), nullptr) << "deleted itself";

    copy(kRoot);
    testing::loadPaired(trees, "root\n\tO;A;1\n");
    EXPECT_EQ(clipboard.clipNode(), nullptr) << "another database was loaded";
    select(1);
    editing::paste(trees, clipboard, prompts);
    EXPECT_EQ(trees.display().count(), 2);
}

TEST_F(ClipboardTest, MovingOntoItsOwnParentPutsItLast) {
    cut(kChild);
    paste(kObjects);
    EXPECT_EQ(records(),
              "root\n\tO;Objects;1\n\t\tT;late;attr\n\t\tO;Child;2\n\tO;Attributes;3\n"
              "\t\tT;a;1\n\t\tO;Mixed;4\n\tT;loose;x\n\tO;Empty;5\nO;Second;3\n\tT;p;q\n");
}

TEST_F(ClipboardTest, AMillionLevelsDeepCopyWithoutRecursion) {
    model::PairedTrees::Step step(trees);
    const model::NodePair empty = trees.pairOf(display(kEmpty));
    const model::NodePair second = trees.pairOf(display(kSecond));
    model::NodePair node = empty;
    for (int i = 0; i < 1'000'000; ++i) {
        node = trees.appendPair(node, "x", 1, "O;x;1");
    }
    testing::runOnSmallStack([&] {
        const model::NodePair copy = trees.copySubtree(empty, second);
        EXPECT_EQ(trees.display().absoluteIndexOf(copy.display), 1'000'011);
        EXPECT_EQ(trees.records().count(), 2'000'012);
        EXPECT_EQ(copy.record->firstChild()->text(), "O;x;1");
    });
    trees.removePair(trees.pairOf(second.display->lastChild()));
    trees.removePair(trees.pairOf(empty.display->firstChild()));
}

TEST_F(ClipboardTest, PastedTextIsReadAsDatabaseLines) {
    const std::string before = displayed() + records();
    select(kChild);
    pasteText(trees, "A\n\tB\n\n\t\t\tC\n", prompts);
    pasteText(trees, std::string_view("A\0B", 3), prompts);
    EXPECT_EQ(prompts.takeAsked(),
              (Asked{"warn: " + nestingMessage(4, "C"), std::string("warn: ") + kNulTextWarning}));
    EXPECT_EQ(displayed() + records(), before) << "a refused paste adds nothing";

    select(kSecond);
    // A plain line with a semicolon can be no object's name: the first is named, nothing added.
    pasteText(trees, "O;Ann;2\nSmith;John\nT;name\n", prompts);
    EXPECT_EQ(prompts.takeAsked(), Asked{"warn: " + semicolonMessage(2, "Smith;John")});
    EXPECT_EQ(displayed() + records(), before);
    pasteText(trees, "\t\tAnn\r\n\t\t\tT;Phone;555\r\rO;Bob;7;x\n\t\t\t\n \t\tCarl 5\nDan",
              prompts);
    EXPECT_EQ(trees.display().selected(), display(kSecondLeaf + 1)) << "the first line's node";
    const std::string shown = displayed();
    EXPECT_EQ(shown.substr(shown.find("Second")),
              "Second [3]\n\tp: q [-1]\n\tAnn [0]\n\t\tPhone: 555 [-1]\n\tBob [7]\n"
              "\t\tCarl 5 [0]\n\tDan [0]\n");
    const std::string recorded = records();
    EXPECT_EQ(recorded.substr(recorded.find("O;Second")),
              "O;Second;3\n\tT;p;q\n\tO;Ann;0\n\t\tT;Phone;555\n\tO;Bob;7;x\n"
              "\t\tO;Carl 5;0\n\tO;Dan;0\n");

    // The program's own copy of the top-level node: the root's name, and an empty record, are
    // no records and become objects, so the file loads again as it was shown.
    select(kRoot);
    pasteText(trees, "root\n\tO;Objects;1\n\n", prompts, TextSource::OwnRecords);
    const std::string pasted = records().substr(records().rfind("\tO;root;0"));
    EXPECT_EQ(pasted.substr(0, pasted.find("O;Second")), "\tO;root;0\n\t\tO;Objects;1\n\tO;;0\n");
    EXPECT_EQ(display(kRoot)->lastChild()->iconIndex(), 0) << "an object, not \": \"";
    EXPECT_TRUE(prompts.takeAsked().empty());
}

}  // namespace
}  // namespace quorvia::editing
