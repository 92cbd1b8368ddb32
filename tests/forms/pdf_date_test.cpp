// PDF date texts read field by field, before the host makes a date-time of
// them (which normalises out-of-range fields, so they are checked here).
#include "forms/pdf_date.h"

#include <gtest/gtest.h>

#include <ostream>

void PrintTo(const PdfDateFields& d, std::ostream* out) {
    *out << d.year << '-' << d.month << '-' << d.day << ' ' << d.hour << ':' << d.minute << ':'
         << d.second;
}

namespace {

struct DateCase {
    const char* label;
    std::u16string text;
    PdfDateFields expected;
};

class PdfDateParsing : public ::testing::TestWithParam<DateCase> {};

TEST_P(PdfDateParsing, ReadsFieldsByPosition) {
    EXPECT_EQ(ParsePdfDate(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PdfDateParsing,
    ::testing::Values(
        DateCase{"full_with_zone", u"D:20200315101520+01'00'", {2020, 3, 15, 10, 15, 20}},
        DateCase{"zone_z", u"D:20200315101520Z", {2020, 3, 15, 10, 15, 20}},
        DateCase{"minutes_only", u"D:202003151015", {2020, 3, 15, 10, 15, 0}},
        DateCase{"odd_length_drops_half_field", u"D:2020031", {2020, 3, 1, 0, 0, 0}},
        DateCase{"month_out_of_range_kept", u"D:20201332", {2020, 13, 32, 0, 0, 0}},
        DateCase{"signed_field", u"D:2020-1", {2020, -1, 1, 0, 0, 0}},
        DateCase{"blank_before_digit", u"D:2020 5 6", {2020, 5, 6, 0, 0, 0}},
        DateCase{"letters_read_as_zero", u"D:2020ab", {2020, 0, 1, 0, 0, 0}},
        DateCase{"short_year", u"D:99", {99, 1, 1, 0, 0, 0}},
        DateCase{"lower_case_d_is_not_a_prefix", u"d:2020", {0, 20, 1, 0, 0, 0}},
        DateCase{"only_prefix", u"D", {0, 1, 1, 0, 0, 0}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(PdfDateEntry, OnlyLongDateEntriesConvert) {
    EXPECT_TRUE(IsConvertibleDateEntry(u"CreationDate", u"D:20"));
    EXPECT_TRUE(IsConvertibleDateEntry(u"ModDate", u"2021"));
    EXPECT_FALSE(IsConvertibleDateEntry(u"ModDate", u"D:2"));
    EXPECT_FALSE(IsConvertibleDateEntry(u"CreationDate", u"!!ERROR!!"));
    EXPECT_FALSE(IsConvertibleDateEntry(u"creationdate", u"D:2020"));
    EXPECT_FALSE(IsConvertibleDateEntry(u"Title", u"D:2020"));
}

} // namespace
