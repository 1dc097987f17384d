#include "editing/EditingFixture.h"
#include "editing/Find.h"

namespace quorvia::editing {
namespace {

class FindTest : public EditingFixture {
protected:
    static TextMatch containing(std::string_view part) {
        return [part](std::string_view text) { return text.find(part) != std::string_view::npos; };
    }
    int findFrom(int from, std::string_view part, bool forward = true) {
        const model::Node* found = (forward ? findNext : findPrevious)(
            trees.display(), from < 0 ? nullptr : display(from), containing(part));
        return found != nullptr ? trees.display().absoluteIndexOf(found) : -1;
    }
};

TEST_F(FindTest, TreeOrderAfterTheSelectionWrappingOnceRound) {
    EXPECT_EQ(findFrom(-1, "i"), kChild) << "without a selection from the top";
    EXPECT_EQ(findFrom(kChild, "e"), kLate) << "the next in tree order, not the node itself";
    EXPECT_EQ(findFrom(kLate, "e"), kAttributes);
    EXPECT_EQ(findFrom(kSecond, "Objects"), kObjects) << "on from the top after the last node";
    EXPECT_EQ(findFrom(kLoose, "loose"), kLoose) << "the selected node comes last";
    EXPECT_EQ(findFrom(kSecondLeaf, "p: q"), kSecondLeaf);
    EXPECT_EQ(findFrom(kObjects, "absent"), -1);
    EXPECT_EQ(findFrom(kObjects, "T;"), -1) << "records are not searched, display texts are";
}

TEST_F(FindTest, FindPreviousGoesBackwardsRoundTheOtherWay) {
    EXPECT_EQ(findFrom(-1, "e", false), kSecond) << "without a selection from the last node";
    EXPECT_EQ(findFrom(kAttributes, "e", false), kLate);
    EXPECT_EQ(findFrom(kObjects, "e", false), kSecond) << "on from the end after the first";
    EXPECT_EQ(findFrom(kLoose, "loose", false), kLoose);
    EXPECT_EQ(findFrom(kLoose, "absent", false), -1);
}

TEST_F(FindTest, AMatchInACollapsedBranchIsRevealedAndNoMatchChangesNothing) {
    select(kSecond);
    EXPECT_FALSE(findAndReveal(trees, containing("absent")));
    EXPECT_EQ(trees.display().selected(), display(kSecond));
    EXPECT_EQ(displayed().find('+'), std::string::npos);

    ASSERT_TRUE(findAndReveal(trees, containing("a: 1")));
    EXPECT_EQ(trees.display().selected(), display(kLeaf));
    EXPECT_EQ(testing::outline(trees.display(), false, true),
              "+db\n\tObjects\n\t\tChild\n\t\tlate: attr\n\t+Attributes\n\t\ta: 1\n\t\tMixed\n"
              "\tloose: x\n\tEmpty\nSecond\n\tp: q\n");
    EXPECT_EQ(
        testing::outline(trees.records(), false, true),
        "+root\n\tO;Objects;1\n\t\tO;Child;2\n\t\tT;late;attr\n\t+O;Attributes;3\n\t\tT;a;1\n"
        "\t\tO;Mixed;4\n\tT;loose;x\n\tO;Empty;5\nO;Second;3\n\tT;p;q\n")
        << "the record tree follows the expansion";
}

TEST_F(FindTest, FindNextRepeatsTheLastSearchAndNamesItAsTypedWhenNothingMatches) {
    Finder finder([](const platform::SearchFields& search) { return containing(search.text); });
    prompts.searchAnswers = {std::nullopt, platform::SearchFields{"Ж", false}};
    finder.findNext(trees, prompts);  // nothing searched yet: asks, and is cancelled
    finder.find(trees, prompts);
    EXPECT_EQ(prompts.takeAsked(), (std::vector<std::string>{"find: |any case", "find: |any case",
                                                             "warn: \"Ж\" not found"}));
    prompts.searchAnswers = {platform::SearchFields{"e", false}};
    finder.find(trees, prompts);
    const model::Node* first = trees.display().selected();
    finder.findNext(trees, prompts);
    EXPECT_NE(trees.display().selected(), first);
    EXPECT_EQ(prompts.takeAsked(), (std::vector<std::string>{"find: Ж|any case"}));
}

}  // namespace
}  // namespace quorvia::editing
