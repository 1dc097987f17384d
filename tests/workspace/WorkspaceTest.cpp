#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "platform/Error.h"
#include "support/FakePrompts.h"
#include "support/FaultyFileSystem.h"
#include "support/TempDir.h"
#include "support/TreeHelpers.h"
#include "support/Windows.h"
#include "workspace/LoadAhead.h"
#include "workspace/RecentDatabases.h"
#include "workspace/Workspace.h"

namespace quorvia::workspace {
namespace {

using testing::outline;
using Asked = std::vector<std::string>;

// A workspace started in a temporary start directory, as the window starts it.
class WorkspaceTest : public ::testing::Test {
protected:
    WorkspaceTest() : inside(dir.path()) {}

    void start() {
        workspace.start();
        workspace.loadCurrentDatabase();
    }
    std::string display() const { return outline(trees.display(), true); }
    std::string records() const { return outline(trees.records()); }
    // A change of the database that only the saved file shows.
    void renameRootRecord(const std::string& text) {
        model::PairedTrees::Step step(trees);
        const model::NodePair root = trees.pairOf(trees.display().nodeAt(0));
        trees.setPair(root, root.display->text(), root.display->iconIndex(), text);
    }
    template <typename Result>
    std::string errorOf(Result (Workspace::*command)()) {
        try {
            (workspace.*command)();
        } catch (const Error& error) {
            return error.message();
        }
        return "";
    }

