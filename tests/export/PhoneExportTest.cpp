#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "export/InstallPackage.h"
#include "export/PhoneExport.h"
#include "model/PhoneDatabase.h"
#include "support/FakePrompts.h"
#include "support/FaultyFileSystem.h"
#include "support/TempDir.h"
#include "support/TreeHelpers.h"

namespace quorvia::exporting {
namespace {

using Asked = std::vector<std::string>;

TEST(PhoneDatabaseFile, LevelAndRecordFromIndexOneOn) {
    model::Tree tree;
    testing::fillTree(tree,
                      "root\n\tO;Contacts;3\n\t\tT;Phone;555\n\t\tT;v;a;b\n\tO;Notes;0\nO;Top;1\n"
                      "\tT;x;y\n");
    EXPECT_EQ(model::formatPhoneDatabase(tree),
              "1;O;Contacts;3\r\n2;T;Phone;555\r\n2;T;v;a;b\r\n1;O;Notes;0\r\n0;O;Top;1\r\n"
              "1;T;x;y\r\n");
    model::Tree rootOnly;
    testing::fillTree(rootOnly, "root\n");
    EXPECT_EQ(model::formatPhoneDatabase(rootOnly), "");
    EXPECT_EQ(model::formatPhoneDatabase(model::Tree()), "");
}

TEST(PackageScript, FourLinesByteForByte) {
    EXPECT_EQ(packageScript("/home/ann/my db/phone.txt"),
              "&EN\r\n"
              "#{\"Quorvia Database\"},(0x10B7E5A3),1,0,0,TYPE=SISUPGRADE\r\n"
              "(0x10B7E5A3), 1, 0, 0, {\"Quorvia\"}\r\n"
              "\"/home/ann/my db/phone.txt\"-\"!:\\teslund\\QV\\phone.txt\"\r\n");
}

TEST(InstallPackagePath, TheExtensionOfTheFileNameBecomesSis) {
    EXPECT_EQ(installPackagePath("/data/phone.txt"), "/data/phone.sis");
    EXPECT_EQ(installPackagePath("/data/phone"), "/data/phone.sis");
    EXPECT_EQ(installPackagePath("/data.old/phone"), "/data.old/phone.sis");
    EXPECT_EQ(installPackagePath("/data/phone.tar.gz"), "/data/phone.tar.sis");
    EXPECT_EQ(installPackagePath("/data/phone.sis"), "/data/phone.sis");
    EXPECT_EQ(installPackagePath("phone."), "phone.sis");
    EXPECT_EQ(installPackagePath("C:\\Data\\phone.txt"), "C:\\Data\\phone.sis");
}

// An export run in a temporary working directory, with PATH holding only `bin`.
class ExportTest : public ::testing::Test {
protected:
    ExportTest() : inside(dir.path()), path("PATH", dir.path("bin") + ":/usr/bin:/bin") {
        std::filesystem::create_directory(dir.path("bin"));
        std::filesystem::create_directory(dir.path("log"));
        std::filesystem::create_directory(dir.path("out dir"));
        testing::fillTree(records, "root\n\tO;Contacts;3\n\t\tT;Phone;555\n\tO;Notes;0\n");
    }

    // A builder that writes down what it was given and what it found, then `then`.
    void installBuilder(const std::string& name, const std::string& then) {
        const std::string log = dir.path("log");
        testing::writeScript(dir.path("bin/" + name),
                             "printf '%s|' \"$@\" > '" + log + "/args'; pwd > '" + log +
                                 "/cwd'\n"
                                 "cp qv.pkg '" +
                                 log + "/pkg'; cp '" + exported() + "' '" + log +
                                 "/p'\n"
                                 "[ -e \"$2\" ] && echo yes > '" +
                                 log + "/old package'\n" + then);
    }
    std::string exported() const { return dir.path("out dir/phone.txt"); }
    std::string package() const { return dir.path("out dir/phone.sis"); }
    void run() {
        prompts.saveAnswers.push_back(exported());
        exportPhoneDatabase(records, prompts);
    }

