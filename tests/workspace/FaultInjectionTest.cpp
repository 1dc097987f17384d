// Every write the program makes on the user's behalf, failed at every point it can fail: at
// create, at space reservation, at each write, at flush, at close and at rename. Each time the
// user is told, no file is left half written, no temporary file is left, both trees are as they
// were and still paired, and the next command works.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>

#include "export/InstallPackage.h"
#include "export/PhoneExport.h"
#include "model/DatabaseFile.h"
#include "support/FakePrompts.h"
#include "support/FaultyFileSystem.h"
#include "support/TempDir.h"
#include "support/TreeHelpers.h"
#include "support/Windows.h"
#include "workspace/Workspace.h"

namespace quorvia::workspace {
namespace {

using testing::FileCall;

const std::string kOldDatabase = "Quorvia\r\n\tO;Old;1\r\n";
const std::string kNewDatabase = "Quorvia\r\n\tO;Old;1\r\n\tO;Added;2\r\n";
const std::string kPhoneFile = "1;O;Old;1\r\n1;O;Added;2\r\n";

// One start of the program in a fresh start directory, with an unsaved change.
struct Session {
    Session() : inside(dir.path()) {
        dir.write("Quorvia", kOldDatabase);
        dir.write("Quorvia.ini", dir.path("Quorvia") + "\r\n");
        dir.write("other.db", "Other\r\n");
        dir.write("phone.txt", "old phone file");
        dir.write("phone.sis", "old package");
        dir.write("qv.pkg", "old script");
        dir.write("source.txt", "0;Phone book\r\n1;O;A;1\r\n");
        dir.write("book.db", "old book");
        std::filesystem::create_directory(dir.path("bin"));
        workspace.start();
        workspace.loadCurrentDatabase();
        model::PairedTrees::Step step(trees);
        trees.appendPair(trees.pairOf(trees.display().nodeAt(0)), "Added", 2, "O;Added;2");
    }
    std::string bothTrees() const {
        return testing::outline(trees.display(), true) + testing::outline(trees.records());
    }

