// Lays out the install package field by field, compresses the file with zlib and seals the
// header with its CRCs.
#include "export/InstallPackage.h"

#include <zlib.h>

#include <array>
#include <cerrno>
#include <limits>
#include <new>
#include <stdexcept>

#include "platform/FileErrors.h"
#include "platform/Files.h"

namespace quorvia::exporting {

namespace {

constexpr std::uint32_t kPackageUid = 0x10B7E5A3;
constexpr std::uint32_t kUid2 = 0x10003A12;
constexpr std::uint32_t kUid3 = 0x10000419;
constexpr std::uint16_t kEnglish = 1;
constexpr std::uint16_t kDriveChosenByUser = '!';
constexpr std::uint32_t kInstallerVersion = 200;
constexpr std::uint16_t kOptionUnicodeTexts = 1;
constexpr std::uint16_t kTypeUpgrade = 5;
constexpr std::uint16_t kMajorVersion = 1;
constexpr std::uint16_t kMinorVersion = 0;
constexpr std::uint32_t kVariant = 0;

// Where each part starts; the header and the records have fixed sizes, only the texts and the
// data that follow them move.
constexpr std::size_t kChecksumOffset = 0x10;
constexpr std::size_t kUidBytes = 12;
constexpr std::uint32_t kLanguagesAt = 0x64;
constexpr std::uint32_t kFileRecordAt = 0x66;
constexpr std::uint32_t kRequisiteAt = 0x96;
constexpr std::uint32_t kComponentNameAt = 0xAA;
constexpr std::uint32_t kTextsAt = 0xB2;

constexpr std::array<std::uint16_t, 256> makeCrcTable() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        unsigned crc = byte << 8;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 0x8000) != 0 ? (crc << 1) ^ 0x1021 : crc << 1;
        }
        table[byte] = static_cast<std::uint16_t>(crc);
    }
    return table;
}

constexpr std::array<std::uint16_t, 256> kCrcTable = makeCrcTable();

void appendU16(std::string& out, std::uint16_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8));
}

void appendU32(std::string& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
    }
}

void putU16(std::string& out, std::size_t at, std::uint16_t value) {
    out[at] = static_cast<char>(value & 0xFF);
    out[at + 1] = static_cast<char>(value >> 8);
}

void appendUtf16Le(std::string& out, const std::u16string& text) {
    for (char16_t unit : text) {
        appendU16(out, static_cast<std::uint16_t>(unit));
    }
}

// Every length and offset of the package is 32 bits wide.
std::uint32_t narrow(std::size_t value) {
    if (value > std::numeric_limits<std::uint32_t>::max()) {
        throw std::length_error("install package larger than 4 GiB");
    }
    return static_cast<std::uint32_t>(value);
}

std::uint32_t byteLength(const std::u16string& text) {
    return narrow(text.size() * 2);
}

std::string zlibStream(std::string_view bytes) {
    uLongf size = compressBound(static_cast<uLong>(bytes.size()));
    std::string out(size, '\0');
    const int result = compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                                 reinterpret_cast<const Bytef*>(bytes.data()), bytes.size(),
                                 Z_DEFAULT_COMPRESSION);
    if (result == Z_MEM_ERROR) {
        throw std::bad_alloc();
    }
    if (result != Z_OK) {
        // compressBound leaves room for any input, so only a broken zlib gets here.
        throw std::runtime_error("zlib compression failed");
    }
    out.resize(size);
    return out;
}

// Length of the UTF-8 sequence led by `lead`, with the range its second byte must fall in to
// rule out overlong forms, surrogates and values above U+10FFFF; 0 for a byte that cannot lead.
struct Lead {
    int length;
    unsigned char secondMin;
    unsigned char secondMax;
};

Lead leadOf(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) {
        return {2, 0x80, 0xBF};
    }
    if (lead == 0xE0) {
        return {3, 0xA0, 0xBF};
    }
    if (lead == 0xED) {
        return {3, 0x80, 0x9F};
    }
    if (lead >= 0xE1 && lead <= 0xEF) {
        return {3, 0x80, 0xBF};
    }
    if (lead == 0xF0) {
        return {4, 0x90, 0xBF};
    }
    if (lead >= 0xF1 && lead <= 0xF3) {
        return {4, 0x80, 0xBF};
    }
    if (lead == 0xF4) {
        return {4, 0x80, 0x8F};
    }
    return {0, 0, 0};
}

}  // namespace

std::uint16_t crc16(std::string_view bytes, std::uint16_t crc) {
    for (char c : bytes) {
        const auto index = static_cast<unsigned char>((crc >> 8) ^ static_cast<unsigned char>(c));
        crc = static_cast<std::uint16_t>((crc << 8) ^ kCrcTable[index]);
    }
    return crc;
}

