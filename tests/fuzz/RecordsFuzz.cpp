// Fuzz target of node records: the field splitter, the decoding of a record into a display
// text and icon index, and the integer fields read for icons and phone levels.
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>

#include "fuzz/FuzzChecks.h"
#include "model/FieldList.h"
#include "model/NodeRecord.h"

namespace {

using namespace quorvia;
using fuzz::check;

void checkSplit(model::FieldList& fields, std::string_view text) {
    fields.split(text);
    size_t semicolons = 0;
    for (char c : text) {
        semicolons += c == ';' ? 1 : 0;
    }
    check(static_cast<size_t>(fields.count()) == semicolons + 1, "n semicolons give n + 1 fields");
    std::string joined;
    for (int i = 0; i < fields.count(); ++i) {
        const std::string_view field = fields.field(i);
        check(field.find(';') == std::string_view::npos, "no field holds a semicolon");
        joined.append(i > 0 ? ";" : "").append(field);
    }
    check(joined == text, "the fields joined by semicolons give the text back");
    check(fields.fieldOrEmpty(fields.count()).empty() && !fields.has(-1),
          "absent fields read as empty");
    bool raised = false;
    try {
        fields.field(fields.count());
    } catch (const Error&) {
        raised = true;
    }
    check(raised, "reading past the last field raises the list index error");
}

void checkDecode(model::FieldList& fields, std::string_view record) {
    fields.split(record);
    const auto parts = fields.copyAll();
    model::DecodedRecord decoded;
    decoded.missingField = 99;  // a decode must not keep anything of an earlier one
    model::decodeRecord(record, decoded);
    const std::string name = parts.size() > 1 ? parts[1] : "";
    const std::string third = parts.size() > 2 ? parts[2] : "";
    check((decoded.missingField >= 0) == (parts.size() < 3),
          "a record is short exactly when it has fewer than three fields");
    if (parts[0] == "O") {
        check(decoded.displayText == name, "an object shows field 1");
        check(decoded.iconIndex == model::parseIntegerField(third), "an object's icon is field 2");
    } else {
        const std::string_view shown = decoded.displayText;
        check(shown.substr(0, name.size()) == name, "an attribute's text starts with field 1");
        check(shown.find(": ", name.size()) == name.size(), "field 1 is followed by \": \"");
        check(shown.substr(name.size() + 2) == third, "an attribute's text ends with field 2");
        check(decoded.iconIndex == model::kAttributeIcon, "an attribute has no icon");
    }
}

bool allOf(std::string_view text, bool (*accept)(char)) {
    for (char c : text) {
        if (!accept(c)) {
            return false;
        }
    }
    return true;
}

bool isDecimal(char c) {
    return c >= '0' && c <= '9';
}

bool isHexadecimal(char c) {
    return isDecimal(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Checks the field's value against the C library's reading where both define it: decimal
// numbers in range and hexadecimal numbers of at most eight digits.
void checkInteger(std::string_view field) {
    const std::int32_t value = model::parseIntegerField(field);
    std::string_view rest = field;
    while (!rest.empty() && rest.front() == ' ') {
        rest.remove_prefix(1);
    }
    check(model::parseIntegerField(rest) == value, "leading blanks are skipped");
    if (rest.empty()) {
        check(value == 0, "a field of blanks reads 0");
        return;
    }

    std::string_view digits = rest;
    bool hexadecimal = false;
    if (digits.front() == '$' || digits.front() == 'x' || digits.front() == 'X') {
        digits.remove_prefix(1);
        hexadecimal = true;
    } else if (digits.size() >= 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        digits.remove_prefix(2);
        hexadecimal = true;
    } else if (digits.front() == '+' || digits.front() == '-') {
        digits.remove_prefix(1);
    }
    if (digits.empty()) {
        check(value == 0, "no digits read 0");
        return;
    }

    const std::string text(rest);
    if (hexadecimal) {
        if (digits.size() <= 8 && allOf(digits, isHexadecimal)) {
            const unsigned long expected = std::strtoul(std::string(digits).c_str(), nullptr, 16);
            check(value == static_cast<std::int32_t>(static_cast<std::uint32_t>(expected)),
                  "hexadecimal digits read as the C library reads them");
        }
        return;
    }
    if (!allOf(digits, isDecimal)) {
        return;
    }
    errno = 0;
    const long long expected = std::strtoll(text.c_str(), nullptr, 10);
    if (errno == 0 && expected >= std::numeric_limits<std::int32_t>::min() &&
        expected <= std::numeric_limits<std::int32_t>::max()) {
        check(value == expected, "a decimal number in range reads as the C library reads it");
    } else {
        // Stopped early, without its sign; a negative number may have read 2^31 by then.
        check(value >= 0 || value == std::numeric_limits<std::int32_t>::min(),
              "an overflowing number stops early, without its sign");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    model::FieldList fields;
    checkSplit(fields, bytes);
    checkDecode(fields, bytes);
    checkInteger(bytes);
    // Every field of the input as an icon field too, the way records hold them.
    fields.split(bytes);
    for (const std::string& field : fields.copyAll()) {
        checkInteger(field);
    }
    return 0;
}