    testing::TempDir dir;
    testing::ScopedCurrentDirectory inside;
    model::PairedTrees trees;
    testing::FakePrompts prompts;
    Workspace workspace{trees, prompts};
};

TEST_F(WorkspaceTest, FirstStartWritesTheSettingsAndTheCloseTheDatabase) {
    start();
    EXPECT_EQ(workspace.startDirectory(), dir.path());
    EXPECT_EQ(dir.read("Quorvia.ini"), dir.path() + "/Quorvia\r\n");
    EXPECT_EQ(display(), "Quorvia [1]\n");
    EXPECT_FALSE(dir.exists("Quorvia"));
    workspace.close();
    EXPECT_EQ(dir.read("Quorvia"), "Quorvia\r\n");
    EXPECT_TRUE(prompts.asked.empty());
}

TEST_F(WorkspaceTest, OnlyTheFirstLineOfTheSettingsCounts) {
    struct Case {
        std::string bytes;
        std::string path;
    };
    for (const Case& c :
         {Case{"/data/one.db\r\n/data/two.db\r\n", "/data/one.db"},
          Case{"/data/lf.db\n", "/data/lf.db"}, Case{"/data/end.db", "/data/end.db"},
          Case{"/da\rta/cr.db\r\n", "/data/cr.db"}, Case{"", ""}}) {
        dir.write("Quorvia.ini", c.bytes);
        workspace.start();
        EXPECT_EQ(workspace.currentDatabasePath(), c.path);
        EXPECT_EQ(dir.read("Quorvia.ini"), c.bytes) << "reading leaves the file alone";
    }
    dir.write("Quorvia.ini", "/data/one.db\r\n/data/two.db\r\n");
    workspace.start();
    workspace.writeSettings();
    EXPECT_EQ(dir.read("Quorvia.ini"), "/data/one.db\r\n");
}

TEST_F(WorkspaceTest, SettingsNamingAMissingFileShowItsNameAndCreateItOnSave) {
    dir.write("Quorvia.ini", dir.path("phone.db") + "\r\n");
    start();
    EXPECT_EQ(display(), "phone.db [1]\n");
    workspace.save();
    EXPECT_EQ(dir.read("phone.db"), "phone.db\r\n");
}

TEST_F(WorkspaceTest, AnEmptySettingsFileLeavesNoPathToSaveTo) {
    dir.write("Quorvia.ini", "");
    start();
    EXPECT_EQ(display(), " [1]\n");
    EXPECT_EQ(errorOf(&Workspace::save), "Impossible de créer le fichier ");
    EXPECT_EQ(errorOf(&Workspace::close), "Impossible de créer le fichier ");
    EXPECT_EQ(errorOf(&Workspace::close), "Impossible de créer le fichier ")
        << "a failed close can be repeated";
    EXPECT_EQ(dir.read("Quorvia.ini"), "") << "the settings are not written after a failed save";
}

TEST_F(WorkspaceTest, NewAndOpenSaveFirstThenLoadTheChosenFile) {
    start();
    dir.write("other.db", "Other\r\n\tO;A;2\r\n");
    renameRootRecord("Changed");
    prompts.saveAnswers.push_back(dir.path("other.db"));
    workspace.newDatabase();
    EXPECT_EQ(dir.read("Quorvia"), "Changed\r\n") << "the old database was saved";
    EXPECT_EQ(dir.read("other.db"), "Other\r\n\tO;A;2\r\n") << "New opens a file unchanged";
    EXPECT_EQ(display(), "other.db [1]\n\tA [2]\n");
    EXPECT_EQ(dir.read("Quorvia.ini"), dir.path("other.db") + "\r\n");

    prompts.openAnswers.push_back(dir.path("missing.db"));
    workspace.openDatabase();
    EXPECT_EQ(display(), "missing.db [1]\n");
    EXPECT_EQ(workspace.currentDatabasePath(), dir.path("missing.db"));
    EXPECT_EQ(dir.read("Quorvia.ini"), dir.path("missing.db") + "\r\n");
    EXPECT_FALSE(dir.exists("missing.db"));
    EXPECT_EQ(prompts.takeAsked(), (Asked{"save", "open"}));
}

TEST_F(WorkspaceTest, OpeningTheCurrentFileSavesItAndReadsItBack) {
    start();
    {
        model::PairedTrees::Step step(trees);
        trees.appendPair(trees.pairOf(trees.display().nodeAt(0)), "Added", 3, "O;Added;3");
    }
    prompts.openAnswers.push_back(dir.path("Quorvia"));
    workspace.openDatabase();
    EXPECT_EQ(display(), "Quorvia [1]\n\tAdded [3]\n");
}

TEST_F(WorkspaceTest, CancellingStillSavesTheCurrentDatabase) {
    start();
    for (auto command : {&Workspace::newDatabase, &Workspace::openDatabase, &Workspace::saveAs}) {
        ::unlink(dir.path("Quorvia").c_str());
        prompts.openAnswers.push_back(std::nullopt);
        prompts.saveAnswers.push_back(std::nullopt);
        (workspace.*command)();
        EXPECT_EQ(dir.read("Quorvia"), "Quorvia\r\n");
        EXPECT_EQ(workspace.currentDatabasePath(), dir.path("Quorvia"));
    }
}

TEST_F(WorkspaceTest, SaveAsWritesBothFilesAndKeepsTheTrees) {
    dir.write("Quorvia", "Root line\r\n\tO;A;1\r\n");
    start();
    prompts.saveAnswers.push_back(dir.path("copy.db"));
    workspace.saveAs();
    EXPECT_EQ(dir.read("Quorvia"), "Root line\r\n\tO;A;1\r\n");
    EXPECT_EQ(dir.read("copy.db"), "Root line\r\n\tO;A;1\r\n");
    EXPECT_EQ(display(), "Quorvia [1]\n\tA [1]\n") << "the display root keeps the old name";
    EXPECT_EQ(dir.read("Quorvia.ini"), dir.path("copy.db") + "\r\n");
}

TEST_F(WorkspaceTest, ANameWithALineBreakIsABadFileName) {
    dir.write("Quorvia", "Root\r\n\tO;A;1\r\n");
    start();
    const std::string settings = dir.read("Quorvia.ini");
    for (auto command : {&Workspace::newDatabase, &Workspace::openDatabase, &Workspace::saveAs,
                         &Workspace::importPhoneDatabase}) {
        for (const char* name : {"line\nbreak.db", "cr\r.db"}) {
            prompts.openAnswers.push_back(dir.path(name));
            prompts.saveAnswers.push_back(dir.path(name));
            EXPECT_EQ(errorOf(command), "Nom de fichier incorrect") << name;
            EXPECT_FALSE(dir.exists(name));
        }
    }
    EXPECT_EQ(dir.read("Quorvia.ini"), settings);
    EXPECT_EQ(workspace.currentDatabasePath(), dir.path("Quorvia"));
    EXPECT_EQ(display(), "Quorvia [1]\n\tA [1]\n");
}

TEST_F(WorkspaceTest, AStartDirectoryWithALineBreakOpensItsOwnDatabaseAtEveryStart) {
    const std::string folder = dir.path("start\nhere");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    testing::ScopedCurrentDirectory into(folder);
    for (const char* root : {"Quorvia\n", "Kept\n"}) {
        start();
        EXPECT_EQ(records(), root);
        renameRootRecord("Kept");
        workspace.close();
    }
    EXPECT_FALSE(dir.exists("start\nhere/Quorvia.ini")) << "its one line cannot name the file";
}

TEST_F(WorkspaceTest, AFailedSaveEndsTheCommandBeforeItsDialog) {
    start();
    ASSERT_EQ(::mkdir(dir.path("Quorvia").c_str(), 0755), 0);  // a folder cannot be replaced
    EXPECT_EQ(errorOf(&Workspace::openDatabase),
              "Impossible de créer le fichier " + dir.path("Quorvia"));
    EXPECT_TRUE(prompts.asked.empty());
}

TEST_F(WorkspaceTest, SettingsErrorsUseTheSystemMessages) {
    start();
    testing::FaultyFileSystem files;
    struct Case {
        int error;
        const char* message;
    };
    for (const Case& c :
         {Case{EACCES, "Accès au fichier refusé"}, Case{EROFS, "Accès au fichier refusé"},
          Case{EBUSY, "Erreur E/S 32"}, Case{ENOSPC, "Erreur E/S 112"}}) {
        files.failAt(testing::FileCall::Create, 1, c.error);
        EXPECT_EQ(errorOf(&Workspace::writeSettings), c.message);
    }
    files.failAt(testing::FileCall::OpenToRead, 1, EACCES);
    EXPECT_EQ(errorOf(&Workspace::readSettings), "Accès au fichier refusé");
}

TEST_F(WorkspaceTest, AStartDirectoryThatIsGoneIsABadFileName) {
    testing::TempDir other;
    std::string gone = other.path("gone");
    ASSERT_EQ(::mkdir(gone.c_str(), 0755), 0);
    testing::ScopedCurrentDirectory into(gone);
    workspace.start();
    ::unlink((gone + "/Quorvia.ini").c_str());
    ASSERT_EQ(::rmdir(gone.c_str()), 0);
    EXPECT_EQ(errorOf(&Workspace::writeSettings), "Nom de fichier incorrect");
}

TEST_F(WorkspaceTest, AFailedSettingsWriteRestoresThePreviousPath) {
    start();
    dir.write("chosen.db", "Chosen\r\n");
    testing::FaultyFileSystem files;
    for (auto command : {&Workspace::newDatabase, &Workspace::openDatabase, &Workspace::saveAs}) {
        prompts.openAnswers.push_back(dir.path("chosen.db"));
        prompts.saveAnswers.push_back(dir.path("chosen.db"));
        files.failAt(testing::FileCall::Create, 2, EACCES);  // the first is the save
        EXPECT_EQ(errorOf(command), "Accès au fichier refusé");
        EXPECT_EQ(workspace.currentDatabasePath(), dir.path("Quorvia"));
        workspace.close();
        EXPECT_EQ(dir.read("chosen.db"), "Chosen\r\n") << "nothing written over the chosen file";
        EXPECT_EQ(dir.read("Quorvia.ini"), dir.path("Quorvia") + "\r\n");
    }
}

TEST_F(WorkspaceTest, AFailedStartUpStillOpensTheDatabase) {
    dir.write("Quorvia", "Kept\r\n\tO;A;1\r\n");
    dir.write("Quorvia.ini", dir.path("Quorvia") + "\r\n");
    {
        testing::FaultyFileSystem files;
        files.failAt(testing::FileCall::OpenToRead, 1, EACCES);
        EXPECT_EQ(errorOf(&Workspace::start), "Accès au fichier refusé");
    }
    workspace.loadCurrentDatabase();
    EXPECT_EQ(display(), "Quorvia [1]\n\tA [1]\n");
    workspace.close();
    EXPECT_EQ(dir.read("Quorvia"), "Kept\r\n\tO;A;1\r\n");
}

TEST_F(WorkspaceTest, AFileThatFailsToLoadIsNamedAndProtected) {
    const std::string malformed = "root\r\n\t\t\tO;deep;1\r\n";
    dir.write("Quorvia", malformed);
    start();
    EXPECT_EQ(prompts.takeAsked(),
              Asked{"warn: Niveau incorrect (3) pour l'élément \"O;deep;1\""});
    EXPECT_TRUE(workspace.isProtected());
    EXPECT_EQ(display(), "Quorvia [1]\n");

    workspace.close();
    prompts.saveAnswers.push_back(std::nullopt);
    workspace.newDatabase();
    prompts.saveAnswers.push_back(dir.path("elsewhere.db"));
    workspace.saveAs();
    EXPECT_EQ(dir.read("Quorvia"), malformed) << "no save of the program's own replaced it";
    EXPECT_EQ(dir.read("elsewhere.db"), "Quorvia\r\n");

    prompts.openAnswers.push_back(dir.path("Quorvia"));
    workspace.openDatabase();
    EXPECT_TRUE(workspace.isProtected()) << "loaded again, so protected again";
    {
        model::PairedTrees::Step step(trees);
        trees.appendPair(trees.pairOf(trees.display().nodeAt(0)), "New", 1, "O;New;1");
    }
    EXPECT_FALSE(workspace.isProtected()) << "a change to the database ends the protection";
    workspace.close();
    EXPECT_EQ(dir.read("Quorvia"), "Quorvia\r\n\tO;New;1\r\n");
}

TEST_F(WorkspaceTest, TheStartTakesWhatWasReadAheadOnlyOfTheFileAsItIsThen) {
    dir.write("Quorvia", "Quorvia\r\n\tO;A;1\r\n\tshort\r\n");
    {
        // Taken: the load ends as a load of its own would, the short record raised.
        LoadAhead ahead(databasePathAtStart(std::nullopt));
        workspace.useLoadAhead(&ahead);
        workspace.start();
        EXPECT_EQ(errorOf(&Workspace::loadCurrentDatabase), "Indice de liste hors limites (1)");
        EXPECT_EQ(records(), "Quorvia\n\tO;A;1\n\tshort\n");
    }
    // Read, then changed by another program before the window opened it: loaded again.
    LoadAhead ahead(dir.path("Quorvia"));
    model::PairedTrees other;
    std::optional<Error> failure;
    EXPECT_FALSE(ahead.takeInto(other, dir.path("other"), std::nullopt, failure));
    dir.write("Quorvia", "Quorvia\r\n\tO;Newer;1\r\n");
    workspace.useLoadAhead(&ahead);
    workspace.loadCurrentDatabase();
    EXPECT_EQ(records(), "Quorvia\n\tO;Newer;1\n");
    EXPECT_EQ(outline(other.records()), "") << "a refused take changes nothing";

    // A read that failed on the second thread is the window's failure, and protects the file.
    testing::FaultyFileSystem files;
    files.failAt(testing::FileCall::OpenToRead, 1, EACCES);
    LoadAhead refused(dir.path("Quorvia"));
    (void)refused.takeInto(other, dir.path("other"), std::nullopt, failure);  // waits for it
    prompts.takeAsked();
    workspace.useLoadAhead(&refused);
    workspace.loadCurrentDatabase();
    EXPECT_EQ(prompts.takeAsked(),
              Asked{"warn: Impossible d'ouvrir le fichier " + dir.path("Quorvia")});
    EXPECT_TRUE(workspace.isProtected());
    EXPECT_EQ(records(), "Quorvia\n");
}

TEST_F(WorkspaceTest, AnExplicitSaveWritesAProtectedFile) {
    dir.write("Quorvia", "x\r\n\t\tdeep\r\n");
    start();
    workspace.save();
    EXPECT_EQ(dir.read("Quorvia"), "Quorvia\r\n");
    EXPECT_FALSE(workspace.isProtected());
}

TEST_F(WorkspaceTest, AdoptingAConvertedDatabaseDoesNotSaveTheOldOne) {
    start();
    dir.write("converted.db", "Phone book\r\n\tO;A;1\r\n");
    renameRootRecord("unsaved");
    workspace.adoptDatabase(dir.path("converted.db"));
    EXPECT_FALSE(dir.exists("Quorvia"));
    EXPECT_EQ(display(), "converted.db [1]\n\tA [1]\n");
    EXPECT_EQ(dir.read("Quorvia.ini"), dir.path("converted.db") + "\r\n");
}

using testing::Window;

class GuardedFileTest : public WorkspaceTest {
protected:
    std::string quoted(const std::string& name = "Quorvia") const {
        return "\"" + dir.path(name) + "\"";
    }
    std::vector<std::string> recoveryFiles() const {
        std::vector<std::string> files;
        const std::string folder = state.path() + "/quorvia";
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            if (entry.path().extension() == ".recovery") {
                files.push_back(entry.path().string());
            }
        }
        return files;
    }
    static std::string heldQuestion(const std::string& quotedPath) {
        return "confirm, No by default: " + quotedPath +
               " is open in another Quorvia window. Save over it?";
    }
    // True when `asked` holds a question or warning that starts with `start` and holds `part`.
    static bool wasAsked(const Asked& asked, const std::string& start, const std::string& part) {
        return std::any_of(asked.begin(), asked.end(), [&](const std::string& question) {
            return question.rfind(start, 0) == 0 && question.find(part) != std::string::npos;
        });
    }

