#include "net/FormField.h"

#include <gtest/gtest.h>

#include <vector>

TEST(FormField, OwnsACopyThatCopiesDuplicateAndMovesTransfer) {
    std::string text("x y&z\0tail", 10);
    FormField field = MakeFormField("b", text);
    text.assign("changed");
    EXPECT_STREQ("b", field.name);
    ASSERT_EQ(10, field.valueLength);
    EXPECT_EQ(std::string("x y&z\0tail", 10), std::string(field.value, 10));
    EXPECT_EQ('\0', field.value[10]);
    EXPECT_TRUE(field.ownsValue);

    FormField copy = field;
    EXPECT_NE(field.value, copy.value);
    EXPECT_EQ(std::string(field.value, 10), std::string(copy.value, 10));

    const char* moved = copy.value;
    FormField target = std::move(copy);
    EXPECT_EQ(moved, target.value);
    EXPECT_EQ(nullptr, copy.value);
    EXPECT_FALSE(copy.ownsValue);

    std::vector<FormField> fields;
    for (int i = 0; i < 50; ++i) fields.push_back(MakeLiteralField("k", "value"));  // reallocation moves
    for (const FormField& f : fields) EXPECT_STREQ("value", f.value);

    FormField empty = MakeLiteralField("e", "");
    EXPECT_EQ(0, empty.valueLength);
    EXPECT_STREQ("", empty.value);
}