    testing::TempDir dir;
    testing::ScopedCurrentDirectory inside;
    testing::ScopedEnvironmentVariable path;
    model::Tree records;
    testing::FakePrompts prompts;
    const std::string phoneFile = "1;O;Contacts;3\r\n2;T;Phone;555\r\n1;O;Notes;0\r\n";
};

TEST_F(ExportTest, RunsTheInstalledBuilderOnTheScriptAndCleansUp) {
    installBuilder("makesis.exe", "echo built > \"$2\"");
    testing::writeBytes(package(), "old package");
    testing::FaultyFileSystem files;
    run();
    EXPECT_EQ(dir.read("log/args"), "qv.pkg|" + package() + "|");
    EXPECT_EQ(dir.read("log/cwd"), dir.path("out dir") + "\n")
        << "the builder and the script are in the folder chosen in the save dialog";
    EXPECT_EQ(dir.read("log/pkg"), packageScript(exported()));
    EXPECT_EQ(dir.read("log/p"), phoneFile);
    EXPECT_FALSE(dir.exists("log/old package")) << "an old package is deleted first";
    EXPECT_EQ(testing::readBytes(package()), "built\n");
    EXPECT_FALSE(dir.exists("out dir/qv.pkg"));
    EXPECT_FALSE(dir.exists("out dir/phone.txt"));
    EXPECT_EQ(files.removed(), (std::vector<std::string>{package(), "qv.pkg", exported()}));
    EXPECT_EQ(prompts.takeAsked(), (Asked{"save", "busy"}));
}

TEST_F(ExportTest, AMakesisWithoutExtensionServesToo) {
    installBuilder("makesis", "echo built > \"$2\"");
    run();
    EXPECT_EQ(dir.read("log/args"), "qv.pkg|" + package() + "|");
    EXPECT_TRUE(testing::readBytes(package()) == "built\n");
}

TEST_F(ExportTest, ABuilderThatGivesNoPackageIsNamedAndTheExportIsKept) {
    struct Case {
        const char* body;
        std::string warning;
    };
    const std::string tail = " No install package was made at \"" + package() +
                             "\". The phone database file \"" + exported() + "\" is kept.";
    for (const Case& c :
         {Case{"exit 3", "The package builder makesis.exe ended with exit code 3." + tail},
          Case{"true", "The package builder makesis.exe left no file." + tail},
          Case{"kill -9 $$", "The package builder makesis.exe did not end normally." + tail}}) {
        installBuilder("makesis.exe", c.body);
        run();
        EXPECT_EQ(prompts.takeAsked(), (Asked{"save", "busy", "warn: " + c.warning}));
        EXPECT_EQ(testing::readBytes(exported()), phoneFile);
        EXPECT_FALSE(dir.exists("out dir/qv.pkg"));
    }
    testing::writeBytes(dir.path("bin/makesis.exe"), "#!/nonexistent/shell\n");
    run();
    EXPECT_EQ(prompts.takeAsked(),
              (Asked{"save", "busy",
                     "warn: The package builder makesis.exe could not be started." + tail}));
}

TEST_F(ExportTest, WithoutABuilderTheBuiltInOneWritesThePackage) {
    run();
    EXPECT_EQ(testing::readBytes(package()), buildInstallPackage("phone.txt", phoneFile));
    EXPECT_FALSE(dir.exists("out dir/qv.pkg"));
    EXPECT_FALSE(dir.exists("out dir/phone.txt"));
    EXPECT_EQ(prompts.takeAsked(), Asked{"save"});
}

TEST_F(ExportTest, TheBuiltInPackagesEqualTheReferencePackages) {
    const std::string fixtures =
        std::string(std::getenv("QUORVIA_FIXTURES")) + "/install-package/";
    struct Case {
        const char* name;
        const char* database;
    };
    for (const Case& c : {Case{"empty", "root\n"},
                          Case{"phone", "root\n\tO;Contacts;3\n\t\tT;Phone;555\n\tO;Notes;0\n"},
                          Case{"with space", "root\n\tO;A b;1\n"}}) {
        model::Tree tree;
        testing::fillTree(tree, c.database);
        const std::string name = c.name;
        prompts.saveAnswers.push_back(dir.path("out dir/" + name + ".txt"));
        exportPhoneDatabase(tree, prompts);
        EXPECT_EQ(testing::readBytes(dir.path("out dir/" + name + ".sis")),
                  testing::readBytes(fixtures + name + ".sis"))
            << name;
    }
}

TEST_F(ExportTest, APhoneFileNamedLikeItsPackageEndsAsThePackage) {
    prompts.saveAnswers.push_back(package());
    exportPhoneDatabase(records, prompts);
    EXPECT_EQ(testing::readBytes(package()), buildInstallPackage("phone.sis", phoneFile));
}

TEST_F(ExportTest, WriteFailuresEndTheExport) {
    installBuilder("makesis.exe", "echo built > \"$2\"");
    {
        testing::FaultyFileSystem files;
        files.failAt(testing::FileCall::Create, 1, EACCES);
        prompts.saveAnswers.push_back(exported());
        EXPECT_THROW(exportPhoneDatabase(records, prompts), Error);
    }
    EXPECT_FALSE(dir.exists("out dir/qv.pkg"));
    EXPECT_FALSE(dir.exists("log/args")) << "the builder did not run";
    {
        testing::FaultyFileSystem files;
        files.failAt(testing::FileCall::Create, 2, EROFS);
        prompts.saveAnswers.push_back(exported());
        try {
            exportPhoneDatabase(records, prompts);
            FAIL();
        } catch (const Error& error) {
            EXPECT_EQ(error.message(), "Accès au fichier refusé");
        }
    }
    EXPECT_EQ(testing::readBytes(exported()), phoneFile) << "the phone file stays, complete";
    EXPECT_FALSE(dir.exists("log/args"));
    EXPECT_FALSE(std::filesystem::exists(package()));
}

TEST_F(ExportTest, ANameTheScriptCannotHoldIsRefusedBeforeAnythingIsWritten) {
    installBuilder("makesis.exe", "echo built > \"$2\"");
    for (const char* name : {"out dir/line\nbreak.txt", "out dir/cr\r.txt", "out dir/\"q\".txt"}) {
        prompts.saveAnswers.push_back(dir.path(name));
        EXPECT_THROW(exportPhoneDatabase(records, prompts), Error) << name;
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path("out dir")));
    EXPECT_FALSE(dir.exists("log/args")) << "the builder did not run";
}

TEST_F(ExportTest, CancelWritesNothing) {
    prompts.saveAnswers.push_back(std::nullopt);
    exportPhoneDatabase(records, prompts);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"bin", "log", "out dir"}));
}

}  // namespace
}  // namespace quorvia::exporting
