#include <gtest/gtest.h>

#include "editing/Containment.h"
#include "import/TableImport.h"
#include "import/TextImport.h"
#include "model/DatabaseFile.h"
#include "model/LoadSequence.h"
#include "model/ViewNotifier.h"
#include "platform/TextFiles.h"
#include "support/FakePrompts.h"
#include "support/TempDir.h"
#include "support/TreeHelpers.h"

namespace quorvia::importing {
namespace {

using Asked = std::vector<std::string>;

// Absolute indexes of the sample database.
enum { kRoot, kObjects, kChild, kAttributes, kLeaf, kEmpty, kSecond };

class TextImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::loadPaired(trees,
                            "root\n\tO;Objects;1\n\t\tO;Child;2\n\tO;Attributes;3\n\t\tT;a;1\n"
                            "\tO;Empty;5\nO;Second;3\n");
    }
    void TearDown() override {
        EXPECT_TRUE(testing::arePaired(trees));
        EXPECT_EQ(trees.display().updateDepth(), 0);
        EXPECT_EQ(trees.records().updateDepth(), 0);
    }

    // Imports `bytes` into node `target`, the file chosen in the open dialog.
    void importAttributes(int target, const std::string& bytes) {
        dir.write("in.txt", bytes);
        trees.select(trees.display().nodeAt(target));
        prompts.openAnswers.push_back(dir.path("in.txt"));
        importing::importAttributes(trees, prompts);
    }
    void importObjects(int target, const std::string& bytes, int nameColumn) {
        dir.write("in.txt", bytes);
        trees.select(trees.display().nodeAt(target));
        prompts.openAnswers.push_back(dir.path("in.txt"));
        prompts.columnAnswers.push_back(nameColumn);
        importing::importObjects(trees, prompts);
    }
    // The subtree of node `index`: display texts with icons, then records.
    std::string under(int index) {
        std::string text;
        for (const model::Tree* tree : {&trees.display(), &trees.records()}) {
            const model::Node* top = tree->nodeAt(index);
            for (const model::Node* node = model::Tree::nextInPreorder(top);
                 node != nullptr && node->isWithin(top);
                 node = model::Tree::nextInPreorder(node)) {
                text.append(static_cast<size_t>(node->level() - top->level() - 1), '\t');
                text.append(node->shownText());
                if (tree == &trees.display()) {
                    text.append(" [" + std::to_string(node->iconIndex()) + "]");
                }
                text.append("\n");
            }
            text.append("--\n");
        }
        return text;
    }

    testing::TempDir dir;
    model::PairedTrees trees;
    testing::FakePrompts prompts;
};

TEST_F(TextImportTest, TargetTests) {
    struct Case {
        int node;
        bool attributes;
        bool objects;
    };
    for (const Case& c : {Case{kRoot, false, false},
                          {kSecond, false, false},
                          {kLeaf, false, false},
                          {kObjects, false, true},
                          {kAttributes, true, false},
                          {kEmpty, true, true},
                          {kChild, true, true}}) {
        EXPECT_EQ(editing::mayImportAttributesInto(trees.display().nodeAt(c.node)), c.attributes)
            << c.node;
        EXPECT_EQ(editing::mayImportObjectsInto(trees.display().nodeAt(c.node)), c.objects)
            << c.node;
    }
    EXPECT_FALSE(editing::mayImportAttributesInto(nullptr));
    EXPECT_FALSE(editing::mayImportObjectsInto(nullptr));

    trees.select(trees.display().nodeAt(kRoot));
    importing::importAttributes(trees, prompts);
    importing::importObjects(trees, prompts);
    EXPECT_EQ(prompts.takeAsked(),
              (Asked{"warn: Select an empty object or an object which contains already attributes",
                     "warn: Select an empty object or an object which contains already objects"}))
        << "no file dialog after a refusal";
}

TEST_F(TextImportTest, AttributeLinesOfExactlyTwoFields) {
    importAttributes(kAttributes, "x;1\r\na;\r\n;b\r\na;b;c\r\n\r\nnone\r\nlast;line");
    EXPECT_EQ(under(kAttributes),
              "a: 1 [-1]\nx:1 [-1]\na: [-1]\n:b [-1]\nlast:line [-1]\n--\n"
              "T;a;1\nT;x;1\nT;a;\nT;;b\nT;last;line\n--\n");
    EXPECT_TRUE(trees.display().nodeAt(kAttributes)->isExpanded());
    EXPECT_TRUE(trees.records().nodeAt(kAttributes)->isExpanded());
    EXPECT_EQ(trees.records().selected(), trees.records().nodeAt(kAttributes));
    EXPECT_EQ(prompts.takeAsked(), Asked{"open"});
}

