#include <gtest/gtest.h>
#include <unistd.h>

#include "export/OpmlExport.h"
#include "import/OpmlImport.h"
#include "support/FakePrompts.h"
#include "support/TempDir.h"
#include "support/TreeHelpers.h"

namespace quorvia::importing {
namespace {

using Asked = std::vector<std::string>;

// A single-byte code page: each byte one character, and nothing beyond U+00FF.
class Latin1Codec final : public platform::TextCodec {
public:
    // Every byte of these tests above 127 stands alone, which UTF-8 reads as Latin-1.
    std::string toUtf8(std::string_view bytes) const override {
        return platform::Utf8Codec().toUtf8(bytes);
    }
    std::optional<std::string> fromUtf8(std::string_view text,
                                        std::string& refusal) const override {
        std::string bytes;
        for (size_t i = 0; i < text.size(); ++i) {
            const auto lead = static_cast<unsigned char>(text[i]);
            if (lead >= 0xC4) {
                refusal = "ISO-8859-1 cannot write it.";
                return std::nullopt;
            }
            bytes.push_back(lead < 0x80 ? text[i]
                                        : static_cast<char>(lead << 6 | (text[++i] & 0x3F)));
        }
        return bytes;
    }
};

class OpmlImportTest : public ::testing::Test {
protected:
    void SetUp() override { testing::loadPaired(trees, "root\n\tO;Target;1\n\t\tT;a;1\n"); }
    void TearDown() override { EXPECT_TRUE(testing::arePaired(trees)); }

    Asked import(const std::string& bytes, int target = 1) {
        dir.write("in.opml", bytes);
        trees.select(trees.display().nodeAt(target));
        prompts.openAnswers.push_back(dir.path("in.opml"));
        importOutline(trees, prompts, codec);
        return prompts.takeAsked();
    }
    std::string inFile() const { return "\"" + dir.path("in.opml") + "\""; }

