// The install package writer against the reference packages and against a reader written here
// from the package layout, sharing nothing with the writer.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "export/InstallPackage.h"
#include "platform/Error.h"
#include "support/FaultyFileSystem.h"
#include "support/TempDir.h"

namespace quorvia::exporting {
namespace {

// Bit by bit, as the CRC is defined, to check the writer's table-driven one.
std::uint16_t referenceCrc(const std::string& bytes) {
    std::uint16_t crc = 0;
    for (char c : bytes) {
        crc ^= static_cast<std::uint16_t>(static_cast<unsigned char>(c) << 8);
        for (int bit = 0; bit < 8; ++bit) {
            crc = static_cast<std::uint16_t>((crc & 0x8000) != 0 ? (crc << 1) ^ 0x1021 : crc << 1);
        }
    }
    return crc;
}

std::string fixture(const std::string& name) {
    const char* folder = std::getenv("QUORVIA_FIXTURES");
    if (folder == nullptr) {
        throw std::runtime_error("QUORVIA_FIXTURES is not set");
    }
    return testing::readBytes(std::string(folder) + "/install-package/" + name);
}

// Reads little-endian numbers and UTF-16LE texts, refusing to read past the end.
class Bytes {
public:
    explicit Bytes(const std::string& bytes) : m_bytes(bytes) {}

    std::uint32_t number(std::size_t at, int size) const {
        need(at, size);
        std::uint32_t value = 0;
        for (int i = size - 1; i >= 0; --i) {
            value = (value << 8) | static_cast<unsigned char>(m_bytes[at + i]);
        }
        return value;
    }
    std::uint16_t u16(std::size_t at) const { return static_cast<std::uint16_t>(number(at, 2)); }
    std::uint32_t u32(std::size_t at) const { return number(at, 4); }

    std::u16string text(std::size_t at, std::size_t byteLength) const {
        if (byteLength % 2 != 0) {
            throw std::runtime_error("odd text length");
        }
        std::u16string text;
        for (std::size_t i = 0; i < byteLength; i += 2) {
            text.push_back(static_cast<char16_t>(u16(at + i)));
        }
        return text;
    }

    std::string raw(std::size_t at, std::size_t length) const {
        need(at, length);
        return m_bytes.substr(at, length);
    }

private:
    void need(std::size_t at, std::size_t length) const {
        if (at > m_bytes.size() || length > m_bytes.size() - at) {
            throw std::runtime_error("read past the end of the package");
        }
    }

    const std::string& m_bytes;
};

struct Package {
    std::uint32_t uid1, uid2, uid3, uid4;
    std::uint16_t checksum, languageCount, fileCount, requisiteCount;
    std::uint16_t installLanguage, installFiles, installDrive, capabilityCount;
    std::uint32_t installerVersion;
    std::uint16_t options, type, major, minor;
    std::uint32_t variant;
    std::uint32_t languagesAt, filesAt, requisitesAt, certificatesAt, componentNameAt;
    std::uint32_t signatureAt, capabilitiesAt, installedSpace, maximumInstalledSpace;
    std::string reserved;

    std::uint16_t language;

    std::uint32_t recordType, fileType, fileDetails;
    std::uint32_t sourceLength, sourceAt, destinationLength, destinationAt;
    std::uint32_t storedLength, dataAt, originalLength, mimeLength, mimeAt;

    std::uint32_t requisiteUid;
    std::uint16_t requisiteMajor, requisiteMinor;
    std::uint32_t requisiteVariant, requisiteNameLength, requisiteNameAt;

    std::uint32_t componentNameLength, componentNameTextAt;