TEST_F(TextImportTest, LineRules) {
    for (const std::string& bytes : {std::string("a;1\r\nb;2\r\n"), std::string("a;1\nb;2\n"),
                                     std::string("a;1\nb;2"), std::string("a;\r1\r\nb;2\r"),
                                     std::string("a;1\nb;2\n\x1A"
                                                 "c;3\nd;4\n")}) {
        SetUp();
        importAttributes(kEmpty, bytes);
        EXPECT_EQ(under(kEmpty), "a:1 [-1]\nb:2 [-1]\n--\nT;a;1\nT;b;2\n--\n") << bytes;
    }
}

TEST_F(TextImportTest, ImportedAttributesGainTheirBlankOnTheNextLoad) {
    importAttributes(kEmpty, "Phone;555\n");
    EXPECT_EQ(trees.display().nodeAt(kEmpty + 1)->shownText(), "Phone:555");
    model::writeDatabaseFile(trees.records(), dir.path("db"));
    model::loadDatabase(trees, dir.path("db"));
    EXPECT_EQ(trees.display().nodeAt(kEmpty + 1)->shownText(), "Phone: 555");
}

TEST_F(TextImportTest, AppendsInBulkOnePerParent) {
    struct Counter : model::TreeObserver {
        void inserted(const model::Node*, int, int) override { ++appends; }
        int appends = 0;
    } counter;
    model::ViewNotifier notifier(trees.display(), counter);
    std::string bytes;
    for (int i = 0; i < 1000; ++i) {
        bytes += "n" + std::to_string(i) + ";v\n";
    }
    importAttributes(kEmpty, bytes);
    EXPECT_EQ(counter.appends, 1);
    EXPECT_EQ(trees.display().nodeAt(kEmpty)->childCount(), 1000);
}

TEST_F(TextImportTest, ObjectRowsBecomeObjectsWithAttributesInColumnOrder) {
    importObjects(kObjects,
                  "Phone;Name;Mail\r\n555;Ann;a@x\r\nshort;row\r\n;;\r\n777;Bo;b@x;extra\r\n", 1);
    EXPECT_EQ(prompts.takeAsked(), (Asked{"open", "columns: Phone|Name|Mail"}));
    EXPECT_EQ(
        under(kObjects),
        "Child [2]\nAnn [2]\n\tPhone:555 [-1]\n\tMail:a@x [-1]\n [2]\n\tPhone: [-1]\n"
        "\tMail: [-1]\n--\nO;Child;2\nO;Ann;2\n\tT;Phone;555\n\tT;Mail;a@x\nO;;2\n\tT;Phone;\n"
        "\tT;Mail;\n--\n");
    EXPECT_TRUE(trees.display().nodeAt(kObjects)->isExpanded());
}

TEST_F(TextImportTest, OneColumnMakesObjectsOfEveryLineEvenEmptyOnes) {
    importObjects(kEmpty, "Name\nAnn\n\nBo;x\nCy", 0);
    EXPECT_EQ(under(kEmpty), "Ann [2]\n [2]\nCy [2]\n--\nO;Ann;2\nO;;2\nO;Cy;2\n--\n");
}

TEST_F(TextImportTest, HeaderOnlyEmptyFileAndCancel) {
    importObjects(kEmpty, "Name;Phone\r\n", 0);
    EXPECT_EQ(prompts.takeAsked(), (Asked{"open", "columns: Name|Phone"}));
    EXPECT_EQ(trees.display().nodeAt(kEmpty)->childCount(), 0);
    EXPECT_TRUE(trees.display().nodeAt(kEmpty)->isExpanded()) << "the target still opens";

    prompts.columnAnswers.clear();
    dir.write("in.txt", "");
    trees.select(trees.display().nodeAt(kEmpty));
    prompts.openAnswers.push_back(dir.path("in.txt"));
    importing::importObjects(trees, prompts);
    EXPECT_EQ(prompts.takeAsked(), Asked{"open"}) << "an empty file asks for no column";

    importObjects(kEmpty, "Name;Phone\r\nAnn;555\r\n", -1);
    EXPECT_EQ(trees.display().nodeAt(kEmpty)->childCount(), 0) << "cancelled: nothing added";

    trees.select(trees.display().nodeAt(kEmpty));
    prompts.openAnswers.push_back(std::nullopt);
    importing::importAttributes(trees, prompts);
    EXPECT_EQ(trees.display().nodeAt(kEmpty)->childCount(), 0);
}

