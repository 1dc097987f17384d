// Node records: "O;name;icon" for an object, "T;name;value" for an attribute, and how a record
// becomes the text and icon index that the display tree shows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/FieldList.h"

namespace quorvia::model {

// The icon index of an attribute (and of a display node that has none yet).
constexpr std::int32_t kAttributeIcon = -1;
// The icon index of the display root.
constexpr std::int32_t kRootIcon = 1;

// What the user is told of a ";" typed for a name or value (`text`, as typed), which nothing
// escapes.
std::string semicolonInFieldMessage(std::string_view text);

std::string objectRecord(std::string_view name, std::int32_t iconIndex);
std::string attributeRecord(std::string_view name, std::string_view value);
// The same into a buffer the caller reuses, for the imports' many records.
void formAttributeRecord(std::string& record, std::string_view name, std::string_view value);

// An integer field as the program reads icon fields and phone levels: leading blanks skipped;
// "$", "x", "X" or "0x"/"0X" for hexadecimal, else an optional sign and decimal digits; reading
// stops at the first other character (and then ignores a "-"), or before a digit that would
// overflow 32 bits. No digits give 0.
std::int32_t parseIntegerField(std::string_view field);

struct DecodedRecord {
    std::string displayText;
    std::int32_t iconIndex = kAttributeIcon;
    // The first field that was needed but absent (the index the list index error names), or -1.
    int missingField = -1;
};

// Splits `record` with `fields` (so it replaces their content) and forms the display text:
// an object shows field 1 with field 2 as icon index; anything else shows
// field 1 + ": " + field 2 with icon index -1. Absent fields read as empty text and are noted.
void decodeRecord(FieldList& fields, std::string_view record, DecodedRecord& decoded);
// The same for one record, with a field list of its own.
DecodedRecord decodeRecord(std::string_view record);

}  // namespace quorvia::model
