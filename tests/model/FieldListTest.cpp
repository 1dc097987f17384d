#include <gtest/gtest.h>

#include "model/FieldList.h"

namespace quorvia::model {
namespace {

using Fields = std::vector<std::string>;

Fields split(const std::string& text) {
    FieldList fields;
    fields.split(text);
    return fields.copyAll();
}

TEST(FieldList, SplitsAtEverySemicolon) {
    EXPECT_EQ(split("O;Contacts;3"), (Fields{"O", "Contacts", "3"}));
    EXPECT_EQ(split("T;Phone;"), (Fields{"T", "Phone", ""}));
    EXPECT_EQ(split("T;a;b;c"), (Fields{"T", "a", "b", "c"}));
    EXPECT_EQ(split(""), Fields{""});
    EXPECT_EQ(split(";"), (Fields{"", ""}));
    EXPECT_EQ(split("a;;b"), (Fields{"a", "", "b"}));
    EXPECT_EQ(split(" a\t; b "), (Fields{" a\t", " b "})) << "nothing is trimmed";
}

TEST(FieldList, EachSplitReplacesTheFieldsOfTheLast) {
    FieldList fields;
    fields.split("a;b;c;d");
    fields.split("x");
    EXPECT_EQ(fields.count(), 1);
    EXPECT_EQ(fields.field(0), "x");
    EXPECT_FALSE(fields.has(1));
}

TEST(FieldList, ReadingAnAbsentFieldIsTheListIndexError) {
    FieldList fields;
    fields.split("T;x");
    EXPECT_EQ(fields.field(1), "x");
    for (int index : {2, -1, 7}) {
        try {
            (void)fields.field(index);
            ADD_FAILURE() << "no error for " << index;
        } catch (const Error& error) {
            EXPECT_EQ(error.message(),
                      "Indice de liste hors limites (" + std::to_string(index) + ")");
        }
    }
    EXPECT_EQ(fields.fieldOrEmpty(2), "");
}

}  // namespace
}  // namespace quorvia::model
