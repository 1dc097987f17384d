// Node records: "O;name;icon" for an object, "T;name;value" for an attribute, and how a record
// becomes the text and icon index that the display tree shows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

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

// The fields of a record that decide what it shows, found in one scan up to its third ";";
// an absent field reads as empty text.
struct ShownFields {
    bool isObject = false;   // field 0 is "O"
    std::string_view name;   // field 1
    std::string_view third;  // field 2
    // The first field that was needed but absent (the index the list index error names), or -1.
    // An object's field 2 is read before its field 1, so a short object is reported at index 2.
    int missingField = -1;
};
ShownFields shownFieldsOf(std::string_view record);

// The display text of a record: an object shows field 1; anything else shows
// field 1 + ": " + field 2. An object's text is a view of the record, anything else is formed
// in `buffer`.
std::string_view shownTextOf(const ShownFields& fields, std::string& buffer);
std::int32_t shownIconIndexOf(const ShownFields& fields);

// Forms the display text and icon index (field 2 of an object, else -1) of a record, as the
// display rebuild does; absent fields read as empty text and are noted.
void decodeRecord(std::string_view record, DecodedRecord& decoded);
DecodedRecord decodeRecord(std::string_view record);

}  // namespace quorvia::model
