#include <gtest/gtest.h>

#include "platform/Paths.h"
#include "support/TempDir.h"

namespace quorvia::platform {
namespace {

TEST(Paths, FileNamePartIsBehindTheLastSlash) {
    EXPECT_EQ(fileNamePart("/home/ann/phone.db"), "phone.db");
    EXPECT_EQ(fileNamePart("phone.db"), "phone.db");
    EXPECT_EQ(fileNamePart("/home/ann/"), "");
    EXPECT_EQ(fileNamePart(""), "");
    // Backslashes and colons are ordinary name characters here.
    EXPECT_EQ(fileNamePart("/x/C:\\Data\\phone.db"), "C:\\Data\\phone.db");
}

TEST(Paths, JoinKeepsTheFolderAsItIs) {
    EXPECT_EQ(joinPath("/home/ann", "Quorvia"), "/home/ann/Quorvia");
    EXPECT_EQ(joinPath("/", "Quorvia.ini"), "//Quorvia.ini");
}

TEST(Paths, CurrentDirectoryHasNoTrailingSlash) {
    testing::TempDir dir;
    testing::ScopedCurrentDirectory inside(dir.path());
    EXPECT_EQ(currentDirectory(), dir.path());
}

}  // namespace
}  // namespace quorvia::platform