    std::u16string source, destination, requisiteName, componentName;
    std::string data;
};

Package decode(const std::string& bytes) {
    const Bytes in(bytes);
    Package p;
    p.uid1 = in.u32(0x00);
    p.uid2 = in.u32(0x04);
    p.uid3 = in.u32(0x08);
    p.uid4 = in.u32(0x0C);
    p.checksum = in.u16(0x10);
    p.languageCount = in.u16(0x12);
    p.fileCount = in.u16(0x14);
    p.requisiteCount = in.u16(0x16);
    p.installLanguage = in.u16(0x18);
    p.installFiles = in.u16(0x1A);
    p.installDrive = in.u16(0x1C);
    p.capabilityCount = in.u16(0x1E);
    p.installerVersion = in.u32(0x20);
    p.options = in.u16(0x24);
    p.type = in.u16(0x26);
    p.major = in.u16(0x28);
    p.minor = in.u16(0x2A);
    p.variant = in.u32(0x2C);
    p.languagesAt = in.u32(0x30);
    p.filesAt = in.u32(0x34);
    p.requisitesAt = in.u32(0x38);
    p.certificatesAt = in.u32(0x3C);
    p.componentNameAt = in.u32(0x40);
    p.signatureAt = in.u32(0x44);
    p.capabilitiesAt = in.u32(0x48);
    p.installedSpace = in.u32(0x4C);
    p.maximumInstalledSpace = in.u32(0x50);
    p.reserved = in.raw(0x54, 16);

    p.language = in.u16(p.languagesAt);

    const std::size_t f = p.filesAt;
    p.recordType = in.u32(f);
    p.fileType = in.u32(f + 4);
    p.fileDetails = in.u32(f + 8);
    p.sourceLength = in.u32(f + 12);
    p.sourceAt = in.u32(f + 16);
    p.destinationLength = in.u32(f + 20);
    p.destinationAt = in.u32(f + 24);
    p.storedLength = in.u32(f + 28);
    p.dataAt = in.u32(f + 32);
    p.originalLength = in.u32(f + 36);
    p.mimeLength = in.u32(f + 40);
    p.mimeAt = in.u32(f + 44);

    const std::size_t r = p.requisitesAt;
    p.requisiteUid = in.u32(r);
    p.requisiteMajor = in.u16(r + 4);
    p.requisiteMinor = in.u16(r + 6);
    p.requisiteVariant = in.u32(r + 8);
    p.requisiteNameLength = in.u32(r + 12);
    p.requisiteNameAt = in.u32(r + 16);

    p.componentNameLength = in.u32(p.componentNameAt);
    p.componentNameTextAt = in.u32(p.componentNameAt + 4);

    p.source = in.text(p.sourceAt, p.sourceLength);
    p.destination = in.text(p.destinationAt, p.destinationLength);
    p.requisiteName = in.text(p.requisiteNameAt, p.requisiteNameLength);
    p.componentName = in.text(p.componentNameTextAt, p.componentNameLength);

    const std::string stored = in.raw(p.dataAt, p.storedLength);
    std::vector<Bytef> inflated(p.originalLength + 1);
    uLongf inflatedLength = inflated.size();
    const int result = uncompress(inflated.data(), &inflatedLength,
                                  reinterpret_cast<const Bytef*>(stored.data()), stored.size());
    if (result != Z_OK) {
        throw std::runtime_error("the data is not a whole zlib stream: " + std::to_string(result));
    }
    p.data.assign(reinterpret_cast<const char*>(inflated.data()), inflatedLength);
    return p;
}

// Decodes `bytes` and checks every field against the package that installs `fileBytes` under
// the UTF-16 name `name`.
void expectPackage(const std::string& bytes, const std::u16string& name,
                   const std::string& fileBytes) {
    const Package p = decode(bytes);

    EXPECT_EQ(p.uid1, 0x10B7E5A3u);
    EXPECT_EQ(p.uid2, 0x10003A12u);
    EXPECT_EQ(p.uid3, 0x10000419u);
    std::string even;
    std::string odd;
    for (int i = 0; i < 12; i += 2) {
        even.push_back(bytes[i]);
        odd.push_back(bytes[i + 1]);
    }
    EXPECT_EQ(p.uid4 & 0xFFFF, referenceCrc(even));
    EXPECT_EQ(p.uid4 >> 16, referenceCrc(odd));
    EXPECT_EQ(p.checksum, referenceCrc(bytes.substr(0, 0x10) + bytes.substr(0x12)));
    EXPECT_EQ(p.languageCount, 1);
    EXPECT_EQ(p.fileCount, 1);
    EXPECT_EQ(p.requisiteCount, 1);
    EXPECT_EQ(p.installLanguage, 0);
    EXPECT_EQ(p.installFiles, 0);
    EXPECT_EQ(p.installDrive, u'!');
    EXPECT_EQ(p.capabilityCount, 0);
    EXPECT_EQ(p.installerVersion, 200u);
    EXPECT_EQ(p.options, 1) << "texts in UTF-16";
    EXPECT_EQ(p.type, 5) << "upgrade";
    EXPECT_EQ(p.major, 1);
    EXPECT_EQ(p.minor, 0);
    EXPECT_EQ(p.variant, 0u);
    EXPECT_EQ(p.languagesAt, 0x64u);
    EXPECT_EQ(p.filesAt, 0x66u);
    EXPECT_EQ(p.requisitesAt, 0x96u);
    EXPECT_EQ(p.certificatesAt, 0u);
    EXPECT_EQ(p.componentNameAt, 0xAAu);
    EXPECT_EQ(p.signatureAt, 0u);
    EXPECT_EQ(p.capabilitiesAt, 0xAAu);
    EXPECT_EQ(p.installedSpace, 0u);
    EXPECT_EQ(p.maximumInstalledSpace, fileBytes.size());
    EXPECT_EQ(p.reserved, std::string(16, '\0'));

    EXPECT_EQ(p.language, 1) << "English";

    EXPECT_EQ(p.recordType, 0u);
    EXPECT_EQ(p.fileType, 0u);
    EXPECT_EQ(p.fileDetails, 0u);
    EXPECT_EQ(p.originalLength, fileBytes.size());
    EXPECT_EQ(p.mimeLength, 0u);

    EXPECT_EQ(p.requisiteUid, 0x10B7E5A3u);
    EXPECT_EQ(p.requisiteMajor, 1);
    EXPECT_EQ(p.requisiteMinor, 0);
    EXPECT_EQ(p.requisiteVariant, 0u);

    EXPECT_EQ(p.source, u"X:\\MKS0\\" + name);
    EXPECT_EQ(p.destination, u"!:\\teslund\\QV\\" + name);
    EXPECT_EQ(p.requisiteName, u"Quorvia");
    EXPECT_EQ(p.componentName, u"Quorvia Database");
    EXPECT_TRUE(p.data == fileBytes)
        << "the data inflates to " << p.data.size() << " bytes, not " << fileBytes.size();

    // The texts follow the records in this order without gaps, and the data ends the file.
    EXPECT_EQ(p.sourceAt, 0xB2u);
    EXPECT_EQ(p.destinationAt, p.sourceAt + p.sourceLength);
    EXPECT_EQ(p.mimeAt, p.destinationAt + p.destinationLength);
    EXPECT_EQ(p.requisiteNameAt, p.destinationAt + p.destinationLength);
    EXPECT_EQ(p.componentNameTextAt, p.requisiteNameAt + p.requisiteNameLength);
    EXPECT_EQ(p.dataAt, p.componentNameTextAt + p.componentNameLength);
    EXPECT_EQ(std::size_t{p.dataAt} + p.storedLength, bytes.size());
}

// Text of random words and numbers, with a sprinkling of bytes of every value.
std::string pseudoRandomText(std::size_t size) {
    std::mt19937 random(7650);
    std::uniform_int_distribution<int> letter('a', 'z');
    std::uniform_int_distribution<int> wordLength(1, 12);
    std::uniform_int_distribution<int> anyByte(0, 255);
    std::uniform_int_distribution<int> percent(0, 99);
    std::string text;
    while (text.size() < size) {
        const int roll = percent(random);
        if (roll < 3) {
            text.push_back(static_cast<char>(anyByte(random)));
        } else if (roll < 10) {
            text += "\r\n";
        } else if (roll < 20) {
            text += std::to_string(random() % 100000) + ";";
        } else {
            for (int i = wordLength(random); i > 0; --i) {
                text.push_back(static_cast<char>(letter(random)));
            }
            text.push_back(' ');
        }
    }
    text.resize(size);
    return text;
}

TEST(Crc16, CheckValueAndAgreementWithTheBitwiseDefinition) {
    EXPECT_EQ(crc16("123456789"), 0x31C3);
    EXPECT_EQ(crc16(""), 0);
    EXPECT_EQ(crc16(std::string(1, '\0')), 0) << "initial value 0, no final XOR";
    const std::string text = pseudoRandomText(4096);
    EXPECT_EQ(crc16(text), referenceCrc(text));
    std::string everyByte;
    for (int byte = 0; byte < 256; ++byte) {
        everyByte.push_back(static_cast<char>(byte));
    }
    EXPECT_EQ(crc16(everyByte), referenceCrc(everyByte));
}

TEST(Crc16, ContinuesOverPieces) {
    EXPECT_EQ(crc16("6789", crc16("12345")), 0x31C3);
    const std::string text = pseudoRandomText(1000);
    EXPECT_EQ(crc16(text.substr(333), crc16(text.substr(0, 333))), crc16(text));
}

TEST(Utf16FromLocal8Bit, WellFormedSequences) {
    EXPECT_EQ(utf16FromLocal8Bit(""), u"");
    EXPECT_EQ(utf16FromLocal8Bit("plain.txt"), u"plain.txt");
    EXPECT_EQ(utf16FromLocal8Bit(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
    EXPECT_EQ(utf16FromLocal8Bit("\x7F\xC2\x80\xDF\xBF"), u"\u007F\u0080\u07FF")
        << "edges of the one- and two-byte forms";
    EXPECT_EQ(utf16FromLocal8Bit("\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF"),
              u"\u0800\uD7FF\uE000\uFFFF")
        << "edges of the three-byte form around the surrogates";
    EXPECT_EQ(utf16FromLocal8Bit("Données été"), u"Donn\u00e9es \u00e9t\u00e9");
    EXPECT_EQ(utf16FromLocal8Bit("€"), u"\u20AC");
    EXPECT_EQ(utf16FromLocal8Bit("\xF0\x90\x80\x80"), (std::u16string{0xD800, 0xDC00}));
    EXPECT_EQ(utf16FromLocal8Bit("\xF0\x9F\x98\x80!"), (std::u16string{0xD83D, 0xDE00, u'!'}));
    EXPECT_EQ(utf16FromLocal8Bit("\xF4\x8F\xBF\xBF"), (std::u16string{0xDBFF, 0xDFFF}))
        << "U+10FFFF, the last code point";
}

TEST(Utf16FromLocal8Bit, EveryBadByteBecomesOneReplacementCharacter) {
    EXPECT_EQ(utf16FromLocal8Bit("a\x80z"), u"a\uFFFDz") << "continuation byte alone";
    EXPECT_EQ(utf16FromLocal8Bit("\xBF\x80"), u"\uFFFD\uFFFD");
    EXPECT_EQ(utf16FromLocal8Bit("\xFF\xFE"), u"\uFFFD\uFFFD") << "bytes that never occur";
    EXPECT_EQ(utf16FromLocal8Bit("\xF5\x80\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(utf16FromLocal8Bit("\xC3"), u"\uFFFD") << "truncated at the end";
    EXPECT_EQ(utf16FromLocal8Bit("\xE2\x82"), u"\uFFFD\uFFFD");
    EXPECT_EQ(utf16FromLocal8Bit("\xF0\x9F\x98"), u"\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(utf16FromLocal8Bit("\xE2\x82z\xC3\xA9"), u"\uFFFD\uFFFDz\u00E9")
        << "truncated before an ASCII letter; decoding resumes";
    EXPECT_EQ(utf16FromLocal8Bit("\xC3\xC3\xA9"), u"\uFFFD\u00E9") << "a new lead byte";
    EXPECT_EQ(utf16FromLocal8Bit("\xC0\xAF\xC1\xBF"), u"\uFFFD\uFFFD\uFFFD\uFFFD")
        << "overlong two-byte forms";
    EXPECT_EQ(utf16FromLocal8Bit("\xE0\x9F\xBF"), u"\uFFFD\uFFFD\uFFFD") << "overlong";
    EXPECT_EQ(utf16FromLocal8Bit("\xF0\x8F\xBF\xBF"), u"\uFFFD\uFFFD\uFFFD\uFFFD") << "overlong";
    EXPECT_EQ(utf16FromLocal8Bit("\xED\xA0\x80\xED\xBF\xBF"), std::u16string(6, u'\uFFFD'))
        << "encoded surrogates";
    EXPECT_EQ(utf16FromLocal8Bit("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD")
        << "above U+10FFFF";
}

TEST(InstallPackage, ReproducesTheReferencePackages) {
    for (const std::string name : {"empty", "phone", "with space"}) {
        SCOPED_TRACE(name);
        const std::string file = fixture(name + ".txt");
        const std::string reference = fixture(name + ".sis");
        EXPECT_TRUE(buildInstallPackage(name + ".txt", file) == reference)
            << "the package differs from " << name << ".sis";
        // The reader must agree with the reference builder for its checks to mean anything.
        expectPackage(reference, utf16FromLocal8Bit(name + ".txt"), file);
    }
}

TEST(InstallPackage, EveryFieldReadsBack) {
    struct Case {
        const char* label;
        std::string name;
        std::u16string expectedName;
        std::string bytes;
    };
    const Case cases[] = {
        {"empty file", "empty.txt", u"empty.txt", ""},
        {"1 MB file", "big.txt", u"big.txt", pseudoRandomText(1 << 20)},
        {"blanks and accents", "Données été.txt", u"Donn\u00e9es \u00e9t\u00e9.txt",
         "1;O;Caf\xC3\xA9;0\r\n"},
        {"outside the basic plane", "Notes \xF0\x9F\x98\x80.txt", u"Notes \U0001F600.txt", "x"},
        {"invalid UTF-8", "bad\xFF.txt", u"bad\uFFFD.txt", std::string("\0\xFF", 2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        expectPackage(buildInstallPackage(c.name, c.bytes), c.expectedName, c.bytes);
    }
}

TEST(WriteInstallPackage, WritesAndReplacesThePackage) {
    testing::TempDir dir;
    dir.write("out.sis", "an older, longer package than the new one will be");
    writeInstallPackage(dir.path("out.sis"), "phone.txt", "1;O;A;0\r\n");
    EXPECT_TRUE(dir.read("out.sis") == buildInstallPackage("phone.txt", "1;O;A;0\r\n"));
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"out.sis"});
}

TEST(WriteInstallPackage, MissingFolderIsABadFileNameAndLeavesNoFile) {
    testing::TempDir dir;
    try {
        writeInstallPackage(dir.path("gone/out.sis"), "out.txt", "x");
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(error.message(), "Nom de fichier incorrect");
    }
    EXPECT_TRUE(dir.entries().empty());
}

TEST(WriteInstallPackage, FailuresKeepTheOldPackageAndReportTheSystemMessage) {
    testing::TempDir dir;
    dir.write("out.sis", "old");
    struct Case {
        testing::FileCall call;
        int error;
        const char* message;
    };
    for (const Case& c : {Case{testing::FileCall::Create, EACCES, "Accès au fichier refusé"},
                          Case{testing::FileCall::Write, ENOSPC, "Erreur E/S 112"},
                          Case{testing::FileCall::Rename, EIO, "Erreur E/S 5"}}) {
        SCOPED_TRACE(static_cast<int>(c.call));
        testing::FaultyFileSystem files;
        files.failAt(c.call, 1, c.error);
        try {
            writeInstallPackage(dir.path("out.sis"), "out.txt", "x");
            ADD_FAILURE() << "no error";
        } catch (const Error& error) {
            EXPECT_EQ(error.message(), c.message);
        }
        EXPECT_TRUE(files.fired());
        EXPECT_EQ(dir.read("out.sis"), "old");
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"out.sis"}) << "temporary file left";
    }
}

}  // namespace
}  // namespace quorvia::exporting
