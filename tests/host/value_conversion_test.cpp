#include "host/value_conversion.h"

#include "fmx/fmx_host.h"

#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <stdexcept>

namespace {

struct YesNoCase {
    const char16_t* text;
    YesNo expected;
};

class YesNoWords : public testing::TestWithParam<YesNoCase> {};

TEST_P(YesNoWords, ReadAsTheTableSays) {
    EXPECT_EQ(ParseYesNoWord(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    AllWordsAnyCase, YesNoWords,
    testing::Values(YesNoCase{u"TRUE", YesNo::Yes}, YesNoCase{u"true", YesNo::Yes},
                    YesNoCase{u"1", YesNo::Yes}, YesNoCase{u"Yes", YesNo::Yes},
                    YesNoCase{u"oN", YesNo::Yes}, YesNoCase{u"y", YesNo::Yes},
                    YesNoCase{u"False", YesNo::No}, YesNoCase{u"0", YesNo::No},
                    YesNoCase{u"no", YesNo::No}, YesNoCase{u"N", YesNo::No},
                    YesNoCase{u"off", YesNo::No}, YesNoCase{u"2", YesNo::Invalid},
                    YesNoCase{u"yes ", YesNo::Invalid}, YesNoCase{u" 1", YesNo::Invalid},
                    YesNoCase{u"YE", YesNo::Invalid}, YesNoCase{u"", YesNo::Invalid},
                    YesNoCase{u"oui", YesNo::Invalid}));

struct LongCase {
    const char16_t* text;
    std::int32_t expected;
};

class WideToLongRule : public testing::TestWithParam<LongCase> {};

TEST_P(WideToLongRule, TakesLeadingDigitsOnly) {
    EXPECT_EQ(WideToLong(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, WideToLongRule,
                         testing::Values(LongCase{u"12", 12}, LongCase{u"   7abc", 7},
                                         LongCase{u"\t\n-3x", -3}, LongCase{u"+5", 5},
                                         LongCase{u"abc12", 0}, LongCase{u"", 0},
                                         LongCase{u"- 4", 0}, LongCase{u"3.9", 3},
                                         LongCase{u"0012", 12}, LongCase{u"99999999999", INT32_MAX},
                                         LongCase{u"-99999999999", INT32_MIN},
                                         LongCase{u"-2147483648", INT32_MIN}));

TEST(CaseInsensitiveEquality, FoldsLatinLettersOnly) {
    EXPECT_TRUE(EqualsIgnoringCase(u"long", u"LONG"));
    EXPECT_TRUE(EqualsIgnoringCase(u"Number", u"nUMBER"));
    EXPECT_TRUE(EqualsIgnoringCase(u"\u00e9t\u00e9", u"\u00c9T\u00c9"));
    EXPECT_FALSE(EqualsIgnoringCase(u"long", u"longer"));
    EXPECT_FALSE(EqualsIgnoringCase(u"[", u"{")); // 0x5B and 0x7B are not letters
}

// Parameters built through the host library, as a host passes them.
class HostParameters : public testing::Test {
protected:
    std::unique_ptr<FMX_DataVect, void (*)(FMX_DataVect*)> params{FMXHost_DataVect_New(),
                                                                  FMXHost_DataVect_Delete};
    void TearDown() override { FMXHost_ClearInjectedError(); }
};

TEST_F(HostParameters, TextNumbersAndEmptinessReadAsExpected) {
    FMXHost_DataVect_PushTextUtf8(params.get(), "");
    FMXHost_DataVect_PushTextUtf8(params.get(), "2.7");
    FMXHost_DataVect_PushNumber(params.get(), -2000);
    FMXHost_DataVect_PushTextUtf8(params.get(), "Grüße \xF0\x9F\x98\x80");
    ASSERT_EQ(ParamCount(params.get()), 4u);
    EXPECT_FALSE(ParamAsWide(params.get(), 0).has_value());
    EXPECT_EQ(ParamAsWide(params.get(), 1), u"2.7");
    EXPECT_EQ(ParamAsLong(params.get(), 1), 2);
    EXPECT_TRUE(ParamAsBool(params.get(), 1));
    EXPECT_FALSE(ParamAsBool(params.get(), 0));
    EXPECT_EQ(ParamAsWide(params.get(), 2), u"-2000");
    EXPECT_EQ(ParamAsLong(params.get(), 2), -2000);
    EXPECT_EQ(ParamAsWide(params.get(), 3), u"Grüße \U0001F600");
}

TEST_F(HostParameters, HostFailuresBecomeStandardExceptions) {
    FMXHost_DataVect_PushTextUtf8(params.get(), "x");
    FMXHost_InjectError("FM_Text_GetUnicode", FMX_ERR_OUT_OF_MEMORY, 0);
    EXPECT_THROW(ParamAsWide(params.get(), 0), std::bad_alloc);
    FMXHost_InjectError("FM_DataVect_Size", FMX_ERR_UNKNOWN, 0);
    EXPECT_THROW(ParamCount(params.get()), std::runtime_error);
    FMXHost_InjectError("FM_Text_Constructor1", FMX_ERR_OUT_OF_MEMORY, 0);
    EXPECT_THROW(HostText(), std::bad_alloc);
    // Codes other than 1 and 2 are ignored.
    FMXHost_InjectError("FM_DataVect_Size", 7, 0);
    EXPECT_EQ(ParamCount(params.get()), 0u); // the failed call's own answer is used
}

TEST(HostResults, NumberAndDateResultsReadBack) {
    std::unique_ptr<FMX_Data, void (*)(FMX_Data*)> data{FMXHost_Data_New(), FMXHost_Data_Delete};
    SetNumberResult(data.get(), -2000);
    EXPECT_EQ(FMXHost_Data_GetType(data.get()), FMX_DATA_TYPE_NUMBER);
    EXPECT_EQ(FMXHost_Data_GetNumber(data.get()), -2000.0);

    SetDateResult(data.get(), 2020, 13, 1, 25, 0, 0); // month 13, hour 25: carries over
    FMXHost_DateTimeParts parts{};
    ASSERT_TRUE(FMXHost_Data_GetDateTime(data.get(), &parts));
    EXPECT_EQ(parts.year, 2021);
    EXPECT_EQ(parts.month, 1);
    EXPECT_EQ(parts.day, 2);
    EXPECT_EQ(parts.hour, 1);

    HostText output;
    SetTextResult(data.get(), output, u"0");
    EXPECT_EQ(FMXHost_Data_GetType(data.get()), FMX_DATA_TYPE_TEXT);
}

} // namespace
