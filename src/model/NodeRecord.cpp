#include "model/NodeRecord.h"

#include <limits>

namespace quorvia::model {

namespace {

int digitValue(char c, unsigned base) {
    int value = -1;
    if (c >= '0' && c <= '9') {
        value = c - '0';
    } else if (c >= 'a' && c <= 'f') {
        value = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
        value = c - 'A' + 10;
    }
    return value >= 0 && static_cast<unsigned>(value) < base ? value : -1;
}

}  // namespace

std::string objectRecord(std::string_view name, std::int32_t iconIndex) {
    std::string record;
    record.reserve(name.size() + 16);
    record.append("O;").append(name).append(";").append(std::to_string(iconIndex));
    return record;
}

std::string attributeRecord(std::string_view name, std::string_view value) {
    std::string record;
    formAttributeRecord(record, name, value);
    return record;
}

void formAttributeRecord(std::string& record, std::string_view name, std::string_view value) {
    record.clear();
    record.append("T;").append(name).append(";").append(value);
}

std::int32_t parseIntegerField(std::string_view field) {
    size_t i = 0;
    while (i < field.size() && field[i] == ' ') {
        ++i;
    }
    if (i == field.size()) {
        return 0;
    }

    unsigned base = 10;
    bool negative = false;
    // Hexadecimal reads all 32 bits; a decimal number up to the signed limit of its sign.
    std::uint32_t limit = std::numeric_limits<std::uint32_t>::max();
    const char first = field[i];
    if (first == '$' || first == 'x' || first == 'X') {
        base = 16;
        ++i;
    } else if (first == '0' && i + 1 < field.size() &&
               (field[i + 1] == 'x' || field[i + 1] == 'X')) {
        base = 16;
        i += 2;
    } else {
        if (first == '-' || first == '+') {
            negative = first == '-';
            ++i;
        }
        limit = negative ? 0x80000000u : 0x7FFFFFFFu;
    }

    std::uint32_t value = 0;
    for (; i < field.size(); ++i) {
        const int digit = digitValue(field[i], base);
        if (digit < 0 || value > (limit - static_cast<std::uint32_t>(digit)) / base) {
            // Stopped early: the value read so far, without its sign.
            return static_cast<std::int32_t>(value);
        }
        value = value * base + static_cast<std::uint32_t>(digit);
    }
    if (negative) {
        return static_cast<std::int32_t>(0u - value);
    }
    return static_cast<std::int32_t>(value);
}

void decodeRecord(FieldList& fields, std::string_view record, DecodedRecord& decoded) {
    fields.split(record);
    decoded.missingField = -1;
    auto read = [&](int index) {
        if (!fields.has(index) && decoded.missingField < 0) {
            decoded.missingField = index;
        }
        return fields.fieldOrEmpty(index);
    };
    if (fields.fieldOrEmpty(0) == "O") {
        // Field 2 is read before field 1, so a short object record is reported at index 2.
        decoded.iconIndex = parseIntegerField(read(2));
        decoded.displayText.assign(read(1));
    } else {
        decoded.iconIndex = kAttributeIcon;
        decoded.displayText.assign(read(1));
        decoded.displayText.append(": ");
        decoded.displayText.append(read(2));
    }
}

DecodedRecord decodeRecord(std::string_view record) {
    FieldList fields;
    DecodedRecord decoded;
    decodeRecord(fields, record, decoded);
    return decoded;
}

std::string semicolonInFieldMessage(std::string_view text) {
    std::string message = "\"";
    message.append(text).append(
        "\" holds a semicolon (\";\"): the phone and the next load split the text there. Put "
        "another character in its place.");
    return message;
}

}  // namespace quorvia::model
