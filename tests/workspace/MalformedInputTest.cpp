// Damaged and hand-made files through every reader and command: nothing crashes or hangs, the
// trees stay paired, and every failure is a message of the program's own.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "export/PhoneExport.h"
#include "import/PhoneImport.h"
#include "import/TextImport.h"
#include "model/DatabaseFile.h"
#include "model/LoadSequence.h"
#include "support/FakePrompts.h"
#include "support/TempDir.h"
#include "support/TreeHelpers.h"
#include "workspace/Workspace.h"

namespace quorvia::workspace {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> corpus() {
    std::vector<fs::path> files;
    for (const auto& entry :
         fs::directory_iterator(std::string(std::getenv("QUORVIA_FIXTURES")) + "/malformed")) {
        files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Runs a command; a failure must be one of the program's errors with a message.
void runs(const std::string& what, const std::function<void()>& command) {
    try {
        command();
    } catch (const Error& error) {
        EXPECT_FALSE(error.message().empty()) << what;
    } catch (const std::exception& error) {
        ADD_FAILURE() << what << ": unexpected " << error.what();
    }
}

class MalformedInput : public ::testing::Test {
protected:
    MalformedInput() : inside(dir.path()) {}

    // Loads `path` as the database, checks the trees, and that saving and loading again
    // reproduces the record tree.
    void loadAndRoundTrip(const std::string& path) {
        model::PairedTrees trees;
        runs(path + " as database", [&] { model::loadDatabase(trees, path); });
        ASSERT_GE(trees.records().count(), 1);
        EXPECT_TRUE(testing::arePaired(trees)) << path;
        EXPECT_EQ(trees.display().updateDepth(), 0);
        model::writeDatabaseFile(trees.records(), dir.path("saved.db"));
        model::PairedTrees again;
        runs("saved copy", [&] { model::loadDatabase(again, dir.path("saved.db")); });
        EXPECT_EQ(testing::outline(again.records()), testing::outline(trees.records())) << path;

        prompts.saveAnswers.push_back(dir.path("export.txt"));
        exporting::exportPhoneDatabase(trees.records(), prompts);
        EXPECT_TRUE(dir.exists("export.sis")) << path;
    }

    void importInto(const std::string& path) {
        model::PairedTrees trees;
        testing::loadPaired(trees, "root\n\tO;Target;1\n");
        trees.select(trees.display().nodeAt(1));
        prompts.openAnswers.push_back(path);
        runs(path + " as attributes", [&] { importing::importAttributes(trees, prompts); });
        testing::loadPaired(trees, "root\n\tO;Target;1\n");
        trees.select(trees.display().nodeAt(1));
        prompts.openAnswers.push_back(path);
        prompts.columnAnswers.push_back(0);
        runs(path + " as objects", [&] { importing::importObjects(trees, prompts); });
        EXPECT_TRUE(testing::arePaired(trees)) << path;
        EXPECT_EQ(trees.display().updateDepth(), 0);
        EXPECT_EQ(trees.records().updateDepth(), 0);
    }

    void readAsSettings(const std::string& path) {
        fs::copy_file(path, dir.path("Quorvia.ini"), fs::copy_options::overwrite_existing);
        model::PairedTrees trees;
        Workspace workspace(trees, prompts);
        runs(path + " as settings", [&] { workspace.start(); });
        EXPECT_EQ(workspace.currentDatabasePath().find_first_of("\r\n"), std::string::npos);
        runs("its database", [&] { workspace.loadCurrentDatabase(); });
        EXPECT_TRUE(testing::arePaired(trees));
    }

    // Converts `path` as a phone database; a failure leaves the target as it was, a success
    // gives a file that loads without a reader error.
    void convertAsPhoneDatabase(const std::string& path) {
        dir.write("converted.db", "before");
        try {
            if (importing::convertPhoneDatabase(path, dir.path("converted.db")) ==
                importing::PhoneConversion::Converted) {
                model::PairedTrees trees;
                std::optional<Error> failure;
                runs("converted",
                     [&] { failure = model::loadDatabase(trees, dir.path("converted.db")); });
                EXPECT_FALSE(failure) << path << ": " << failure->message();
            }
        } catch (const Error& error) {
            EXPECT_FALSE(error.message().empty());
            EXPECT_EQ(dir.read("converted.db"), "before") << path;
        }
    }

    void throughEverything(const std::string& path) {
        SCOPED_TRACE(path);
        loadAndRoundTrip(path);
        importInto(path);
        readAsSettings(path);
        convertAsPhoneDatabase(path);
    }

    testing::TempDir dir;
    testing::ScopedCurrentDirectory inside;
    testing::ScopedEnvironmentVariable noBuilder{"PATH", dir.path()};
    testing::FakePrompts prompts;
};

TEST_F(MalformedInput, TheCorpusThroughEveryReaderAndCommand) {
    const auto files = corpus();
    ASSERT_GE(files.size(), 10u);
    for (const fs::path& file : files) {
        throughEverything(file.string());
    }
}

TEST_F(MalformedInput, WhatTheReadersMakeOfThem) {
    const std::string folder = std::string(std::getenv("QUORVIA_FIXTURES")) + "/malformed/";
    model::PairedTrees trees;
    EXPECT_FALSE(model::loadDatabase(trees, folder + "byte-order-mark.txt"));
    EXPECT_EQ(trees.records().nodeAt(0)->text(), "\xEF\xBB\xBFRoot");
    EXPECT_EQ(testing::outline(trees.display()), "byte-order-mark.txt\n\tA\n\t\tPhone: 555\n");

    const auto afterNul = model::loadDatabase(trees, folder + "nul-bytes.txt");
    ASSERT_TRUE(afterNul) << "text behind the NUL would be lost by a save";
    EXPECT_EQ(afterNul->message(), "Line 3 of \"" + folder +
                                       "nul-bytes.txt\" holds a NUL byte. The text after it is "
                                       "not shown; the first change or a Save writes the file "
                                       "without it.");
    EXPECT_EQ(testing::outline(trees.records()), "Root\n\tO;A;1\n\tT;x;y\n");

    EXPECT_FALSE(model::loadDatabase(trees, folder + "ctrl-z-inside.txt"));
    EXPECT_EQ(trees.records().count(), 5) << "a database file has no end-of-file byte";

    const auto tooDeep = model::loadDatabase(trees, folder + "tabs-too-deep.txt");
    ASSERT_TRUE(tooDeep);
    EXPECT_EQ(tooDeep->message(), "Niveau incorrect (2) pour l'élément \"O;A;1\"");
    EXPECT_EQ(testing::outline(trees.display()), "tabs-too-deep.txt\n");

    try {
        model::loadDatabase(trees, folder + "short-records.txt");
        ADD_FAILURE();
    } catch (const Error& error) {
        EXPECT_EQ(error.message(), "Indice de liste hors limites (2)");
    }

    dir.write("converted.db", "before");
    try {
        importing::convertPhoneDatabase(folder + "phone-levels.txt", dir.path("converted.db"));
        ADD_FAILURE();
    } catch (const Error& error) {
        EXPECT_EQ(error.message(), "Niveau incorrect (214748364) pour l'élément \"O;B;1\"");
    }
    try {
        importing::convertPhoneDatabase(folder + "phone-overflow-levels.txt",
                                        dir.path("converted.db"));
        ADD_FAILURE();
    } catch (const Error& error) {
        // Stopped before the overflowing digit, and so without the sign.
        EXPECT_EQ(error.message(), "Niveau incorrect (214748364) pour l'élément \"O;E;1\"");
    }
    EXPECT_EQ(importing::convertPhoneDatabase(folder + "phone-negative-levels.txt",
                                              dir.path("converted.db")),
              importing::PhoneConversion::Converted);
    EXPECT_EQ(dir.read("converted.db"), "Root\r\nO;B;1\r\nO;C;2\r\nO;D;3\r\n\tT;a;b\r\n");
}

TEST_F(MalformedInput, ATenMegabyteLine) {
    std::string line(10'000'000, 'x');
    for (size_t i = 0; i < line.size(); i += 97) {
        line[i] = ';';
    }
    dir.write("long.txt", line + "\r\n0;R\r\n");
    throughEverything(dir.path("long.txt"));
    dir.write("long.txt", "0;R\r\n1;O;" + line + ";1\r\n");
    throughEverything(dir.path("long.txt"));
}

TEST_F(MalformedInput, DeepNesting) {
    std::string database = "root\r\n";
    for (size_t level = 1; level <= 3000; ++level) {
        database.append(level, '\t').append("O;x;1\r\n");
    }
    dir.write("deep.db", database);
    loadAndRoundTrip(dir.path("deep.db"));
}

// A phone file nested a million levels deep converts to a database file of half a terabyte of
// TABs: the conversion must fail at once with the disk-full error, leaving nothing behind.
TEST_F(MalformedInput, AMillionLevelsOfPhoneDatabase) {
    {
        const int fd = ::open(dir.path("probe").c_str(), O_WRONLY | O_CREAT, 0600);
        const bool reserves = ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, 1) == 0;
        ::close(fd);
        fs::remove(dir.path("probe"));
        if (!reserves) {
            GTEST_SKIP() << "this file system reserves no space ahead";
        }
    }
    std::string source = "0;Root\r\n";
    for (int level = 1; level <= 1'000'000; ++level) {
        source.append(std::to_string(level)).append(";O;a;1\r\n");
    }
    dir.write("deep-phone.txt", source);
    dir.write("converted.db", "before");
    try {
        importing::convertPhoneDatabase(dir.path("deep-phone.txt"), dir.path("converted.db"));
        FAIL() << "converted half a terabyte";
    } catch (const Error& error) {
        EXPECT_EQ(error.message(), "Erreur E/S 112");
    }
    EXPECT_EQ(dir.read("converted.db"), "before");
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"converted.db", "deep-phone.txt"}));
}

}  // namespace
}  // namespace quorvia::workspace
