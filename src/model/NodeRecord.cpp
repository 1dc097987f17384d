#include "model/NodeRecord.h"

#include <algorithm>
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

ShownFields shownFieldsOf(std::string_view record) {
    ShownFields fields;
    const size_t first = record.find(';');
    if (first == std::string_view::npos) {
        fields.isObject = record == "O";
        fields.missingField = fields.isObject ? 2 : 1;
        return fields;
    }
    fields.isObject = first == 1 && record[0] == 'O';
    const size_t second = record.find(';', first + 1);
    fields.name = record.substr(first + 1, second - first - 1);  // npos - ... runs to the end
    if (second == std::string_view::npos) {
        fields.missingField = 2;
        return fields;
    }
    const size_t third = record.find(';', second + 1);
    fields.third = record.substr(second + 1, third - second - 1);
    return fields;
}

std::string_view shownTextOf(const ShownFields& fields, std::string& buffer) {
    if (fields.isObject) {
        return fields.name;
    }
    // One sizing and three copies: Find forms the text of every attribute it passes.
    buffer.resize(fields.name.size() + 2 + fields.third.size());
    char* shown = std::copy(fields.name.begin(), fields.name.end(), buffer.data());
    *shown++ = ':';
    *shown++ = ' ';
    std::copy(fields.third.begin(), fields.third.end(), shown);
    return buffer;
}

std::int32_t shownIconIndexOf(const ShownFields& fields) {
    return fields.isObject ? parseIntegerField(fields.third) : kAttributeIcon;
}

void decodeRecord(std::string_view record, DecodedRecord& decoded) {
    const ShownFields fields = shownFieldsOf(record);
    decoded.missingField = fields.missingField;
    decoded.iconIndex = shownIconIndexOf(fields);
    const std::string_view shown = shownTextOf(fields, decoded.displayText);
    if (fields.isObject) {
        decoded.displayText.assign(shown);
    }
}

DecodedRecord decodeRecord(std::string_view record) {
    DecodedRecord decoded;
    decodeRecord(record, decoded);
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
