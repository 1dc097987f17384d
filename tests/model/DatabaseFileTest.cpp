#include <gtest/gtest.h>

#include <string>

#include "model/DatabaseFile.h"
#include "support/FaultyFileSystem.h"
#include "support/TempDir.h"
#include "support/TreeHelpers.h"

namespace quorvia::model {
namespace {

using testing::outline;

// The outline of what the reader made, or "!" and its error.
std::string readBack(const std::string& bytes) {
    Tree tree;
    try {
        testing::fillTree(tree, bytes);
    } catch (const Error& error) {
        return "!" + error.message();
    }
    return outline(tree);
}

TEST(DatabaseReader, LineEnds) {
    const std::string expected = "root\n\tO;A;1\n\t\tT;x;y\n";
    EXPECT_EQ(readBack("root\r\n\tO;A;1\r\n\t\tT;x;y\r\n"), expected);
    EXPECT_EQ(readBack("root\n\tO;A;1\n\t\tT;x;y\n"), expected);
    EXPECT_EQ(readBack("root\r\tO;A;1\r\t\tT;x;y\r"), expected);
    EXPECT_EQ(readBack("root\n\tO;A;1\n\t\tT;x;y"), expected) << "no line end at the end";
    EXPECT_EQ(readBack(""), "") << "an empty file has no lines";
    EXPECT_EQ(readBack("\r\n"), "\n") << "a line end alone is one empty root";
    EXPECT_EQ(readBack("a\n\r"), "a\n\n") << "LF then CR is two line ends";
    EXPECT_EQ(readBack("a\r\r\nb"), "a\n\nb\n") << "CR then CR LF is two line ends";
    EXPECT_EQ(readBack("a\r\n\r\n"), "a\n\n") << "two line ends at the end give one empty line";
}

TEST(DatabaseReader, NulEndsTheText) {
    const char withNul[] = "root\r\n\tO;A;1\0\r\n\tO;B;2\r\n";
    EXPECT_EQ(readBack(std::string(withNul, sizeof withNul - 1)), "root\n\tO;A;1\n");
    EXPECT_EQ(readBack(std::string("\0root", 5)), "");
}

TEST(DatabaseReader, LevelsFromTabsAndBlanks) {
    EXPECT_EQ(readBack("root\n \tO;A;1"), "!Niveau incorrect (2) pour l'élément \"O;A;1\"")
        << "blank plus TAB is two levels below a root at level 0";
    EXPECT_EQ(readBack("root\n\tO;A;1\n\t T;x;y  \t\n"), "root\n\tO;A;1\n\t\tT;x;y  \t\n")
        << "blanks and TABs at the end stay";
    EXPECT_EQ(readBack("\t\t\troot\n\tA"), "root\n\tA\n") << "the first line is level 0";
    EXPECT_EQ(readBack("root\n\t\t\n"), "!Niveau incorrect (2) pour l'élément \"\"")
        << "a blank-only line can be nested too deep";
    EXPECT_EQ(readBack("root\n\t\n\t\t"), "root\n\t\n\t\t\n") << "empty texts at their levels";
    EXPECT_EQ(readBack("\xEF\xBB\xBFroot\n\tA"), "\xEF\xBB\xBFroot\n\tA\n")
        << "a byte-order mark is text";
}

TEST(DatabaseReader, LevelRulesAgainstThePreviouslyPlacedNode) {
    EXPECT_EQ(readBack("root\n\tA\n\t\tB\nC\n"), "root\n\tA\n\t\tB\nC\n")
        << "a second top-level node";
    EXPECT_EQ(readBack("r\n\tA\n\t\tB\n\t\t\tC\n\tD\n\t\tE"),
              "r\n\tA\n\t\tB\n\t\t\tC\n\tD\n\t\tE\n")
        << "going up several levels at once";
    EXPECT_EQ(readBack("r\n\tA\n\n\tB"), "r\n\tA\n\n\tB\n")
        << "a blank line becomes a top-level node taking what follows";
    // Every line one TAB too deep: the second line is two below the root.
    EXPECT_EQ(readBack("\troot\n\t\tA\n"), "!Niveau incorrect (2) pour l'élément \"A\"");
    Tree tree;
    try {
        testing::fillTree(tree, "r\n\tA\n\t\tB\n\t\t\t\tdeep\n\tC\n");
        FAIL();
    } catch (const Error&) {
    }
    EXPECT_EQ(outline(tree), "r\n\tA\n\t\tB\n") << "nodes placed before the error stay";
    EXPECT_EQ(tree.updateDepth(), 0);
}

TEST(DatabaseReader, OpenError) {
    testing::TempDir dir;
    Tree tree;
    try {
        readDatabaseFile(tree, dir.path("missing"));
        FAIL();
    } catch (const Error& error) {
        EXPECT_EQ(error.message(), "Impossible d'ouvrir le fichier " + dir.path("missing"));
    }
}

TEST(DatabaseReader, ReadsNoFurtherThanTheNul) {
    testing::TempDir dir;
    const char bytes[] = "root\r\n\tO;A;1\0\r\n\tO;B;2\r\n";
    dir.write("db", std::string(bytes, sizeof bytes - 1));
    Tree tree;
    bool textAfterNul = false;
    readDatabaseFile(tree, dir.path("db"), &textAfterNul);
    EXPECT_EQ(outline(tree), "root\n\tO;A;1\n");
    EXPECT_TRUE(textAfterNul) << "the B line would be lost by a save";
}

TEST(DatabaseFile, RoundTripIsByteForByte) {
    testing::TempDir dir;
    const std::string bytes =
        "Quorvia\r\n\tO;Contacts;3\r\n\t\tT;Phone;555\r\n\t\tT;a;b;c\r\n\tO;Notes;0\r\n"
        "\t\tO;Deep;14\r\n\t\t\tT;;\r\n\r\nsecond top\r\n\tT;x;\xE9\r\n";
    dir.write("db", bytes);
    Tree tree;
    readDatabaseFile(tree, dir.path("db"));
    writeDatabaseFile(tree, dir.path("copy"));
    EXPECT_EQ(dir.read("copy"), bytes);

    Tree empty;
    writeDatabaseFile(empty, dir.path("empty"));
    EXPECT_EQ(dir.read("empty"), "");

    // A file of several write blocks, a line crossing each boundary, the last one short.
    std::string large = "root\r\n";
    for (int i = 0; large.size() < 2'500'000; ++i) {
        large += "\tT;" + std::to_string(i) + ";" + std::string(static_cast<size_t>(i % 97), 'v') +
                 "\r\n";
    }
    dir.write("large", large);
    readDatabaseFile(tree, dir.path("large"));
    writeDatabaseFile(tree, dir.path("large copy"));
    EXPECT_TRUE(dir.read("large copy") == large);
}

TEST(DatabaseFile, WritesTabsAndCrLfWhateverTheInputUsed) {
    Tree tree;
    testing::fillTree(tree, "root\n A\n\t B\rC");
    EXPECT_EQ(formatDatabase(tree), "root\r\n\tA\r\n\t\tB\r\nC\r\n");
}

TEST(DatabaseWriter, EveryFailureRaisesTheCreateErrorAndKeepsTheOldFile) {
    testing::TempDir dir;
    Tree tree;
    testing::fillTree(tree, "root\n\tO;A;1\n");
    for (auto call : {testing::FileCall::Create, testing::FileCall::Write, testing::FileCall::Sync,
                      testing::FileCall::Close, testing::FileCall::Rename}) {
        dir.write("db", "old content\r\n");
        testing::FaultyFileSystem files;
        files.failAt(call, 1, ENOSPC);
        try {
            writeDatabaseFile(tree, dir.path("db"));
            ADD_FAILURE() << "no error for call " << static_cast<int>(call);
        } catch (const Error& error) {
            EXPECT_EQ(error.message(), "Impossible de créer le fichier " + dir.path("db"));
        }
        EXPECT_TRUE(files.fired());
        EXPECT_EQ(dir.read("db"), "old content\r\n");
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"db"});
    }
    try {
        writeDatabaseFile(tree, "");
        FAIL();
    } catch (const Error& error) {
        EXPECT_EQ(error.message(), "Impossible de créer le fichier ");
    }
}

TEST(DatabaseFile, DeepNestingNeedsNoStack) {
    // A file nested one level deeper per line grows with the square of its depth (a million
    // levels would take 500 GB), so depth 10,000 is read and written on a 256 KB stack, where any
    // recursion over the depth would overflow.
    std::string bytes = "root\r\n";
    for (size_t level = 1; level <= 10'000; ++level) {
        bytes.append(level, '\t');
        bytes.append("O;x;1\r\n");
    }
    testing::TempDir dir;
    dir.write("deep", bytes);
    testing::runOnSmallStack([&] {
        Tree tree;
        readDatabaseFile(tree, dir.path("deep"));
        EXPECT_EQ(tree.count(), 10'001);
        writeDatabaseFile(tree, dir.path("copy"));
    });
    EXPECT_EQ(dir.read("copy"), bytes);
}

}  // namespace
}  // namespace quorvia::model
