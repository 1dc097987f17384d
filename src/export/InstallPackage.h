// The phone install package that carries an exported database file, built without an outside
// package builder: one language, one file, one dependency on the phone program.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quorvia::exporting {

// CRC-16 with polynomial 0x1021, no reflection and no final XOR, continuing from `crc`
// (0 to start), so that a CRC can run over several pieces.
std::uint16_t crc16(std::string_view bytes, std::uint16_t crc = 0);

// Decodes this platform's local 8-bit text (UTF-8) to UTF-16. Every byte that does not belong
// to a well-formed sequence (overlong forms, surrogates and values above U+10FFFF included)
// becomes one U+FFFD.
std::u16string utf16FromLocal8Bit(std::string_view text);

// The whole package that installs `fileBytes` on the phone as "!:\teslund\QV\<fileName>";
// `fileName` is the exported file's name without its folder, in local 8-bit text.
// Throws std::length_error when the package would not fit its 32-bit offsets.
std::string buildInstallPackage(std::string_view fileName, std::string_view fileBytes);

// Builds the package and replaces the file at `packagePath` with it. A failure raises the
// text-file error and leaves no partial file: an old package stays as it was.
void writeInstallPackage(const std::string& packagePath, std::string_view fileName,
                         std::string_view fileBytes);

}  // namespace quorvia::exporting
