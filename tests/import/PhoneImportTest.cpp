#include <gtest/gtest.h>

#include "import/PhoneImport.h"
#include "model/DatabaseFile.h"
#include "support/FakePrompts.h"
#include "support/FaultyFileSystem.h"
#include "support/TempDir.h"
#include "support/TreeHelpers.h"
#include "workspace/Workspace.h"

namespace quorvia::importing {
namespace {

using Asked = std::vector<std::string>;

class PhoneImportTest : public ::testing::Test {
protected:
    // The converted text of `source`, or "!" and the error.
    std::string convert(const std::string& source) {
        dir.write("phone.txt", source);
        try {
            if (convertPhoneDatabase(dir.path("phone.txt"), dir.path("target.db")) ==
                PhoneConversion::NothingAfterHeader) {
                return "(nothing) " + dir.read("target.db");
            }
        } catch (const Error& error) {
            return "!" + error.message();
        }
        return dir.read("target.db");
    }

    testing::TempDir dir;
};

TEST_F(PhoneImportTest, HeaderThenLevelledRecords) {
    EXPECT_EQ(convert("0;Phone book;x\r\n1;O;Contacts;3\r\n2;T;Phone;555\r\n1;O;Notes;0\r\n"),
              "Phone book\r\n\tO;Contacts;3\r\n\t\tT;Phone;555\r\n\tO;Notes;0\r\n");
}

TEST_F(PhoneImportTest, LevelsAreReadAsIntegers) {
    EXPECT_EQ(convert("h;Root\n1;O;A;1\n2a;T;x;y\n 1;O;B;2\n$2;T;h;x\n0x1;O;C;3\n"
                      "0;O;Top;1\n-3;O;Neg;1\n;O;Empty;1\nabc;O;Word;1\n+1;O;Plus;1\n"),
              "Root\r\n\tO;A;1\r\n\t\tT;x;y\r\n\tO;B;2\r\n\t\tT;h;x\r\n\tO;C;3\r\nO;Top;1\r\n"
              "O;Neg;1\r\nO;Empty;1\r\nO;Word;1\r\n\tO;Plus;1\r\n");
    EXPECT_EQ(convert("h;Root\n$FFFFFFFF;O;A;1\n0x;O;B;1\n-2147483648;O;C;1\n"),
              "Root\r\nO;A;1\r\nO;B;1\r\nO;C;1\r\n");
    // Stopped before the overflowing digit, so without its sign: far too deep.
    EXPECT_EQ(convert("h;Root\n-2147483649;O;C;1\n"),
              "!Niveau incorrect (214748364) pour l'élément \"O;C;1\"");
    EXPECT_EQ(convert("h;Root\n2147483648;O;C;1\n"),
              "!Niveau incorrect (214748364) pour l'élément \"O;C;1\"");
}

TEST_F(PhoneImportTest, ALineWithANulByteIsRefused) {
    dir.write("target.db", "old");
    EXPECT_EQ(convert(std::string("h;Root\n1;O;A\0;1\n", 16)),
              "!Line 2 of \"" + dir.path("phone.txt") +
                  "\" holds a NUL byte, which the database cannot keep; nothing was imported.");
    EXPECT_EQ(dir.read("target.db"), "old");
}

TEST_F(PhoneImportTest, FieldsBeyondTheFourthAreDroppedAndNothingIsTrimmed) {
    EXPECT_EQ(convert("x;R;more\n1;T;Note;a;b;c\n1; O ;n; 3 \n"),
              "R\r\n\tT;Note;a\r\n\t O ;n; 3 \r\n");
}

TEST_F(PhoneImportTest, BlanksOpeningARecordNestItAsTheReaderSeesIt) {
    // The reader takes those blanks for levels: the file must still load, and the next line is
    // measured against the deeper level.
    const std::string converted = convert("0;R\n1;O;A;1\n1; O;B;2\n3;T;x;y\n1;\tO;C;3\n");
    EXPECT_EQ(converted, "R\r\n\tO;A;1\r\n\t O;B;2\r\n\t\t\tT;x;y\r\n\t\tO;C;3\r\n");
    model::Tree tree;
    EXPECT_NO_THROW(model::readDatabaseFile(tree, dir.path("target.db")));
    EXPECT_EQ(tree.count(), 5);

    for (const char* source : {"0;R\n0;T;a;b\n1; O;n;3\n", "0;R\n1;\tO;A;1\n"}) {
        dir.write("target.db", "old target");
        EXPECT_EQ(convert(source).substr(0, 20), "!Niveau incorrect (2") << source;
        EXPECT_EQ(dir.read("target.db"), "old target");
    }
    EXPECT_EQ(convert("0;R\n1;  T;a;b\n"), "!Niveau incorrect (3) pour l'élément \"  T;a;b\"");
}

TEST_F(PhoneImportTest, AnExportedFileLosesItsFirstNodeToTheHeader) {
    EXPECT_EQ(convert("1;O;Contacts;3\r\n2;T;Phone;555\r\n1;O;Notes;0\r\n"),
              "!Niveau incorrect (2) pour l'élément \"T;Phone;555\"");
    EXPECT_EQ(convert("1;O;Contacts;3\r\n1;O;Notes;0\r\n"), "O\r\n\tO;Notes;0\r\n");
}

TEST_F(PhoneImportTest, NothingAfterTheHeaderLeavesAnEmptyTarget) {
    for (const char* source : {"0;Root", "0;Root\r\n", "",
                               "0;Root\r\n\x1A"
                               "1;O;A;1\r\n"}) {
        dir.write("target.db", "old");
        EXPECT_EQ(convert(source), "(nothing) ") << source;
    }
    EXPECT_EQ(convert("0;Root\r\n1;O;A;1\r\n\x1A"
                      "1;O;B;1\r\n"),
              "Root\r\n\tO;A;1\r\n")
        << "a Ctrl-Z at a line start ends the source";
}

TEST_F(PhoneImportTest, AFailedConversionLeavesTheTargetAsItWas) {
    struct Case {
        const char* source;
        const char* error;
    };
    for (const Case& c : {Case{"0\n1;O;A;1\n", "!Indice de liste hors limites (1)"},
                          {"0;R\n1;O;A\n", "!Indice de liste hors limites (3)"},
                          {"0;R\n1;O;A;1\n\n", "!Indice de liste hors limites (1)"},
                          {"0;R\n2;O;A;1\n", "!Niveau incorrect (2) pour l'élément \"O;A;1\""},
                          {"0;R\n1;O;A;1\n2000000000;O;B;1\n",
                           "!Niveau incorrect (2000000000) pour l'élément \"O;B;1\""}}) {
        dir.write("target.db", "old target");
        EXPECT_EQ(convert(c.source), c.error);
        EXPECT_EQ(dir.read("target.db"), "old target");
        EXPECT_EQ(dir.entries(), (std::vector<std::string>{"phone.txt", "target.db"}));
    }
    dir.write("target.db", "old target");
    try {
        convertPhoneDatabase(dir.path("missing.txt"), dir.path("target.db"));
        FAIL();
    } catch (const Error& error) {
        EXPECT_EQ(error.message(), "Fichier introuvable");
    }
    EXPECT_EQ(dir.read("target.db"), "old target");
}

TEST_F(PhoneImportTest, WriteFailuresLeaveTheTargetAsItWas) {
    for (auto call : {testing::FileCall::Create, testing::FileCall::Write, testing::FileCall::Sync,
                      testing::FileCall::Rename}) {
        dir.write("target.db", "old target");
        testing::FaultyFileSystem files;
        files.failAt(call, 1, ENOSPC);
        EXPECT_EQ(convert("0;R\n1;O;A;1\n"), "!Erreur E/S 112");
        EXPECT_EQ(dir.read("target.db"), "old target");
        EXPECT_EQ(dir.entries(), (std::vector<std::string>{"phone.txt", "target.db"}));
    }
}

// The whole command through the workspace.
class PhoneImportCommandTest : public ::testing::Test {
protected:
    PhoneImportCommandTest() : inside(dir.path()) {
        dir.write("Quorvia", "Quorvia\r\n\tO;Old;1\r\n");
        workspace.start();
        workspace.loadCurrentDatabase();
        model::PairedTrees::Step step(trees);
        trees.setPair(trees.pairOf(trees.display().nodeAt(1)), "Unsaved", 1, "O;Unsaved;1");
    }
    void run(const std::string& source) {
        dir.write("phone.txt", source);
        prompts.openAnswers.push_back(dir.path("phone.txt"));
        prompts.saveAnswers.push_back(dir.path("book.db"));
        workspace.importPhoneDatabase();
    }