TEST_F(TextImportTest, AMissingFileIsAnErrorAndTheBulkUpdatesEnd) {
    trees.select(trees.display().nodeAt(kEmpty));
    for (int run = 0; run < 2; ++run) {
        prompts.openAnswers.push_back(dir.path("missing.txt"));
        try {
            run == 0 ? importing::importAttributes(trees, prompts)
                     : importing::importObjects(trees, prompts);
            ADD_FAILURE() << "no error";
        } catch (const Error& error) {
            EXPECT_EQ(error.message(), "Fichier introuvable");
        }
        EXPECT_EQ(trees.display().updateDepth(), 0);
        EXPECT_EQ(trees.records().updateDepth(), 0);
    }
}

TEST_F(TextImportTest, AFileWithANulByteImportsNothing) {
    const std::string withNul = std::string("a;1\nb;2\nc;x\0y\n", 14);
    importAttributes(kEmpty, withNul);
    importObjects(kChild, "name;value\n" + withNul, 0);
    EXPECT_EQ(prompts.takeAsked(),
              (Asked{"open",
                     "warn: Line 3 of \"" + dir.path("in.txt") +
                         "\" holds a NUL byte, which the database cannot keep; nothing "
                         "was imported.",
                     "open",
                     "warn: Line 4 of \"" + dir.path("in.txt") +
                         "\" holds a NUL byte, which the database cannot keep; nothing "
                         "was imported."}));
    EXPECT_EQ(trees.display().count(), 7);
    importAttributes(kEmpty, "a;1\n\x1A\0 after the end of the text\n");
    EXPECT_EQ(trees.display().nodeAt(kEmpty)->childCount(), 1) << "behind Ctrl-Z nothing counts";
}

}  // namespace
}  // namespace quorvia::importing

namespace quorvia::importing {
namespace {

class CsvTableImportTest : public TextImportTest {
protected:
    Asked importCsv(const std::string& bytes, int nameColumn = 0) {
        dir.write("in.csv", bytes);
        trees.select(trees.display().nodeAt(kEmpty));
        prompts.openAnswers.push_back(dir.path("in.csv"));
        prompts.columnAnswers.push_back(nameColumn);
        importCsvTable(trees, prompts, codec);
        return prompts.takeAsked();
    }
    std::string refusal(int line, const std::string& why) {
        return "warn: Line " + std::to_string(line) + " of \"" + dir.path("in.csv") + "\" " + why +
               " Nothing was imported.";
    }
    platform::Utf8Codec codec;
};

TEST_F(CsvTableImportTest, QuotedFieldsEitherSeparatorAndFieldsSpanningLines) {
    for (const std::string& bytes :
         {std::string("\xEF\xBB\xBFName,Phone\r\n\"Ann, B\",\"5\"\"5\"\r\n\"Bo\r\nCy\",\r\n"),
          std::string("Name;Phone\n\"Ann, B\";\"5\"\"5\"\n\"Bo\nCy\";\n")}) {
        SetUp();
        EXPECT_EQ(importCsv(bytes), (Asked{"open", "columns: Name|Phone"}));
        EXPECT_EQ(under(kEmpty),
                  "Ann, B [2]\n\tPhone:5\"5 [-1]\nBo Cy [2]\n\tPhone: [-1]\n--\n"
                  "O;Ann, B;2\n\tT;Phone;5\"5\nO;Bo Cy;2\n\tT;Phone;\n--\n");
    }
    SetUp();
    EXPECT_EQ(importCsv(" a ,b\n c ,d,e\n", 1), (Asked{"open", "columns:  a |b"}));
    EXPECT_EQ(trees.display().nodeAt(kEmpty)->childCount(), 0) << "rows of other widths skipped";
}

TEST_F(CsvTableImportTest, RefusalsNameTheLineAndAddNothing) {
    struct Case {
        std::string bytes;
        std::string warning;
    };
    for (const Case& c :
         {Case{"Name,Phone\nAnn,1\n\"Bo\nx\",\"2;3\"\n",
               refusal(3,
                       "holds a semicolon (\";\") in \"2;3\": the phone and the next load "
                       "would split the text there.")},
          Case{"Name\nAnn\nB\"o\n",
               refusal(3,
                       "is not a table as spreadsheets write it (RFC 4180): a quote (\") "
                       "stands where a field can hold none.")},
          Case{"Name\nAnn\n\"Bo\n\n", "warn: \"" + dir.path("in.csv") +
                                          "\" ends inside a quoted field that begins on line 3. "
                                          "Nothing was imported."},
          Case{std::string("Name\nA\0n\n", 9),
               "warn: " + platform::nulLineMessage(dir.path("in.csv"), 2)}}) {
        EXPECT_EQ(importCsv(c.bytes), (Asked{"open", c.warning}));
        EXPECT_EQ(trees.display().nodeAt(kEmpty)->childCount(), 0);
    }
}

}  // namespace
}  // namespace quorvia::importing