    testing::TempDir dir;
    testing::ScopedCurrentDirectory inside;
    // Only the built-in package builder: no outside one is found.
    testing::ScopedEnvironmentVariable path{"PATH", dir.path("bin")};
    model::PairedTrees trees;
    testing::FakePrompts prompts;
    Workspace workspace{trees, prompts};
};

struct Scenario {
    const char* name;
    std::function<void(Session&)> command;
    // The contents each file may have afterwards: as before or as written; nullopt: absent.
    std::function<std::map<std::string, std::set<std::optional<std::string>>>(Session&)> allowed;
};

using Contents = std::set<std::optional<std::string>>;

void PrintTo(const Scenario& scenario, std::ostream* out) {
    *out << scenario.name;
}

std::vector<Scenario> scenarios() {
    return {
        {"Save", [](Session& s) { s.workspace.save(); },
         [](Session&) {
             return std::map<std::string, Contents>{{"Quorvia", {kOldDatabase, kNewDatabase}}};
         }},
        {"Save as",
         [](Session& s) {
             s.prompts.saveAnswers.push_back(s.dir.path("other.db"));
             s.workspace.saveAs();
         },
         [](Session& s) {
             return std::map<std::string, Contents>{
                 {"Quorvia", {kOldDatabase, kNewDatabase}},
                 {"other.db", {"Other\r\n", kNewDatabase}},
                 {"Quorvia.ini",
                  {s.dir.path("Quorvia") + "\r\n", s.dir.path("other.db") + "\r\n"}}};
         }},
        {"New",
         [](Session& s) {
             s.prompts.saveAnswers.push_back(s.dir.path("other.db"));
             s.workspace.newDatabase();
         },
         [](Session& s) {
             return std::map<std::string, Contents>{
                 {"Quorvia", {kOldDatabase, kNewDatabase}},
                 {"other.db", {"Other\r\n"}},
                 {"Quorvia.ini",
                  {s.dir.path("Quorvia") + "\r\n", s.dir.path("other.db") + "\r\n"}}};
         }},
        {"Open",
         [](Session& s) {
             s.prompts.openAnswers.push_back(s.dir.path("other.db"));
             s.workspace.openDatabase();
         },
         [](Session& s) {
             return std::map<std::string, Contents>{
                 {"Quorvia", {kOldDatabase, kNewDatabase}},
                 {"Quorvia.ini",
                  {s.dir.path("Quorvia") + "\r\n", s.dir.path("other.db") + "\r\n"}}};
         }},
        {"Close", [](Session& s) { s.workspace.close(); },
         [](Session& s) {
             return std::map<std::string, Contents>{
                 {"Quorvia", {kOldDatabase, kNewDatabase}},
                 {"Quorvia.ini", {s.dir.path("Quorvia") + "\r\n"}}};
         }},
        {"Settings at start-up",
         [](Session& s) {
             std::filesystem::remove(s.dir.path("Quorvia.ini"));
             s.workspace.start();
         },
         [](Session& s) {
             return std::map<std::string, Contents>{
                 {"Quorvia.ini", {std::nullopt, s.dir.path("Quorvia") + "\r\n"}}};
         }},
        {"Export",
         [](Session& s) {
             s.prompts.saveAnswers.push_back(s.dir.path("phone.txt"));
             exporting::exportPhoneDatabase(s.trees.records(), s.prompts);
         },
         [](Session& s) {
             return std::map<std::string, Contents>{
                 {"phone.txt", {"old phone file", kPhoneFile, std::nullopt}},
                 {"qv.pkg",
                  {"old script", exporting::packageScript(s.dir.path("phone.txt")), std::nullopt}},
                 {"phone.sis",
                  {"old package", std::nullopt,
                   exporting::buildInstallPackage("phone.txt", kPhoneFile)}}};
         }},
        {"Phone import",
         [](Session& s) {
             s.prompts.openAnswers.push_back(s.dir.path("source.txt"));
             s.prompts.saveAnswers.push_back(s.dir.path("book.db"));
             s.workspace.importPhoneDatabase();
         },
         [](Session& s) {
             return std::map<std::string, Contents>{
                 {"book.db", {"old book", "Phone book\r\n\tO;A;1\r\n"}},
                 {"Quorvia.ini",
                  {s.dir.path("Quorvia") + "\r\n", s.dir.path("book.db") + "\r\n"}}};
         }},
    };
}

class FaultInjection : public ::testing::TestWithParam<Scenario> {};

TEST_P(FaultInjection, EveryFailurePointKeepsEverythingSound) {
    const Scenario& scenario = GetParam();
    // Only the user's files here: the recovery data that a command keeps on its way, and the
    // recent list, which never complains, are failed on their own below.
    const testing::ScopedEnvironmentVariable noStateFolder("XDG_STATE_HOME", "/dev/null/state");
    // A clean run counts the calls that can fail.
    std::map<FileCall, int> calls;
    {
        Session session;
        testing::FaultyFileSystem files;
        files.failAt(FileCall::Count, 0);
        scenario.command(session);
        for (FileCall call : {FileCall::Create, FileCall::Allocate, FileCall::Write,
                              FileCall::Sync, FileCall::Close, FileCall::Rename}) {
            calls[call] = files.calls(call);
        }
    }
    int points = 0;
    for (const auto& [call, count] : calls) {
        for (int nth = 1; nth <= count; ++nth) {
            Session session;
            const std::string before = session.bothTrees();
            const std::set<std::string> filesBefore = [&] {
                auto names = session.dir.entries();
                return std::set<std::string>(names.begin(), names.end());
            }();
            std::string shown;
            {
                testing::FaultyFileSystem files;
                files.failAt(call, nth, ENOSPC);
                try {
                    scenario.command(session);
                } catch (const Error& error) {
                    shown = error.message();
                }
                if (!files.fired()) {
                    continue;  // an earlier failure ended the command before this call
                }
            }
            ++points;
            const std::string where = std::string(scenario.name) + ", call " +
                                      std::to_string(static_cast<int>(call)) + " #" +
                                      std::to_string(nth);
            EXPECT_TRUE(shown == "Erreur E/S 112" ||
                        shown.rfind("Impossible de créer le fichier ", 0) == 0)
                << where << ": shown \"" << shown << "\"";
            for (const auto& [name, allowed] : scenario.allowed(session)) {
                const std::optional<std::string> now =
                    session.dir.exists(name) ? std::optional<std::string>(session.dir.read(name))
                                             : std::nullopt;
                EXPECT_TRUE(allowed.count(now) == 1)
                    << where << ": " << name << " holds \"" << now.value_or("(none)") << "\"";
            }
            for (const std::string& name : session.dir.entries()) {
                EXPECT_TRUE(filesBefore.count(name) == 1) << where << ": left " << name;
            }
            EXPECT_EQ(session.bothTrees(), before) << where;
            EXPECT_TRUE(testing::arePaired(session.trees)) << where;
            EXPECT_EQ(session.trees.display().updateDepth(), 0) << where;

            // The next command works.
            session.workspace.save();
            EXPECT_EQ(testing::readBytes(session.workspace.currentDatabasePath()),
                      model::formatDatabase(session.trees.records()))
                << where;
        }
    }
    EXPECT_GT(points, 0);
    std::cout << scenario.name << ": " << points << " failure points\n";
}

// Memory that runs out while the database is read: whichever read it hits, the user is warned,
// both trees hold a lone root and no save of the program's own writes over the file.
TEST(LoadFaults, MemoryRunningOutProtectsTheFile) {
    const testing::ScopedEnvironmentVariable noStateFolder("XDG_STATE_HOME", "/dev/null/state");
    int points = 0;
    for (const FileCall call : {FileCall::OpenToRead, FileCall::Read}) {
        for (int nth = 1;; ++nth) {
            Session session;
            session.prompts.takeAsked();
            {
                testing::FaultyFileSystem files;
                files.runOutOfMemoryAt(call, nth);
                session.workspace.loadCurrentDatabase();
                if (!files.fired()) {
                    break;
                }
            }
            ++points;
            EXPECT_EQ(session.prompts.takeAsked(),
                      std::vector<std::string>{"warn: Mémoire insuffisante"});
            EXPECT_TRUE(session.workspace.isProtected());
            EXPECT_EQ(session.bothTrees(), "Quorvia [1]\nQuorvia\n");
            session.workspace.close();
            EXPECT_EQ(session.dir.read("Quorvia"), kOldDatabase);
        }
    }
    EXPECT_GT(points, 0);
}

// The recovery data is written by a child process through the same seam: a failure at any of
// its calls leaves the data kept before whole and no temporary file, and the next change is
// written.
TEST(RecoveryFaults, AFailedWriteKeepsThePreviousData) {
    for (const FileCall call :
         {FileCall::MakeFolder, FileCall::Create, FileCall::Allocate, FileCall::Write,
          FileCall::Sync, FileCall::Close, FileCall::Rename}) {
        testing::TempDir state;
        const testing::ScopedEnvironmentVariable stateHome("XDG_STATE_HOME", state.path());
        Session session;
        session.workspace.keepRecoveryDataNow();
        const auto kept = [&] {
            std::vector<std::string> names;
            for (const auto& entry : std::filesystem::directory_iterator(state.path("quorvia"))) {
                if (entry.path().filename() != "recent") {
                    names.push_back(testing::readBytes(entry.path().string()));
                }
            }
            return names;
        };
        const auto root = session.trees.pairOf(session.trees.display().nodeAt(0));
        const auto change = [&](const char* record) {
            model::PairedTrees::Step step(session.trees);
            session.trees.setPair(root, "Quorvia", 1, record);
        };
        change("Changed");
        const auto tick = [&] {
            session.workspace.keepRecoveryData();
            while (session.workspace.isKeepingRecoveryData()) {
                ::usleep(1000);
            }
        };
        {
            testing::FaultyFileSystem files;
            files.failAt(call, 1, ENOSPC);
            tick();
        }
        const auto where = static_cast<int>(call);
        ASSERT_EQ(kept().size(), 1u) << where;
        EXPECT_NE(kept()[0].find("\n" + kNewDatabase), std::string::npos) << where;
        change("Changed again");
        tick();
        EXPECT_NE(kept()[0].find("\nChanged again\r\n\tO;Old;1\r\n"), std::string::npos) << where;
    }
}

// A disk too full for the data of a large database: told once, naming the folder and the
// error, and the data kept before says that it misses the later changes.
TEST(RecoveryFaults, AFullDiskIsToldOnceAndTheOlderDataSaysSo) {
    testing::TempDir dir;
    testing::TempDir state;
    const testing::ScopedEnvironmentVariable stateHome("XDG_STATE_HOME", state.path());
    const testing::ScopedCurrentDirectory inside(dir.path());
    dir.write("Quorvia", "Quorvia\r\n\tO;A;1\r\n\tO;B;1\r\n\tO;C;1\r\n");
    testing::Processes processes;
    {
        testing::Window window(processes, 101);
        window.remove("A");
        window.keepRecoveryData();
        testing::FaultyFileSystem files;
        files.failAt(FileCall::Allocate, 1, ENOSPC);  // each writer's first reservation
        for (const char* removed : {"B", "C"}) {
            window.remove(removed);
            window.keepRecoveryData();
        }
        EXPECT_EQ(window.prompts.takeAsked(),
                  std::vector<std::string>{
                      "warn: Quorvia cannot keep recovery data and locks in \"" + state.path() +
                      "/quorvia\" (No space left on device). Until that folder works, your "
                      "changes are not protected against a crash or another Quorvia window."});
        window.kill();
    }
    testing::Window next(processes, 202, {true});
    const std::string question = next.prompts.asked.at(0);
    EXPECT_NE(question.find(". They are older than the last change, made on 20"),
              std::string::npos)
        << question;
    EXPECT_EQ(next.records(), "Quorvia\n\tO;B;1\n\tO;C;1\n");
}

INSTANTIATE_TEST_SUITE_P(Writes, FaultInjection, ::testing::ValuesIn(scenarios()),
                         [](const ::testing::TestParamInfo<Scenario>& info) {
                             std::string name = info.param.name;
                             for (char& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c))) {
                                     c = '_';
                                 }
                             }
                             return name;
                         });

}  // namespace
}  // namespace quorvia::workspace
