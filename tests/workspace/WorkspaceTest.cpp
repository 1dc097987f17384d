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
        const model::NodePair root = trees.pairOf(trees.display().nodeAt(0));
        trees.setPair(root, root.display->text(), root.display->iconIndex(), text);
    }
    std::string errorOf(void (Workspace::*command)()) {
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
    trees.appendPair(trees.pairOf(trees.display().nodeAt(0)), "Added", 3, "O;Added;3");
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
    trees.appendPair(trees.pairOf(trees.display().nodeAt(0)), "New", 1, "O;New;1");
    EXPECT_FALSE(workspace.isProtected()) << "a change to the database ends the protection";
    workspace.close();
    EXPECT_EQ(dir.read("Quorvia"), "Quorvia\r\n\tO;New;1\r\n");
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

// Lock files as processes share them: a path one fake process holds is refused to another.
struct FakeLock final : platform::DatabaseLock {
    FakeLock(std::map<std::string, long long>& held, long long process)
        : held(held), process(process) {}
    bool take(const std::string& path, long long& holder) override {
        holder = held.emplace(path, process).first->second;
        return holder == process;
    }
    void release() override {}

    std::map<std::string, long long>& held;
    long long process;
};

// Another window on the start directory's database, started after `answers` are scripted.
struct Window {
    explicit Window(std::deque<bool> answers = {}, platform::DatabaseLock* lock = nullptr)
        : workspace(trees, prompts, lock) {
        prompts.confirmAnswers = std::move(answers);
        workspace.start();
        workspace.loadCurrentDatabase();
    }
    void removeFirstChild() { trees.removePair(trees.pairOf(trees.display().nodeAt(1))); }
    void waitForRecoveryData() {
        workspace.keepRecoveryData();
        while (workspace.isKeepingRecoveryData()) {
            ::usleep(1000);
        }
    }

    model::PairedTrees trees;
    testing::FakePrompts prompts;
    Workspace workspace;
};

class GuardedFileTest : public WorkspaceTest {
protected:
    std::string quoted() const { return "\"" + dir.path("Quorvia") + "\""; }
    bool keepsRecoveryData() const {
        const std::string folder = state.path() + "/quorvia";
        const auto isData = [](const auto& entry) { return entry.path().filename() != "recent"; };
        return std::filesystem::exists(folder) &&
               std::any_of(std::filesystem::begin(std::filesystem::directory_iterator(folder)),
                           std::filesystem::end(std::filesystem::directory_iterator()), isData);
    }

    testing::TempDir state;
    testing::ScopedEnvironmentVariable stateHome{"XDG_STATE_HOME", state.path()};
};

TEST_F(GuardedFileTest, UnsavedChangesOutliveACrashAndAreOfferedOnce) {
    dir.write("Quorvia", "Quorvia\r\n\tO;Gone;1\r\n\tO;Kept;1\r\n");
    const auto crash = [] {
        Window crashed;
        crashed.removeFirstChild();
        crashed.waitForRecoveryData();
    };
    crash();
    struct stat folder {};
    ASSERT_EQ(::stat((state.path() + "/quorvia").c_str(), &folder), 0);
    EXPECT_EQ(folder.st_mode & 0777, 0700u);
    {
        Window recovered({true});
        const std::string asked = recovered.prompts.takeAsked().at(0);
        EXPECT_EQ(asked.rfind("confirm: Quorvia ended on 20", 0), 0u) << asked;
        EXPECT_NE(asked.find(" without saving the changes to " + quoted() + ". Recover them?"),
                  std::string::npos)
            << asked;
        EXPECT_EQ(outline(recovered.trees.records()), "Quorvia\n\tO;Kept;1\n");
        EXPECT_TRUE(recovered.workspace.hasUnsavedChanges());
        recovered.workspace.close();
    }
    EXPECT_EQ(dir.read("Quorvia"), "Quorvia\r\n\tO;Kept;1\r\n");
    EXPECT_FALSE(keepsRecoveryData()) << "a write of the file removes the data";
    crash();
    EXPECT_EQ(outline(Window({false}).trees.records()), "Quorvia\n\tO;Kept;1\n");
    EXPECT_FALSE(keepsRecoveryData()) << "No deletes the data";
    EXPECT_TRUE(Window().prompts.asked.empty());
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
    EXPECT_EQ(prompts.takeAsked(),
              Asked{"confirm: " + quoted() +
                    " was changed by another program after Quorvia read it. Save over it?"});
    Window next({true});
    EXPECT_EQ(outline(next.trees.records()), "Unsaved\n") << "the refused changes were kept";
    next.workspace.save();
    EXPECT_EQ(dir.read("Quorvia"), "Unsaved\r\n");
}

TEST_F(GuardedFileTest, ASecondWindowOnTheFileWritesItOnlyWhenAsked) {
    std::map<std::string, long long> held;
    FakeLock firstLock(held, 101);
    FakeLock secondLock(held, 202);
    Window first({}, &firstLock);
    Window second({}, &secondLock);
    EXPECT_EQ(second.prompts.takeAsked(),
              Asked{"warn: " + quoted() +
                    " is open in another Quorvia window (process 101). This window will not "
                    "save it."});
    second.trees.appendPair(second.trees.pairOf(second.trees.display().nodeAt(0)), "B", 1, "B");
    second.waitForRecoveryData();
    second.prompts.saveAnswers = {std::nullopt};
    second.workspace.saveAs();
    second.workspace.close();
    second.prompts.confirmAnswers = {false};
    second.workspace.save();
    EXPECT_FALSE(dir.exists("Quorvia"));
    EXPECT_FALSE(keepsRecoveryData());
    EXPECT_EQ(second.prompts.takeAsked(),
              (Asked{"save", "confirm: " + quoted() +
                                 " is open in another Quorvia window. Save over it?"}));
    second.prompts.saveAnswers = {dir.path("mine.db")};
    second.workspace.saveAs();
    EXPECT_EQ(dir.read("mine.db"), "Quorvia\r\n\tB\r\n");
    EXPECT_FALSE(second.workspace.isHeldElsewhere());
    first.workspace.close();
    EXPECT_EQ(dir.read("Quorvia"), "Quorvia\r\n");
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
