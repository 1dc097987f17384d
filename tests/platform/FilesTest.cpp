#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/Files.h"
#include "support/FaultyFileSystem.h"
#include "support/TempDir.h"

namespace quorvia::platform {
namespace {

TEST(Files, ExistenceMeansAnEntryThatIsNotAFolder) {
    testing::TempDir dir;
    dir.write("file", "");
    EXPECT_TRUE(fileExists(dir.path("file")));
    EXPECT_FALSE(fileExists(dir.path()));
    EXPECT_FALSE(fileExists(dir.path("missing")));
    EXPECT_FALSE(fileExists(""));
    EXPECT_TRUE(fileExists("/dev/null"));
}

TEST(Files, DeleteIgnoresFailures) {
    testing::TempDir dir;
    dir.write("file", "x");
    deleteFile(dir.path("file"));
    EXPECT_FALSE(dir.exists("file"));
    deleteFile(dir.path("file"));  // no error for a missing file
}

TEST(Files, ReadWholeFile) {
    testing::TempDir dir;
    std::string big(5'000'000, 'q');
    big[4'999'999] = '\0';
    dir.write("big", big);
    std::string content;
    ASSERT_EQ(readWholeFile(dir.path("big"), content), 0);
    EXPECT_EQ(content, big);
    EXPECT_EQ(readWholeFile(dir.path("missing"), content), ENOENT);
    EXPECT_EQ(readWholeFile(dir.path(), content), EISDIR);
}

TEST(Files, ReadFailureMidwayIsReported) {
    testing::TempDir dir;
    dir.write("file", "abc");
    testing::FaultyFileSystem files;
    files.failAt(testing::FileCall::Read, 1, EIO);
    std::string content;
    EXPECT_EQ(readWholeFile(dir.path("file"), content), EIO);
    EXPECT_TRUE(content.empty());
}

TEST(Files, ReplaceCreatesAndReplaces) {
    testing::TempDir dir;
    ASSERT_EQ(replaceFile(dir.path("f"), "one"), 0);
    EXPECT_EQ(dir.read("f"), "one");
    ASSERT_EQ(replaceFile(dir.path("f"), ""), 0);
    EXPECT_EQ(dir.read("f"), "");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"f"});
}

TEST(Files, ReplaceKeepsPermissionsAndLinks) {
    testing::TempDir dir;
    dir.write("target", "old");
    ASSERT_EQ(::chmod(dir.path("target").c_str(), 0640), 0);
    ASSERT_EQ(::symlink("target", dir.path("link").c_str()), 0);
    ASSERT_EQ(replaceFile(dir.path("link"), "new"), 0);
    struct stat info {};
    ASSERT_EQ(::lstat(dir.path("link").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode)) << "the link itself must stay a link";
    EXPECT_EQ(dir.read("target"), "new");
    ASSERT_EQ(::stat(dir.path("target").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST(Files, ReplaceRefusesFoldersAndEmptyPaths) {
    testing::TempDir dir;
    bool atCreate = false;
    EXPECT_EQ(replaceFile(dir.path(), "x", &atCreate), EISDIR);
    EXPECT_TRUE(atCreate);
    EXPECT_EQ(replaceFile("", "x", &atCreate), ENOENT);
    EXPECT_TRUE(atCreate);
}

TEST(Files, DevicesAreWrittenInPlace) {
    // A device must never be replaced by a regular file; a full one reports a full disk.
    EXPECT_EQ(replaceFile("/dev/full", "x"), ENOSPC);
    EXPECT_EQ(replaceFile("/dev/null", "x"), 0);
    struct stat info {};
    ASSERT_EQ(::stat("/dev/null", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
}

TEST(Files, EveryFailureLeavesTheOldFileAndNoTemporary) {
    testing::TempDir dir;
    for (auto call : {testing::FileCall::Create, testing::FileCall::Write, testing::FileCall::Sync,
                      testing::FileCall::Close, testing::FileCall::Rename}) {
        dir.write("f", "old");
        testing::FaultyFileSystem files;
        files.failAt(call, 1, EIO);
        bool atCreate = false;
        EXPECT_EQ(replaceFile(dir.path("f"), "new", &atCreate), EIO);
        EXPECT_EQ(atCreate, call == testing::FileCall::Create);
        EXPECT_EQ(dir.read("f"), "old");
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"f"});
    }
}

}  // namespace
}  // namespace quorvia::platform
