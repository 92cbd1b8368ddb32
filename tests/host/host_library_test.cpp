// The host library's own choices (platform/fmx/README.md), as a plug-in sees them.
#include "fmx/fmx_host.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

using DataVectPtr = std::unique_ptr<FMX_DataVect, void (*)(FMX_DataVect*)>;
using DataPtr = std::unique_ptr<FMX_Data, void (*)(FMX_Data*)>;

DataVectPtr NewParams() {
    return {FMXHost_DataVect_New(), FMXHost_DataVect_Delete};
}
DataPtr NewResult() {
    return {FMXHost_Data_New(), FMXHost_Data_Delete};
}

struct TextNumberCase {
    const char* text;
    double number;
    int32_t asLong;
    bool asBoolean;
};

class TextAsNumber : public testing::TestWithParam<TextNumberCase> {};

TEST_P(TextAsNumber, ReadsAsADatabaseUserExpects) {
    const TextNumberCase& c = GetParam();
    DataVectPtr params = NewParams();
    FMXHost_DataVect_PushTextUtf8(params.get(), c.text);
    FMX_ErrorContainer err{1, 0};
    const FMX_FixPt* number = FM_DataVect_AtAsNumber(params.get(), 0, &err);
    EXPECT_DOUBLE_EQ(FM_FixPt_AsDouble(number, &err), c.number);
    EXPECT_EQ(FM_FixPt_AsLong(number, &err), c.asLong);
    EXPECT_EQ(FM_DataVect_AtAsBoolean(params.get(), 0, &err), c.asBoolean);
    EXPECT_EQ(err.code, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TextAsNumber,
    testing::Values(TextNumberCase{"2.7", 2.7, 2, true}, TextNumberCase{"-2.7", -2.7, -2, true},
                    TextNumberCase{"-12 apples", -12, -12, true},
                    TextNumberCase{"a1b2", 12, 12, true}, TextNumberCase{"abc", 0, 0, false},
                    TextNumberCase{"yes", 0, 0, false}, TextNumberCase{"", 0, 0, false},
                    TextNumberCase{".5", 0.5, 0, true}, TextNumberCase{"1.2.3", 1.23, 1, true},
                    TextNumberCase{"99999999999", 99999999999.0, INT32_MAX, true}));

struct DateCase {
    int16_t month, day, year;
    int64_t hour;
    int16_t minute, second;
    const char* text;
};

class CalendarNormalisation : public testing::TestWithParam<DateCase> {};

TEST_P(CalendarNormalisation, CarriesOverLikeACalendar) {
    const DateCase& c = GetParam();
    FMX_DateTime* dateTime = FM_DateTime_Constructor1(nullptr);
    FM_DateTime_SetNormalizedDate1(dateTime, c.month, c.day, c.year, nullptr);
    FM_DateTime_SetNormalizedTime1(dateTime, c.hour, c.minute, c.second, 0, nullptr);
    DataPtr result = NewResult();
    EXPECT_EQ(FM_Data_SetAsDate(result.get(), dateTime, FMX_DATA_TYPE_DATE, nullptr), 0);
    FM_DateTime_Delete(dateTime, nullptr);
    std::u16string text(FMXHost_Data_GetText(result.get(), nullptr, 0), u'\0');
    FMXHost_Data_GetText(result.get(), text.data(), text.size());
    EXPECT_EQ(std::string(text.begin(), text.end()), c.text);
}

INSTANTIATE_TEST_SUITE_P(Dates, CalendarNormalisation,
                         testing::Values(DateCase{3, 15, 2020, 10, 15, 20, "2020-03-15 10:15:20"},
                                         DateCase{13, 1, 2020, 0, 0, 0, "2021-01-01 00:00:00"},
                                         DateCase{0, 1, 2020, 0, 0, 0, "2019-12-01 00:00:00"},
                                         DateCase{3, 0, 2020, 0, 0, 0, "2020-02-29 00:00:00"},
                                         DateCase{2, 29, 2021, 0, 0, 0, "2021-03-01 00:00:00"},
                                         DateCase{12, 31, 1999, 24, 0, 0, "2000-01-01 00:00:00"},
                                         DateCase{1, 1, 2000, 0, 0, -1, "1999-12-31 23:59:59"},
                                         DateCase{1, 1, 2000, 0, 90, 0, "2000-01-01 01:30:00"}));

TEST(HostTexts, FindDeleteAndGetBehaveAtTheEdges) {
    FMX_Text* text = FM_Text_Constructor1(nullptr);
    FMX_Text* paren = FM_Text_Constructor1(nullptr);
    FM_Text_Assign(text, "QELT_Version( type )", FMX_TEXT_ENCODING_ASCII, nullptr);
    FM_Text_Assign(paren, "(", FMX_TEXT_ENCODING_ASCII, nullptr);
    EXPECT_EQ(FM_Text_Find(text, paren, 0, nullptr), 12u);
    EXPECT_EQ(FM_Text_Find(text, paren, 13, nullptr), FMX_TEXT_NOT_FOUND);
    FM_Text_DeleteText(text, 12, 1000, nullptr); // clipped to the text
    EXPECT_EQ(FM_Text_GetSize(text, nullptr), 12u);
    char16_t small[4] = {u'x', u'x', u'x', u'x'};
    FM_Text_GetUnicode(text, small, 0, 4, nullptr); // no room for the terminator
    EXPECT_EQ(std::u16string(small, 4), u"QELT");
    FM_Text_Delete(text, nullptr);
    FM_Text_Delete(paren, nullptr);
}

int16_t Echo(int16_t, const FMX_ExprEnv*, const FMX_DataVect* params, FMX_Data* result) {
    FMX_ErrorContainer err{1, 0};
    const FMX_Text* first = FM_DataVect_AtAsText(params, 0, &err);
    FM_Data_SetAsText(result, first, FM_Data_GetLocale(result, &err), FMX_DATA_TYPE_TEXT, &err);
    return 7;
}

TEST(HostFunctionTable, RegistersReplacesFindsCallsAndUnregisters) {
    FMXHost_ClearRegistry();
    FMX_QuadChar* id = FM_QuadChar_Constructor2('T', 'E', 'S', 'T', nullptr);
    FMX_Text* name = FM_Text_Constructor1(nullptr);
    FM_Text_Assign(name, "Echo", FMX_TEXT_ENCODING_ASCII, nullptr);
    EXPECT_EQ(FM_ExprEnv_RegisterExternalFunction(id, 5, name, nullptr, 0, 1, 0, Echo, nullptr), 0);
    EXPECT_EQ(FM_ExprEnv_RegisterExternalFunction(id, 5, name, name, 1, 1, 0xFF01, Echo, nullptr),
              0);
    ASSERT_EQ(FMXHost_FunctionCount(), 1u); // replaced, not added

    FMXHost_FunctionInfo info{};
    ASSERT_TRUE(FMXHost_FindFunctionUtf8("ECHO", &info));
    EXPECT_STREQ(info.pluginId, "TEST");
    EXPECT_EQ(info.minArgs, 1);
    EXPECT_EQ(info.flags, 0xFF01u);

    DataVectPtr params = NewParams();
    DataPtr result = NewResult();
    int16_t hostError = 0;
    EXPECT_EQ(FMXHost_CallFunction(&info, params.get(), result.get(), &hostError),
              FMXHOST_CALL_BAD_PARAMETER_COUNT);
    FMXHost_DataVect_PushTextUtf8(params.get(), "hi");
    EXPECT_EQ(FMXHost_CallFunction(&info, params.get(), result.get(), &hostError), FMXHOST_CALL_OK);
    EXPECT_EQ(hostError, 7);
    EXPECT_EQ(FMXHost_Data_GetType(result.get()), FMX_DATA_TYPE_TEXT);

    EXPECT_EQ(FM_ExprEnv_UnRegisterExternalFunction(id, 5, nullptr), 0);
    EXPECT_NE(FM_ExprEnv_UnRegisterExternalFunction(id, 5, nullptr), 0);
    EXPECT_EQ(FMXHost_FunctionCount(), 0u);
    FM_Text_Delete(name, nullptr);
    FM_QuadChar_Delete(id, nullptr);
}

TEST(HostFaultInjection, FiresOnceAfterSkippingAndOnlyForTheNamedCall) {
    FMXHost_InjectError("FM_Text_GetSize", FMX_ERR_UNKNOWN, 1);
    FMX_Text* text = FM_Text_Constructor1(nullptr); // another call: unaffected
    ASSERT_NE(text, nullptr);
    FMX_ErrorContainer err{1, 0};
    FM_Text_GetSize(text, &err);
    EXPECT_EQ(err.code, 0); // skipped
    FM_Text_GetSize(text, &err);
    EXPECT_EQ(err.code, FMX_ERR_UNKNOWN);
    err.code = 0;
    FM_Text_GetSize(text, &err);
    EXPECT_EQ(err.code, 0); // spent
    FMXHost_InjectError(nullptr, FMX_ERR_OUT_OF_MEMORY, 0);
    EXPECT_EQ(FM_Text_Constructor1(&err), nullptr);
    EXPECT_EQ(err.code, FMX_ERR_OUT_OF_MEMORY);
    FM_Text_Delete(text, nullptr);
}

} // namespace