    testing::TempDir state;
    testing::ScopedEnvironmentVariable stateHome{"XDG_STATE_HOME", state.path()};
    testing::Processes processes;
};

TEST_F(GuardedFileTest, UnsavedChangesOutliveACrashAndAreOfferedOnce) {
    dir.write("Quorvia", "Quorvia\r\n\tO;Gone;1\r\n\tO;Kept;1\r\n");
    long long process = 100;
    const auto crash = [&](const std::string& removed) {
        Window crashed(processes, ++process);
        crashed.remove(removed);
        crashed.kill();
    };
    crash("Gone");
    struct stat info {};
    ASSERT_EQ(::stat((state.path() + "/quorvia").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    ASSERT_EQ(recoveryFiles().size(), 1u);
    ASSERT_EQ(::stat(recoveryFiles()[0].c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    {
        Window recovered(processes, ++process, {true});
        const std::string asked = recovered.prompts.takeAsked().at(0);
        EXPECT_EQ(asked.rfind("confirm: Quorvia ended on 20", 0), 0u) << asked;
        EXPECT_NE(asked.find(" without saving the changes to " + quoted() + ". Recover them?"),
                  std::string::npos)
            << asked;
        EXPECT_EQ(recovered.records(), "Quorvia\n\tO;Kept;1\n");
        EXPECT_TRUE(recovered.workspace.hasUnsavedChanges());
        EXPECT_TRUE(recovered.workspace.close());
    }
    EXPECT_EQ(dir.read("Quorvia"), "Quorvia\r\n\tO;Kept;1\r\n");
    EXPECT_TRUE(recoveryFiles().empty()) << "a write of the file removes the data";
    crash("Kept");
    EXPECT_EQ(Window(processes, ++process, {false}).records(), "Quorvia\n\tO;Kept;1\n");
    EXPECT_TRUE(recoveryFiles().empty()) << "No deletes the data";
    EXPECT_TRUE(Window(processes, ++process).prompts.asked.empty());
}

TEST_F(GuardedFileTest, AFileChangedByAnotherProgramIsWrittenOverOnlyWhenTheUserSaysSo) {
    start();
    renameRootRecord("Mine");
    workspace.save();
    renameRootRecord("Mine again");
    workspace.close();
    EXPECT_TRUE(prompts.takeAsked().empty()) << "a file the program wrote itself never asks";
    testing::writeBytes(dir.path("Quorvia"), "Theirs\r\n");
    renameRootRecord("Unsaved");
    prompts.confirmAnswers = {false};
    workspace.close();
    EXPECT_EQ(dir.read("Quorvia"), "Theirs\r\n");
    const Asked asked = prompts.takeAsked();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0],
              "confirm, No by default: " + quoted() +
                  " was changed by another program after Quorvia read it. Save over it?");
    EXPECT_EQ(asked[1].rfind("warn: The changes to " + quoted() +
                                 " are not saved. They are kept "
                                 "in \"" +
                                 state.path() + "/quorvia/",
                             0),
              0u)
        << asked[1];
    Window next(processes, 101, {true});
    EXPECT_TRUE(wasAsked(next.prompts.asked, "confirm: Quorvia ended on ",
                         quoted() + " was changed after these changes were made. Recover them?"));
    EXPECT_EQ(next.records(), "Unsaved\n") << "the refused changes were kept";
    next.prompts.confirmAnswers = {true};
    next.workspace.save();
    EXPECT_EQ(next.prompts.asked.back(),
              "confirm, No by default: " + quoted() +
                  " was changed by another program after Quorvia read it. Save over it?")
        << "recovered over a newer file, the next write asks";
    EXPECT_EQ(dir.read("Quorvia"), "Unsaved\r\n");
}

TEST_F(GuardedFileTest, ASecondWindowKeepsItsChangesAndWritesTheFileOnlyWhenAsked) {
    Window first(processes, 101);
    Window second(processes, 202, {false, false});
    EXPECT_EQ(second.prompts.takeAsked(),
              Asked{"warn: " + quoted() +
                    " is open in another Quorvia window (process 101). This window will not "
                    "save it."});
    {
        model::PairedTrees::Step step(second.trees);
        second.trees.appendPair(second.trees.pairOf(second.trees.display().nodeAt(0)), "B", 1,
                                "B");
    }
    second.keepRecoveryData();
    second.prompts.saveAnswers = {std::nullopt};
    second.workspace.saveAs();
    second.workspace.save();
    EXPECT_TRUE(second.workspace.close());
    EXPECT_FALSE(dir.exists("Quorvia"));
    const Asked asked = second.prompts.takeAsked();
    ASSERT_EQ(asked.size(), 4u);
    EXPECT_EQ(asked[0], "save");
    EXPECT_EQ(asked[1], heldQuestion(quoted()));
    EXPECT_EQ(asked[2], heldQuestion(quoted())) << "the close asks before it drops changes";
    EXPECT_EQ(asked[3].rfind("warn: The changes to " + quoted() + " are not saved.", 0), 0u);
    EXPECT_EQ(recoveryFiles().size(), 1u) << "the second window's changes are kept";
    second.prompts.saveAnswers = {dir.path("mine.db")};
    second.workspace.saveAs();
    EXPECT_EQ(dir.read("mine.db"), "Quorvia\r\n\tB\r\n");
    EXPECT_FALSE(second.workspace.isHeldElsewhere());
    first.workspace.close();
    EXPECT_EQ(dir.read("Quorvia"), "Quorvia\r\n");
}

TEST_F(GuardedFileTest, SaveAsOverAFileAnotherWindowHoldsLosesNothing) {
    dir.write("f1", "F1\r\n\tO;One;1\r\n");
    dir.write("f2", "F2\r\n\tO;Two;1\r\n\tO;Three;1\r\n");
    Window first(processes, 101, {}, dir.path("f1"));
    Window second(processes, 202, {false, true, false}, dir.path("f2"));
    second.remove("Two");
    second.prompts.saveAnswers = {dir.path("f1"), dir.path("f1")};
    second.workspace.saveAs();
    EXPECT_EQ(second.workspace.currentDatabasePath(), dir.path("f2")) << "No changes nothing";
    EXPECT_EQ(dir.read("Quorvia.ini"), dir.path("f2") + "\r\n");
    EXPECT_EQ(dir.read("f1"), "F1\r\n\tO;One;1\r\n");
    second.workspace.saveAs();
    EXPECT_EQ(dir.read("f1"), "F2\r\n\tO;Three;1\r\n");
    EXPECT_TRUE(second.workspace.isHeldElsewhere()) << "Yes makes it a second window";
    second.remove("Three");
    EXPECT_TRUE(second.workspace.close());
    const Asked asked = second.prompts.takeAsked();
    EXPECT_EQ(std::count(asked.begin(), asked.end(), heldQuestion(quoted("f1"))), 3);
    EXPECT_TRUE(wasAsked(asked, "warn: " + quoted("f1") + " is open in another Quorvia", ""));
    EXPECT_EQ(asked.back().rfind("warn: The changes to " + quoted("f1") + " are not saved", 0),
              0u);
    first.kill();
    EXPECT_EQ(Window(processes, 303, {true}, dir.path("f1")).records(), "F2\n");
}

TEST_F(GuardedFileTest, ASaveOffersWhatACrashedWindowLeftAndSetsItsOwnChangesAside) {
    dir.write("Quorvia", "Quorvia\r\n\tO;Ann;1\r\n\tO;Notes;1\r\n");
    Window first(processes, 101);
    Window second(processes, 202, {true});
    first.remove("Ann");
    first.kill();
    second.remove("Notes");
    second.keepRecoveryData();
    second.workspace.save();
    EXPECT_EQ(dir.read("Quorvia"), "Quorvia\r\n\tO;Ann;1\r\n\tO;Notes;1\r\n");
    EXPECT_EQ(second.records(), "Quorvia\n\tO;Notes;1\n");
    EXPECT_TRUE(wasAsked(second.prompts.asked, "confirm: Quorvia ended on ",
                         " The changes this window has not saved are kept in "));
    second.workspace.save();
    EXPECT_EQ(dir.read("Quorvia"), "Quorvia\r\n\tO;Notes;1\r\n");
    second.kill();
    Window third(processes, 303, {true});
    EXPECT_TRUE(wasAsked(third.prompts.asked, "confirm: Quorvia ended on ",
                         " was changed after these changes were made."));
    EXPECT_EQ(third.records(), "Quorvia\n\tO;Ann;1\n");
}

TEST_F(GuardedFileTest, AShortRecordStillOffersTheRecovery) {
    dir.write("Quorvia", "Quorvia\r\n\tO;A;1\r\n\tshort\r\n");
    {
        Window crashed(processes, 101);
        crashed.remove("A");
        crashed.kill();
    }
    Window next(processes, 202, {true});
    ASSERT_EQ(next.prompts.asked.size(), 2u);
    EXPECT_EQ(next.prompts.asked[0].rfind("confirm: Quorvia ended on ", 0), 0u);
    EXPECT_EQ(next.prompts.asked[1].rfind("error: Indice de liste hors limites", 0), 0u);
    EXPECT_EQ(next.records(), "Quorvia\n\tshort\n");
}

TEST_F(GuardedFileTest, AStateFolderThatCannotBeMadeIsToldOnce) {
    testing::writeBytes(state.path() + "/quorvia", "a file in the folder's place");
    Window window(processes, 101);
    window.remove("Quorvia");
    window.keepRecoveryData();
    EXPECT_EQ(window.prompts.asked,
              Asked{"warn: Quorvia cannot keep recovery data and locks in \"" + state.path() +
                    "/quorvia\" (Not a directory). Until that folder works, your changes are "
                    "not protected against a crash or another Quorvia window."});
}

TEST_F(GuardedFileTest, EveryNameOfOneFileIsThatFile) {
    dir.write("db", "db\r\n");
    ASSERT_EQ(::symlink("db", dir.path("link").c_str()), 0);
    ASSERT_EQ(::mkdir(dir.path("sub").c_str(), 0755), 0);
    ASSERT_EQ(::link(dir.path("db").c_str(), dir.path("hard").c_str()), 0);
    Window first(processes, 101, {}, dir.path("db"));
    Window linked(processes, 202, {false}, dir.path("sub/../link"));
    Window hard(processes, 303, {}, dir.path("hard"));
    for (const Window* other : {&linked, &hard}) {
        EXPECT_TRUE(other->workspace.isHeldElsewhere());
    }
    {
        model::PairedTrees::Step step(linked.trees);
        linked.trees.appendPair(linked.trees.pairOf(linked.trees.display().nodeAt(0)), "B", 1,
                                "B");
    }
    EXPECT_TRUE(linked.workspace.close());
    EXPECT_TRUE(wasAsked(linked.prompts.asked, heldQuestion(quoted("sub/../link")), ""));
    EXPECT_EQ(dir.read("db"), "db\r\n");
    // A file made only by the first save is met by both windows before and after it.
    Window maker(processes, 404, {}, dir.path("new.db"));
    EXPECT_TRUE(Window(processes, 505, {}, dir.path("new.db")).workspace.isHeldElsewhere());
    maker.workspace.save();
    ASSERT_EQ(::link(dir.path("new.db").c_str(), dir.path("new-hard").c_str()), 0);
    EXPECT_TRUE(Window(processes, 606, {}, dir.path("new-hard")).workspace.isHeldElsewhere());
}

TEST_F(GuardedFileTest, TheRecentListHoldsTheLastEightDatabasesNewestFirstAndNeverComplains) {
    const std::string list = state.path() + "/quorvia/recent";
    EXPECT_TRUE(readRecentDatabases().empty()) << "missing";
    start();
    prompts.openAnswers = {dir.path("a.db")};
    workspace.openDatabase();
    prompts.saveAnswers = {dir.path("b.db")};
    workspace.saveAs();
    workspace.openDatabase(dir.path("Quorvia"));  // as an entry of the list opens it
    EXPECT_EQ(prompts.takeAsked(), (Asked{"open", "save"}));
    EXPECT_EQ(testing::readBytes(list),
              dir.path("Quorvia") + "\n" + dir.path("b.db") + "\n" + dir.path("a.db") + "\n");

    // Paths are bytes, in any encoding; a ninth pushes the oldest out.
    std::vector<std::string> noted;
    for (char i = '1'; i <= '9'; ++i) {
        noted.insert(noted.begin(), std::string("/caf\xE9/") + i);
        noteRecentDatabase(noted.front());
    }
    noted.pop_back();
    EXPECT_EQ(readRecentDatabases(), noted);

    for (const std::string& malformed : {std::string("relative\n"), std::string("/a\n\n"),
                                         std::string("/a"), std::string(70'000, '/') + "\n"}) {
        testing::writeBytes(list, malformed);
        EXPECT_TRUE(readRecentDatabases().empty()) << malformed.substr(0, 10);
    }
    noteRecentDatabase("/c.db");
    EXPECT_EQ(testing::readBytes(list), "/c.db\n");
    testing::FaultyFileSystem files;
    files.failAt(testing::FileCall::Write, 1, ENOSPC);
    noteRecentDatabase("/d.db");
    EXPECT_EQ(testing::readBytes(list), "/c.db\n") << "a failed write keeps the list";
    clearRecentDatabases();
    EXPECT_EQ(testing::readBytes(list), "");
    EXPECT_TRUE(prompts.asked.empty());
}

}  // namespace
}  // namespace quorvia::workspace
