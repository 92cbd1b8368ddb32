// The field cache on its own: look-up by exact name, the stored order, what a
// replaced name keeps, and the bucket count the enumeration asks for.
#include "session/field_cache.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Stored {
    std::u16string name;
    int tag; // tells the stored fields apart
};

struct OrderRow {
    const char* name;
    std::vector<Stored> stores;
    std::vector<std::u16string> listed; // in order
    std::u16string lookup;
    int foundTag; // -1: not found
};

class FieldCacheOrder : public ::testing::TestWithParam<OrderRow> {};

TEST_P(FieldCacheOrder, ListsInStoredOrderAndFindsExactNames) {
    const OrderRow& row = GetParam();
    FieldCache cache;
    std::vector<const CFieldObj*> objects;
    for (const Stored& stored : row.stores) {
        auto field = std::make_unique<CFieldObj>();
        objects.push_back(field.get());
        cache.Store(stored.name, std::move(field));
    }
    std::vector<std::u16string> listed;
    for (const auto& entry : cache) {
        listed.push_back(entry.first);
    }
    EXPECT_EQ(listed, row.listed);
    EXPECT_EQ(cache.Size(), row.listed.size());
    const CFieldObj* found = cache.Find(row.lookup);
    if (row.foundTag < 0) {
        EXPECT_EQ(found, nullptr);
    } else {
        EXPECT_EQ(found, objects.at(static_cast<std::size_t>(row.foundTag)));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FieldCacheOrder,
    ::testing::Values(OrderRow{"NotSorted",
                               {{u"zip", 0}, {u"address", 1}, {u"name", 2}},
                               {u"zip", u"address", u"name"},
                               u"address",
                               1},
                      // The later field wins, the name stays where it first appeared.
                      OrderRow{"ReplacedNameKeepsItsPlace",
                               {{u"A", 0}, {u"B", 1}, {u"A", 2}, {u"C", 3}},
                               {u"A", u"B", u"C"},
                               u"A",
                               2},
                      OrderRow{"CaseMatters", {{u"Name", 0}}, {u"Name"}, u"name", -1},
                      OrderRow{"DotsAreNotSplit",
                               {{u"form.name", 0}, {u"form", 1}},
                               {u"form.name", u"form"},
                               u"form.name",
                               0},
                      OrderRow{"Empty", {}, {}, u"A", -1}),
    [](const ::testing::TestParamInfo<OrderRow>& info) { return std::string(info.param.name); });

TEST(FieldCache, BucketCountIsSetBeforeFillingAndSurvivesZero) {
    FieldCache cache;
    cache.Rehash(12); // 10 fields x 1.25
    EXPECT_GE(cache.BucketCount(), 12u);
    for (int i = 0; i < 10; ++i) {
        cache.Store(u"f" + std::u16string(1, static_cast<char16_t>(u'0' + i)),
                    std::make_unique<CFieldObj>());
    }
    EXPECT_GE(cache.BucketCount(), 12u);

    // No fields give no buckets asked for; look-ups still answer.
    FieldCache none;
    none.Rehash(0);
    EXPECT_EQ(none.Find(u"x"), nullptr);
    EXPECT_TRUE(none.Empty());
}

TEST(FieldCache, ClearForgetsEveryName) {
    FieldCache cache;
    cache.Store(u"A", std::make_unique<CFieldObj>());
    cache.Clear();
    EXPECT_TRUE(cache.Empty());
    EXPECT_EQ(cache.Find(u"A"), nullptr);
    cache.Store(u"B", std::make_unique<CFieldObj>());
    ASSERT_EQ(cache.Size(), 1u);
    EXPECT_EQ(cache.begin()->first, u"B");
}

} // namespace
