#include <gtest/gtest.h>

#include "model/NodeRecord.h"

namespace quorvia::model {
namespace {

TEST(NodeRecord, Forming) {
    EXPECT_EQ(objectRecord("Contacts", 3), "O;Contacts;3");
    EXPECT_EQ(objectRecord("", -1), "O;;-1");
    EXPECT_EQ(attributeRecord("Phone", "555"), "T;Phone;555");
    EXPECT_EQ(attributeRecord("", ""), "T;;");
    EXPECT_EQ(attributeRecord("a;b", "c"), "T;a;b;c") << "no writer checks for semicolons";
}

TEST(IntegerField, ConversionExamples) {
    struct Case {
        const char* field;
        std::int32_t value;
    };
    for (const Case& c :
         {Case{"3", 3}, {"014", 14}, {"", 0},      {"abc", 0}, {"12abc", 12}, {"-1", -1},
          {"-1a", 1},   {" 5", 5},   {"5 ", 5},    {"$A", 10}, {"0x1F", 31},  {"+7", 7},
          {"x1f", 31},  {"X10", 16}, {"0X10", 16}, {"   ", 0}, {"\t5", 0},    {"-", 0},
          {"+", 0},     {"$", 0},    {"0x", 0},    {"-$A", 0}, {"-0x1F", 0},  {"0", 0},
          {"07", 7},    {"$fg", 15}}) {
        EXPECT_EQ(parseIntegerField(c.field), c.value) << '"' << c.field << '"';
    }
}

TEST(IntegerField, NumbersBeyondThirtyTwoBitsStopBeforeTheOverflowingDigit) {
    EXPECT_EQ(parseIntegerField("2147483647"), 2147483647);
    EXPECT_EQ(parseIntegerField("2147483648"), 214748364);
    EXPECT_EQ(parseIntegerField("-2147483648"), INT32_MIN);
    EXPECT_EQ(parseIntegerField("-2147483649"), 214748364) << "stopped early: no sign";
    EXPECT_EQ(parseIntegerField("99999999999999999999"), 999999999);
    EXPECT_EQ(parseIntegerField("$FFFFFFFF"), -1) << "hexadecimal reads all 32 bits";
    EXPECT_EQ(parseIntegerField("$80000000"), INT32_MIN);
    EXPECT_EQ(parseIntegerField("$123456789"), 0x12345678);
    EXPECT_EQ(parseIntegerField("0x1FFFFFFFF"), 0x1FFFFFFF);
}

TEST(NodeRecord, DecodingObjectsAndAttributes) {
    struct Case {
        const char* record;
        const char* text;
        std::int32_t icon;
    };
    for (const Case& c : {Case{"O;Contacts;3", "Contacts", 3},
                          {"O;Mail;014", "Mail", 14},
                          {"O;Mail;abc", "Mail", 0},
                          {"O;Mail;7x", "Mail", 7},
                          {"O;Mail;-1", "Mail", -1},
                          {"T;Phone;555", "Phone: 555", -1},
                          {"T;x;", "x: ", -1},
                          {"o;Low;3", "Low: 3", -1},
                          {";Empty;3", "Empty: 3", -1},
                          {"Q;a;b", "a: b", -1},
                          {"T;a;b;c", "a: b", -1},
                          {"T;name;v;with;more", "name: v", -1},
                          {"O;a;b;c", "a", 0},
                          {"O;Name;5;extra", "Name", 5}}) {
        const DecodedRecord decoded = decodeRecord(c.record);
        EXPECT_EQ(decoded.displayText, c.text) << c.record;
        EXPECT_EQ(decoded.iconIndex, c.icon) << c.record;
        EXPECT_EQ(decoded.missingField, -1) << c.record;
    }
}

TEST(NodeRecord, ShortRecordsNameTheFieldThatWasMissing) {
    struct Case {
        const char* record;
        const char* text;
        std::int32_t icon;
        int missing;
    };
    for (const Case& c : {Case{"O", "", 0, 2},
                          {"O;Name", "Name", 0, 2},
                          {"", ": ", -1, 1},
                          {"T", ": ", -1, 1},
                          {"T;x", "x: ", -1, 2},
                          {"junk", ": ", -1, 1}}) {
        const DecodedRecord decoded = decodeRecord(c.record);
        EXPECT_EQ(decoded.displayText, c.text) << c.record;
        EXPECT_EQ(decoded.iconIndex, c.icon) << c.record;
        EXPECT_EQ(decoded.missingField, c.missing) << c.record;
    }
}

}  // namespace
}  // namespace quorvia::model
