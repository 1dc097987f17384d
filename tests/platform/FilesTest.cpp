#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <new>

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

TEST(Files, PipesAndDevicesNeverHoldTheProgram) {
    testing::TempDir dir;
    ASSERT_EQ(::mkfifo(dir.path("fifo").c_str(), 0600), 0);
    std::string content;
    bool textAfterNul = false;
    for (const std::string path : {dir.path("fifo"), std::string("/dev/zero")}) {
        EXPECT_EQ(readWholeFile(path, content), EACCES) << path;
        EXPECT_EQ(readTextBeforeNul(path, content, textAfterNul), EACCES) << path;
    }
    EXPECT_EQ(replaceFile(dir.path("fifo"), "x"), ENXIO) << "a pipe nobody reads";
}

TEST(Files, ReadingStopsAtTheFirstNul) {
    testing::TempDir dir;
    std::string content;
    bool textAfterNul = false;
    const auto read = [&](const std::string& name) {
        EXPECT_EQ(readTextBeforeNul(dir.path(name), content, textAfterNul), 0);
        return content;
    };
    // 64 GiB, all holes but three lines at the start; then a byte far out between holes.
    const int fd = ::open(dir.path("sparse").c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_EQ(::pwrite(fd, "r\r\n\tA\r\n\tB\r\n", 11, 0), 11);
    ASSERT_EQ(::ftruncate(fd, off_t{64} << 30), 0);
    EXPECT_EQ(read("sparse"), "r\r\n\tA\r\n\tB\r\n");
    EXPECT_LT(content.capacity(), size_t{4} << 20) << "nothing behind the NUL is kept";
    EXPECT_FALSE(textAfterNul);
    ASSERT_EQ(::pwrite(fd, "x", 1, off_t{40} << 30), 1);
    ::close(fd);
    EXPECT_EQ(read("sparse"), "r\r\n\tA\r\n\tB\r\n");
    EXPECT_TRUE(textAfterNul);
}

TEST(Files, TemporaryNamesFitTheFolderAndNeverCollide) {
    testing::TempDir dir;
    const std::string longName(245, 'n');
    ASSERT_EQ(replaceFile(dir.path(longName), "one"), 0);
    ASSERT_EQ(replaceFile(dir.path(longName), "two"), 0);
    EXPECT_EQ(dir.read(longName), "two");
    // What a killed earlier version left under this very process id.
    dir.write(".db.qv-" + std::to_string(::getpid()) + "-0", "");
    ASSERT_EQ(replaceFile(dir.path("db"), "new"), 0);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"db", longName}));
}

TEST(Files, NoRoomBesideTheTargetMeansWritingItInPlace) {
    testing::TempDir dir;
    dir.write("f", "old and longer");
    testing::FaultyFileSystem files;
    files.failAt(testing::FileCall::Create, 1, EACCES);  // a folder we may not write in
    files.alsoFailAt(testing::FileCall::Access, 1, EACCES);
    ASSERT_EQ(replaceFile(dir.path("f"), "new"), 0);
    EXPECT_EQ(dir.read("f"), "new");
    // A full disk fails before the old bytes are touched; a failed new file is removed.
    files.failAt(testing::FileCall::Create, 1, EACCES);
    files.alsoFailAt(testing::FileCall::Access, 1, EACCES);
    files.alsoFailAt(testing::FileCall::Allocate, 1, ENOSPC);
    EXPECT_EQ(replaceFile(dir.path("f"), "newer"), ENOSPC);
    EXPECT_EQ(dir.read("f"), "new");
    files.failAt(testing::FileCall::Create, 1, ENAMETOOLONG);
    files.alsoFailAt(testing::FileCall::Write, 1, EIO);
    EXPECT_EQ(replaceFile(dir.path("g"), "lost"), EIO);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"f"});
}

TEST(Files, UnfinishedSavesLeaveNothingBehindTheNextSave) {
    testing::TempDir dir;
    dir.write(".other.qv-1-0", "");  // another file's: not ours to remove
    // Two saves killed before their commit, one where unnamed files are refused.
    for (const int refusedAt : {1, 0}) {
        const pid_t child = ::fork();
        if (child == 0) {
            testing::FaultyFileSystem files;
            files.failAt(testing::FileCall::Create, refusedAt, EOPNOTSUPP);
            FileReplacement replacement(dir.path("db"));
            const int created = replacement.create();
            ::_exit(created != 0 ? created : replacement.write("half"));
        }
        int status = -1;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_EQ(status, 0);
    }
    ASSERT_EQ(dir.entries().size(), 2u) << "the named temporary was left";
    ASSERT_EQ(replaceFile(dir.path("db"), "new"), 0);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{".other.qv-1-0", "db"}));
    // A folder that cannot be synced is reported, though the file is already replaced.
    testing::FaultyFileSystem files;
    files.failAt(testing::FileCall::SyncFolder, 1, EIO);
    EXPECT_EQ(replaceFile(dir.path("db"), "newer"), EIO);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{".other.qv-1-0", "db"}));
}

TEST(Files, RunningOutOfMemoryWhileReadingLeavesNoFileOpen) {
    testing::TempDir dir;
    dir.write("db", "root\r\n");
    const auto openFiles = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
    };
    const auto before = openFiles();
    testing::FaultyFileSystem files;
    std::string content;
    bool textAfterNul = false;
    files.runOutOfMemoryAt(testing::FileCall::Read, 1);
    EXPECT_THROW((void)readTextBeforeNul(dir.path("db"), content, textAfterNul), std::bad_alloc);
    EXPECT_EQ(openFiles(), before);
}

}  // namespace
}  // namespace quorvia::platform
