#include <gtest/gtest.h>

#include "model/LoadSequence.h"
#include "support/FaultyFileSystem.h"
#include "support/TempDir.h"
#include "support/TreeHelpers.h"

namespace quorvia::model {
namespace {

using testing::outline;

class LoadSequence : public ::testing::Test {
protected:
    std::optional<Error> load(const std::string& name) {
        return loadDatabase(trees, dir.path(name));
    }
    std::string display() const { return outline(trees.display(), true); }
    std::string records() const { return outline(trees.records()); }

    testing::TempDir dir;
    PairedTrees trees;
};

TEST_F(LoadSequence, DecodesEveryRecordAndNamesTheRootAfterTheFile) {
    dir.write("phone.db",
              "Quorvia\r\n\tO;Contacts;3\r\n\t\tT;Phone;555\r\n\tO;Notes;0\r\nO;Second;3\r\n");
    EXPECT_FALSE(load("phone.db"));
    EXPECT_EQ(display(),
              "phone.db [1]\n\tContacts [3]\n\t\tPhone: 555 [-1]\n\tNotes [0]\nSecond [3]\n");
    EXPECT_EQ(records(), "Quorvia\n\tO;Contacts;3\n\t\tT;Phone;555\n\tO;Notes;0\nO;Second;3\n");
    EXPECT_TRUE(testing::arePaired(trees));
    EXPECT_EQ(trees.display().updateDepth(), 0);
    EXPECT_EQ(trees.records().updateDepth(), 0);
}

TEST_F(LoadSequence, AMissingOrEmptyFileGivesARootNamedAfterIt) {
    EXPECT_FALSE(load("absent"));
    EXPECT_EQ(display(), "absent [1]\n");
    EXPECT_EQ(records(), "absent\n");

    dir.write("empty", "");
    EXPECT_FALSE(load("empty"));
    EXPECT_EQ(records(), "empty\n");

    // A folder is no database file.
    EXPECT_FALSE(loadDatabase(trees, dir.path()));
    EXPECT_EQ(records(), dir.path().substr(dir.path().rfind('/') + 1) + "\n");
    EXPECT_FALSE(loadDatabase(trees, dir.path() + "/"));
    EXPECT_EQ(display(), " [1]\n") << "a path ending in a separator names an empty root";
}

TEST_F(LoadSequence, ALineEndAloneKeepsAnEmptyRecordRoot) {
    dir.write("db", "\r\n");
    EXPECT_FALSE(load("db"));
    EXPECT_EQ(records(), "\n");
    EXPECT_EQ(display(), "db [1]\n");
}

TEST_F(LoadSequence, AFileThatFailsToLoadIsReportedNotShown) {
    dir.write("deep", "root\r\n\t\t\tO;A;1\r\n");
    const auto failure = load("deep");
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->message(), "Niveau incorrect (3) pour l'élément \"O;A;1\"");
    EXPECT_EQ(records(), "deep\n");
    EXPECT_EQ(display(), "deep [1]\n");

    dir.write("locked", "root\r\n");
    testing::FaultyFileSystem files;
    files.failAt(testing::FileCall::OpenToRead, 1, EACCES);
    const auto openFailure = load("locked");
    ASSERT_TRUE(openFailure);
    EXPECT_EQ(openFailure->message(), "Impossible d'ouvrir le fichier " + dir.path("locked"));
    EXPECT_EQ(records(), "locked\n");
}

TEST_F(LoadSequence, ShortRecordsAreAllDecodedBeforeTheFirstIsReported) {
    dir.write("db", "root\r\n\tO;A;1\r\n\tT;x\r\n\t\tO\r\n\r\n\tO;Name\r\n\tT;ok;1\r\n");
    try {
        load("db");
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(error.message(), "Indice de liste hors limites (2)");
    }
    EXPECT_EQ(display(),
              "db [1]\n\tA [1]\n\tx:  [-1]\n\t\t [0]\n:  [-1]\n\tName [0]\n\tok: 1 [-1]\n");
    EXPECT_EQ(trees.display().updateDepth(), 0) << "the display is still redrawn";
    EXPECT_TRUE(testing::arePaired(trees));

    dir.write("blank", "root\r\n\r\n");
    try {
        load("blank");
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(error.message(), "Indice de liste hors limites (1)")
            << "an empty record is short at field 1";
    }
}

TEST_F(LoadSequence, ReloadingLeavesEverythingCollapsedAndUnselected) {
    dir.write("db", "root\r\n\tO;A;1\r\n\t\tT;x;y\r\n");
    load("db");
    trees.setExpanded(trees.display().nodeAt(0), true);
    trees.setExpanded(trees.display().nodeAt(1), true);
    trees.select(trees.display().nodeAt(2));
    load("db");
    EXPECT_EQ(outline(trees.display(), false, true), "db\n\tA\n\t\tx: y\n");
    EXPECT_EQ(outline(trees.records(), false, true), "root\n\tO;A;1\n\t\tT;x;y\n");
    EXPECT_EQ(trees.display().selected(), nullptr);
}

}  // namespace
}  // namespace quorvia::model
