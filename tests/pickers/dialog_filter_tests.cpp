#include "win/dialog_filter.h"

#include <gtest/gtest.h>

namespace {

using paginor::win::DialogFileFilter;
using paginor::win::ParseDialogFilter;

struct FilterCase {
    const char* label;
    std::u16string text;
    std::vector<std::pair<std::u16string, std::vector<std::u16string>>> expected;
};

class DialogFilterTest : public testing::TestWithParam<FilterCase> {};

TEST_P(DialogFilterTest, ParsesNamePatternPairs) {
    const std::vector<DialogFileFilter> filters = ParseDialogFilter(GetParam().text);
    ASSERT_EQ(filters.size(), GetParam().expected.size());
    for (std::size_t i = 0; i < filters.size(); ++i) {
        EXPECT_EQ(filters[i].name, GetParam().expected[i].first);
        EXPECT_EQ(filters[i].patterns, GetParam().expected[i].second);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DialogFilterTest,
    testing::Values(
        FilterCase{
            "single", u"Acrobat Files (*.PDF)|*.pdf", {{u"Acrobat Files (*.PDF)", {u"*.pdf"}}}},
        FilterCase{"two_with_terminator",
                   u"Docs|*.pdf;*.fdf|All|*.*||",
                   {{u"Docs", {u"*.pdf", u"*.fdf"}}, {u"All", {u"*.*"}}}},
        FilterCase{"empty", u"", {}}, FilterCase{"name_only", u"Docs", {}},
        FilterCase{"double_bar_ends_list", u"Docs||All|*.*", {}},
        FilterCase{"pattern_list_with_gap", u"Docs|*.a;;*.b", {{u"Docs", {u"*.a", u"*.b"}}}}),
    [](const auto& info) { return std::string(info.param.label); });

} // namespace