    testing::TempDir dir;
    testing::ScopedCurrentDirectory inside;
    model::PairedTrees trees;
    testing::FakePrompts prompts;
    workspace::Workspace workspace{trees, prompts};
};

TEST_F(PhoneImportCommandTest, TheConvertedFileBecomesTheCurrentDatabase) {
    run("0;Phone book\r\n1;O;Contacts;3\r\n2;T;Phone;555\r\n");
    EXPECT_EQ(testing::outline(trees.display(), true),
              "book.db [1]\n\tContacts [3]\n\t\tPhone: 555 [-1]\n");
    EXPECT_EQ(testing::outline(trees.records()), "Phone book\n\tO;Contacts;3\n\t\tT;Phone;555\n");
    EXPECT_EQ(workspace.currentDatabasePath(), dir.path("book.db"));
    EXPECT_EQ(dir.read("Quorvia.ini"), dir.path("book.db") + "\r\n");
    EXPECT_EQ(dir.read("Quorvia"), "Quorvia\r\n\tO;Old;1\r\n") << "the old one is not saved";
    const Asked asked = prompts.takeAsked();
    EXPECT_EQ(Asked(asked.begin(), asked.begin() + 2), (Asked{"open", "save"}));
    EXPECT_EQ(asked.at(2).rfind("warn: The changes to \"" + dir.path("Quorvia") +
                                    "\" are not "
                                    "saved. They are kept in ",
                                0),
              0u)
        << "kept for the next open";
}

TEST_F(PhoneImportCommandTest, OnFailureOrNothingToConvertTheCurrentDatabaseStays) {
    for (const char* source : {"0;Phone book\r\n", "0;R\r\n1;O;short\r\n"}) {
        try {
            run(source);
        } catch (const Error&) {
        }
        EXPECT_EQ(workspace.currentDatabasePath(), dir.path("Quorvia"));
        EXPECT_EQ(dir.read("Quorvia.ini"), dir.path("Quorvia") + "\r\n");
        EXPECT_EQ(trees.records().nodeAt(1)->text(), "O;Unsaved;1");
    }
    prompts.openAnswers.push_back(std::nullopt);
    workspace.importPhoneDatabase();
    prompts.openAnswers.push_back(dir.path("phone.txt"));
    prompts.saveAnswers.push_back(std::nullopt);
    workspace.importPhoneDatabase();
    EXPECT_EQ(trees.records().nodeAt(1)->text(), "O;Unsaved;1");
}

}  // namespace
}  // namespace quorvia::importing
