// The label table behind GetMemberID and the store's duplicate check.

#include "server/local/label_index.h"

#include "server/local/huge_pages.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

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

// An index over labels it does not copy: growing, finding and refusing a second spelling
// all read the labels where they are kept, as the readers of a million members do.
TEST(LocalLabelIndex, IndexesLabelsKeptElsewhere) {
    std::vector<QString> labels;
    LabelIndex index(
        [&labels](int32_t id) -> const QString& { return labels[static_cast<size_t>(id)]; }, 4);
    for (int i = 0; i < 20000; ++i) {
        labels.push_back(QStringLiteral("Member%1").arg(i));
        ASSERT_EQ(index.Insert(labels.back(), i), -1);
    }
    EXPECT_EQ(index.Insert("MEMBER17", 20000), 17);
    EXPECT_EQ(index.Find("member19999"), 19999);
    EXPECT_EQ(index.Find("Member"), -1);
    EXPECT_EQ(index.size(), 20000u);
}

TEST(LocalLargeBlock, KeepsWhatItHeldAsItGrowsFarAndIsReservedAgain) {
    LargeBlock block;
    EXPECT_EQ(block.data(), nullptr);
    block.Reserve(10);
    ASSERT_GE(block.capacity(), 10u);
    std::memcpy(block.data(), "0123456789", 10);
    // Several times over, far beyond the first mapping, as a million labels grow it.
    for (size_t bytes = size_t{3} << 20; bytes <= (size_t{48} << 20); bytes *= 2) {
        const size_t before = block.capacity();
        block.Reserve(bytes);
        ASSERT_GE(block.capacity(), bytes);
        block.data()[bytes - 1] = 'x';
        block.data()[before - 1] = 'y';
        EXPECT_EQ(std::memcmp(block.data(), "0123456789", 10), 0);
    }
    const size_t capacity = block.capacity();
    block.Reserve(5);
    EXPECT_EQ(block.capacity(), capacity);
    EXPECT_EQ(block.data()[(size_t{48} << 20) - 1], 'x');
    // Advice on a range without a whole huge page, or on none, changes nothing.
    AdviseHugePages(block.data() + 1, 100);
    AdviseHugePages(nullptr, size_t{8} << 20);
    EXPECT_EQ(std::memcmp(block.data(), "0123456789", 10), 0);
}

}  // namespace
}  // namespace tarsel::local
