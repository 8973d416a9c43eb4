// The label table behind GetMemberID and the store's duplicate check.

#include "server/local/label_index.h"

#include <gtest/gtest.h>

namespace tarsel::local {
namespace {

TEST(LocalLabelIndex, FindsLabelsWithoutRegardToCaseAndKeepsTheFirst) {
    LabelIndex index;
    EXPECT_EQ(index.Insert("Straße", 0), -1);
    EXPECT_EQ(index.Insert("ÉCOLE", 1), -1);
    EXPECT_EQ(index.Insert("a;b", 2), -1);
    EXPECT_EQ(index.Insert("STRASSE", 3), -1);  // a different length is another label
    EXPECT_EQ(index.Insert("straße", 4), 0);
    EXPECT_EQ(index.Find("école"), 1);
    EXPECT_EQ(index.Find("A;B"), 2);
    EXPECT_EQ(index.Find("a;"), -1);
    EXPECT_EQ(index.Find(""), -1);
    EXPECT_EQ(index.size(), 4u);
}

TEST(LocalLabelIndex, GrowsPastItsFirstSizeWithoutLosingLabels) {
    LabelIndex index(4);
    for (int i = 0; i < 20000; ++i) {
        ASSERT_EQ(index.Insert(QStringLiteral("Member%1").arg(i), i), -1);
    }
    for (int i = 0; i < 20000; i += 7) {
        ASSERT_EQ(index.Find(QStringLiteral("mEMBER%1").arg(i)), i);
    }
    EXPECT_EQ(index.Find("Member20000"), -1);
}

}  // namespace
}  // namespace tarsel::local
