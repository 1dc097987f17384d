#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Error.h"
#include "platform/TextFiles.h"
#include "support/FaultyFileSystem.h"
#include "support/TempDir.h"

namespace quorvia::platform {
namespace {

std::vector<std::string> linesOf(const std::string& bytes) {
    TextLineReader reader(bytes);
    std::vector<std::string> lines;
    while (!reader.atEnd()) {
        lines.emplace_back(reader.readLine());
    }
    return lines;
}

using Lines = std::vector<std::string>;

TEST(TextLineReader, LineEnds) {
    EXPECT_EQ(linesOf("a\r\nb\r\n"), (Lines{"a", "b"}));
    EXPECT_EQ(linesOf("a\nb\n"), (Lines{"a", "b"}));
    EXPECT_EQ(linesOf("a\nb"), (Lines{"a", "b"})) << "the last line needs no line end";
    EXPECT_EQ(linesOf(""), Lines{});
    EXPECT_EQ(linesOf("\n"), Lines{""});
    EXPECT_EQ(linesOf("a\n\n\nb"), (Lines{"a", "", "", "b"}));
    EXPECT_EQ(linesOf("\r\n\r\n"), (Lines{"", ""}));
}

TEST(TextLineReader, LoneCarriageReturnsAreDropped) {
    EXPECT_EQ(linesOf("a\rb\nc"), (Lines{"ab", "c"}));
    EXPECT_EQ(linesOf("a\r"), Lines{"a"});
    EXPECT_EQ(linesOf("\r\r\r"), Lines{""});
    EXPECT_EQ(linesOf("a\r\r\nb"), (Lines{"a", "b"}));
    EXPECT_EQ(linesOf("a\n\rb"), (Lines{"a", "b"}));
}

TEST(TextLineReader, CtrlZAtTheStartOfALineEndsTheFile) {
    EXPECT_EQ(linesOf("a\n\x1A"
                      "b\nc"),
              Lines{"a"});
    EXPECT_EQ(linesOf("\x1A"
                      "a"),
              Lines{});
    EXPECT_EQ(linesOf("a\x1A"
                      "b\nc"),
              (Lines{"a\x1A"
                     "b",
                     "c"}))
        << "inside a line it is text";
}

TEST(TextLineReader, NoLengthLimitAndBytesKept) {
    const std::string longLine(3'000'000, 'x');
    EXPECT_EQ(linesOf(longLine + "\r\nend"), (Lines{longLine, "end"}));
    const std::string bytes("\xEF\xBB\xBF\xE9\0\t ;", 8);
    EXPECT_EQ(linesOf(bytes), Lines{bytes}) << "nothing is trimmed or decoded";
}

TEST(TextLineReader, ReadingPastTheEndGivesAnEmptyLine) {
    TextLineReader reader("a");
    EXPECT_EQ(reader.readLine(), "a");
    EXPECT_TRUE(reader.atEnd());
    EXPECT_EQ(reader.readLine(), "");
}

TEST(TextFiles, OpenReportsTheSystemMessage) {
    testing::TempDir dir;
    try {
        openTextFile(dir.path("missing.txt"));
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(error.message(), "Fichier introuvable");
    }
    try {
        openTextFile(dir.path());
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(error.message(), "Accès au fichier refusé");
    }
}

TEST(TextFiles, WriterEndsEveryLineWithCrLf) {
    testing::TempDir dir;
    TextFileWriter writer(dir.path("out.txt"));
    writer.writeLine("first");
    writer.writeLine("");
    writer.writeLine("last");
    writer.commit();
    EXPECT_EQ(dir.read("out.txt"), "first\r\n\r\nlast\r\n");
}

TEST(TextFiles, WriterFailuresKeepTheOldFileAndReportTheSystemMessage) {
    testing::TempDir dir;
    dir.write("out.txt", "old\r\n");
    struct Case {
        testing::FileCall call;
        int error;
        const char* message;
    };
    for (const Case& c : {Case{testing::FileCall::Create, EACCES, "Accès au fichier refusé"},
                          Case{testing::FileCall::Write, ENOSPC, "Erreur E/S 112"},
                          Case{testing::FileCall::Sync, EIO, nullptr},
                          Case{testing::FileCall::Close, EIO, nullptr},
                          Case{testing::FileCall::Rename, EBUSY, "Erreur E/S 32"}}) {
        testing::FaultyFileSystem files;
        files.failAt(c.call, 1, c.error);
        TextFileWriter writer(dir.path("out.txt"));
        writer.writeLine("new");
        try {
            writer.commit();
            ADD_FAILURE() << "no error for call " << static_cast<int>(c.call);
        } catch (const Error& error) {
            if (c.message != nullptr) {
                EXPECT_EQ(error.message(), c.message);
            }
        }
        EXPECT_TRUE(files.fired());
        EXPECT_EQ(dir.read("out.txt"), "old\r\n");
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"out.txt"}) << "temporary file left";
    }
}

TEST(TextFiles, MissingFolderIsABadFileName) {
    testing::TempDir dir;
    TextFileWriter writer(dir.path("gone/out.txt"));
    writer.writeLine("x");
    try {
        writer.commit();
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(error.message(), "Nom de fichier incorrect");
    }
}

}  // namespace
}  // namespace quorvia::platform