    testing::TempDir dir;
    testing::ScopedCurrentDirectory inside{dir.path()};  // the open dialog enters the folder
    model::PairedTrees trees;
    testing::FakePrompts prompts;
    Latin1Codec codec;
};

TEST_F(OpmlImportTest, AnotherOutlinersOutlineWithPastesRules) {
    const std::string outline =
        "<?xml version=\"1.0\"?>\n<opml version=\"2.0\"><head><title>t</title></head><body>\n"
        "<outline text=\"Caf&#233; &amp; tea\" _note=\"buy&#10;soon\">\n <outline "
        "text=\"Milk\"/>\n"
        "<note><outline text=\"not an outline's child\"/></note></outline></body></opml>";
    EXPECT_EQ(import(outline, 2), Asked{"warn: Object can contain only Objects or Attributes"})
        << "no file dialog after the refusal";
    EXPECT_EQ(import(outline), Asked{"open"});
    EXPECT_EQ(testing::outline(trees.records()),
              "root\n\tO;Target;1\n\t\tT;a;1\n\t\tO;Caf\xE9 & tea;0\n\t\t\tT;Note;buy soon\n"
              "\t\t\tO;Milk;0\n");
    EXPECT_EQ(trees.display().selected(), trees.display().nodeAt(3));
    EXPECT_EQ(trees.display().nodeAt(4)->text(), "Note: buy soon");
    EXPECT_TRUE(trees.undo());
    EXPECT_EQ(trees.display().count(), 3) << "one step of the history";
}

TEST_F(OpmlImportTest, OwnOutlineComesBackByteForByte) {
    testing::loadPaired(
        trees, "root\n\tO;Target;1\n\tO;Caf\xE9;014\n\t\tT;a;b;c\n\t\t\tx;y;z\n\t\tT;%;\x01\n");
    dir.write("out.opml",
              exporting::formatOutline(trees.pairOf(trees.display().nodeAt(0)), codec));
    EXPECT_NE(dir.read("out.opml").find("<outline text=\"Caf\xC3\xA9\" qv:icon=\"14\""),
              std::string::npos);
    EXPECT_EQ(import(dir.read("out.opml")), Asked{"open"});
    EXPECT_EQ(
        testing::outline(trees.records()),
        "root\n\tO;Target;1\n\t\tO;Target;1\n\t\tO;Caf\xE9;014\n\t\t\tT;a;b;c\n\t\t\t\tx;y;z\n"
        "\t\t\tT;%;\x01\n\tO;Caf\xE9;014\n\t\tT;a;b;c\n\t\t\tx;y;z\n\t\tT;%;\x01\n");
}

TEST_F(OpmlImportTest, RefusalsNameTheFileAndTheLineAndAddNothing) {
    std::string bomb = "<?xml version=\"1.0\"?>\n<!DOCTYPE opml [\n<!ENTITY a \"aaaaaaaaaa\">\n";
    for (char c = 'b'; c <= 'j'; ++c) {
        bomb += std::string("<!ENTITY ") + c + " \"" + std::string(10, '&') + "\">\n";
    }
    const std::string declares =
        " declares an entity, which no outline needs and which could "
        "make the file grow without end. Nothing was imported.";
    struct Case {
        std::string bytes;
        std::string warning;
    };
    for (const Case& c : {
             Case{"<opml><body>\n<outline text=\"a\">\n</body></opml>",
                  inFile() + " is not well-formed XML: line 3: Opening and ending tag mismatch: "
                             "outline line 2 and body. Nothing was imported."},
             Case{bomb + "]><opml><body><outline text=\"&j;\"/></body></opml>",
                  "Line 3 of " + inFile() + declares},
             Case{"<!DOCTYPE opml [\n<!ENTITY x SYSTEM \"file:///etc/passwd\">]>\n"
                  "<opml><body><outline text=\"&x;\"/></body></opml>",
                  "Line 2 of " + inFile() + declares},
             Case{"<?xml version=\"1.0\"?>\n<rss><channel/></rss>",
                  inFile() + " is not an outline (OPML): line 2 begins it with <rss> instead of "
                             "<opml>. Nothing was imported."},
             Case{"<opml>\n<head/></opml>", inFile() + " is not an outline (OPML): it holds no "
                                                       "<body>. Nothing was imported."},
             Case{"<opml><body>\n<outline text=\"Smith; John\"/></body></opml>",
                  "Line 2 of " + inFile() +
                      " holds a semicolon (\";\") in \"Smith; John\": the "
                      "phone and the next load would split the text there. "
                      "Nothing was imported."},
             Case{"<opml><body>\n<outline text=\"\xC5\x82\"/></body></opml>",
                  "Line 2 of " + inFile() + ": ISO-8859-1 cannot write it. Nothing was imported."},
         }) {
        EXPECT_EQ(import(c.bytes), (Asked{"open", "warn: " + c.warning}));
        EXPECT_EQ(trees.display().count(), 3);
        EXPECT_EQ(trees.undoSteps(), 0u);
    }
}

TEST_F(OpmlImportTest, AnOversizeFileIsRefusedUnreadAndDeepNestingHasItsLimit) {
    dir.write("in.opml", "");
    ASSERT_EQ(::truncate(dir.path("in.opml").c_str(), (kLargestOutline >> 20 << 20) + (1 << 20)),
              0);
    trees.select(trees.display().nodeAt(1));
    prompts.openAnswers.push_back(dir.path("in.opml"));
    importOutline(trees, prompts, codec);
    EXPECT_EQ(prompts.takeAsked(), (Asked{"open", "warn: " + inFile() +
                                                      " holds 513 MB, more than the 512 MB an "
                                                      "outline may have. Nothing was imported."}));

    for (const int depth : {kDeepestOutline, kDeepestOutline + 1}) {
        std::string deep = "<opml><body>";
        for (int i = 0; i < depth; ++i) {
            deep += "<outline text=\"x\">";
        }
        for (int i = 0; i < depth; ++i) {
            deep += "</outline>";
        }
        deep += "</body></opml>";
        testing::runOnSmallStack([&] {
            const OutlineRecords read = readOutline(deep, "deep", codec);
            EXPECT_EQ(read.lines.size(), depth == kDeepestOutline ? depth : 0u) << read.refusal;
        });
    }
}

}  // namespace
}  // namespace quorvia::importing
