// The framework's filter text, read into name and pattern pairs and packed
// for the common file dialog (the Windows build's file dialog hands the
// packed form to GetOpenFileNameW, which reads up to the double NUL).
#include "win/dialog_filter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using paginor::win::CommonDialogFilter;
using paginor::win::ParseDialogFilter;

// The packed text with each NUL shown as '0', so that a failure reads.
std::u16string Shown(std::u16string packed) {
    for (char16_t& unit : packed) {
        if (unit == u'\0') {
            unit = u'0';
        }
    }
    return packed;
}

struct FilterCase {
    const char* name;
    std::u16string filter;
    std::u16string packed; // NULs shown as '0'
    std::size_t pairs;
};

class DialogFilters : public testing::TestWithParam<FilterCase> {};

TEST_P(DialogFilters, PackAsTheCommonDialogReadsThem) {
    const FilterCase& c = GetParam();
    EXPECT_EQ(Shown(CommonDialogFilter(c.filter)), c.packed);
    EXPECT_EQ(ParseDialogFilter(c.filter).size(), c.pairs);
}

INSTANTIATE_TEST_SUITE_P(
    Filters, DialogFilters,
    testing::Values(FilterCase{"PdfFilter", u"Acrobat Files (*.PDF)|*.pdf",
                               u"Acrobat Files (*.PDF)0*.pdf00", 1},
                    FilterCase{"EndedByBars", u"PDF|*.pdf||", u"PDF0*.pdf00", 1},
                    FilterCase{"TwoPairs", u"PDF|*.pdf|All|*.*||", u"PDF0*.pdf0All0*.*00", 2},
                    FilterCase{"PatternsJoined", u"Forms|*.pdf;*.fdf;;*.xfdf",
                               u"Forms0*.pdf;*.fdf;*.xfdf00", 1},
                    // "||" ends the list even where more follows.
                    FilterCase{"StopsAtTheFirstEmptyField", u"PDF|*.pdf||All|*.*", u"PDF0*.pdf00",
                               1},
                    // A name whose patterns are all empty is dropped.
                    FilterCase{"NameWithoutPatterns", u"None|;|PDF|*.pdf", u"PDF0*.pdf00", 1},
                    // No usable pair: no filter at all, not a lone NUL.
                    FilterCase{"Empty", u"", u"", 0}, FilterCase{"NameOnly", u"PDF", u"", 0},
                    FilterCase{"DanglingName", u"PDF|*.pdf|All", u"PDF0*.pdf00", 1}),
    [](const testing::TestParamInfo<FilterCase>& info) { return info.param.name; });

TEST(DialogFilters, KeepNamesAndPatternsApart) {
    const auto filters = ParseDialogFilter(u"Acrobat Files (*.PDF)|*.pdf;*.PDF|All|*.*");
    ASSERT_EQ(filters.size(), 2u);
    EXPECT_EQ(filters[0].name, u"Acrobat Files (*.PDF)");
    EXPECT_EQ(filters[0].patterns, (std::vector<std::u16string>{u"*.pdf", u"*.PDF"}));
    EXPECT_EQ(filters[1].name, u"All");
    EXPECT_EQ(filters[1].patterns, (std::vector<std::u16string>{u"*.*"}));
}

} // namespace