std::u16string utf16FromLocal8Bit(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        const auto lead = static_cast<unsigned char>(text[at]);
        if (lead < 0x80) {
            out.push_back(lead);
            ++at;
            continue;
        }
        const Lead form = leadOf(lead);
        bool valid = form.length != 0 && at + form.length <= text.size();
        if (valid) {
            const auto second = static_cast<unsigned char>(text[at + 1]);
            valid = second >= form.secondMin && second <= form.secondMax;
            for (int i = 2; valid && i < form.length; ++i) {
                valid = (static_cast<unsigned char>(text[at + i]) & 0xC0) == 0x80;
            }
        }
        if (!valid) {
            out.push_back(u'\uFFFD');
            ++at;
            continue;
        }
        char32_t code = lead & (0x7F >> form.length);
        for (int i = 1; i < form.length; ++i) {
            code = (code << 6) | (static_cast<unsigned char>(text[at + i]) & 0x3F);
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
        at += form.length;
    }
    return out;
}

std::string buildInstallPackage(std::string_view fileName, std::string_view fileBytes) {
    const std::u16string name = utf16FromLocal8Bit(fileName);
    // The source name only tells where the builder found the file; the phone ignores it, and
    // the outside builder writes its own working folder there.
    const std::u16string sourceName = u"X:\\MKS0\\" + name;
    const std::u16string destination = u"!:\\teslund\\QV\\" + name;
    const std::u16string requisiteName = u"Quorvia";
    const std::u16string componentName = u"Quorvia Database";
    const std::string data = zlibStream(fileBytes);

    const std::uint32_t sourceAt = kTextsAt;
    const std::uint32_t destinationAt = sourceAt + byteLength(sourceName);
    const std::uint32_t requisiteNameAt = destinationAt + byteLength(destination);
    const std::uint32_t componentNameTextAt = requisiteNameAt + byteLength(requisiteName);
    const std::uint32_t dataAt = componentNameTextAt + byteLength(componentName);
    const std::uint32_t originalSize = narrow(fileBytes.size());
    narrow(std::size_t{dataAt} + data.size());

    std::string out;
    out.reserve(dataAt + data.size());
    appendU32(out, kPackageUid);
    appendU32(out, kUid2);
    appendU32(out, kUid3);
    appendU32(out, 0);  // UID check, below
    appendU16(out, 0);  // checksum, last of all
    appendU16(out, 1);  // languages
    appendU16(out, 1);  // files
    appendU16(out, 1);  // requisites
    appendU16(out, 0);  // install language
    appendU16(out, 0);  // install files
    appendU16(out, kDriveChosenByUser);
    appendU16(out, 0);  // capabilities
    appendU32(out, kInstallerVersion);
    appendU16(out, kOptionUnicodeTexts);
    appendU16(out, kTypeUpgrade);
    appendU16(out, kMajorVersion);
    appendU16(out, kMinorVersion);
    appendU32(out, kVariant);
    appendU32(out, kLanguagesAt);
    appendU32(out, kFileRecordAt);
    appendU32(out, kRequisiteAt);
    appendU32(out, 0);  // certificates
    appendU32(out, kComponentNameAt);
    appendU32(out, 0);  // signature
    // No capabilities are listed; the pointer still names where they would start.
    appendU32(out, kComponentNameAt);
    appendU32(out, 0);  // installed space
    appendU32(out, originalSize);
    out.append(16, '\0');

    appendU16(out, kEnglish);

    appendU32(out, 0);  // simple file record
    appendU32(out, 0);  // plain file
    appendU32(out, 0);  // details
    appendU32(out, byteLength(sourceName));
    appendU32(out, sourceAt);
    appendU32(out, byteLength(destination));
    appendU32(out, destinationAt);
    appendU32(out, narrow(data.size()));
    appendU32(out, dataAt);
    appendU32(out, originalSize);
    appendU32(out, 0);  // no MIME type
    appendU32(out, requisiteNameAt);

    appendU32(out, kPackageUid);
    appendU16(out, kMajorVersion);
    appendU16(out, kMinorVersion);
    appendU32(out, kVariant);
    appendU32(out, byteLength(requisiteName));
    appendU32(out, requisiteNameAt);

    appendU32(out, byteLength(componentName));
    appendU32(out, componentNameTextAt);

    appendUtf16Le(out, sourceName);
    appendUtf16Le(out, destination);
    appendUtf16Le(out, requisiteName);
    appendUtf16Le(out, componentName);
    out.append(data);

    // The UID check runs one CRC over the even bytes of the three UIDs and one over the odd.
    std::string evenBytes;
    std::string oddBytes;
    for (std::size_t i = 0; i < kUidBytes; i += 2) {
        evenBytes.push_back(out[i]);
        oddBytes.push_back(out[i + 1]);
    }
    putU16(out, kUidBytes, crc16(evenBytes));
    putU16(out, kUidBytes + 2, crc16(oddBytes));

    const std::string_view whole(out);
    const std::uint16_t checksum =
        crc16(whole.substr(kChecksumOffset + 2), crc16(whole.substr(0, kChecksumOffset)));
    putU16(out, kChecksumOffset, checksum);
    return out;
}

void writeInstallPackage(const std::string& packagePath, std::string_view fileName,
                         std::string_view fileBytes) {
    const std::string package = buildInstallPackage(fileName, fileBytes);
    platform::raiseOnFailure(platform::replaceFile(packagePath, package),
                             platform::FileAction::Create);
}

}  // namespace quorvia::exporting
