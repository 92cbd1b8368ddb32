// The document-information functions: keys, dates as host date-times, and
// every failure.
#include "form_test_support.h"

#include <functional>

namespace {

void Nothing(SessionFixture&) {}
void OpenFirst(SessionFixture& session) {
    ASSERT_EQ(session.Open(), "0");
}

struct DateRow {
    std::string name;
    std::u16string entry;
    // Expected date-time (year, month, day, hour, minute, second), or the text
    // when the entry comes back as text.
    std::optional<std::array<int, 6>> date;
};

class DateEntry : public ::testing::TestWithParam<DateRow> {};

TEST_P(DateEntry, ComesBackAsHostDateTimeOrText) {
    for (const char* key : {"CreationDate", "ModDate"}) {
        SessionFixture session;
        ASSERT_TRUE(session.Start());
        OpenFirst(session);
        Script().SetDocInfo(plugin_host::Utf16(key), GetParam().entry);
        const plugin_host::CallResult result = CallWith(session, "QELT_GetPDFInfo", {key});
        EXPECT_EQ(LastError(session), "0 Success");
        if (!GetParam().date) {
            EXPECT_EQ(result.type, FMX_DATA_TYPE_TEXT) << key;
            EXPECT_EQ(result.text, GetParam().entry) << key;
            continue;
        }
        ASSERT_EQ(result.type, FMX_DATA_TYPE_DATE) << key;
        ASSERT_TRUE(result.date.has_value());
        const FMXHost_DateTimeParts& d = *result.date;
        EXPECT_EQ((std::array<int, 6>{d.year, d.month, d.day, d.hour, d.minute, d.second}),
                  *GetParam().date)
            << key;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Entries, DateEntry,
    ::testing::Values(
        // The time-zone part is ignored.
        DateRow{"Full", u"D:20200315101520+01'00'", std::array{2020, 3, 15, 10, 15, 20}},
        DateRow{"YearOnly", u"D:2020", std::array{2020, 1, 1, 0, 0, 0}},
        DateRow{"WithoutPrefix", u"2021", std::array{2021, 1, 1, 0, 0, 0}},
        DateRow{"DateAndHour", u"D:1999123123", std::array{1999, 12, 31, 23, 0, 0}},
        // A leading D loses two characters whatever the second one is.
        DateRow{"DWithoutColon", u"DX20200315", std::array{2020, 3, 15, 0, 0, 0}},
        DateRow{"ThreeCharacters", u"D:2", std::nullopt}, DateRow{"Empty", u"", std::nullopt}),
    [](const auto& info) { return info.param.name; });

struct InfoRow {
    std::string name;
    std::string function;
    std::vector<std::string> params;
    std::function<void(SessionFixture&)> arrange;
    std::string result;
    std::string error;
};

const std::vector<InfoRow>& Rows() {
    static const std::vector<InfoRow> rows = {
        {"ReadTitle",
         "QELT_GetPDFInfo",
         {"Title"},
         [](SessionFixture& session) {
             OpenFirst(session);
             Script().SetDocInfo(u"Title", u"Annual report");
         },
         "Annual report",
         "0 Success"},
        {"ReadAbsentEntry",
         "QELT_GetPDFInfo",
         {"Keywords"},
         [](SessionFixture& session) { OpenFirst(session); },
         "",
         "0 Success"},
        {"KeyInLowerCase",
         "QELT_GetPDFInfo",
         {"title"},
         OpenFirst,
         "!!ERROR!!",
         "-2001 Invalid Info Item name"},
        {"UnknownKey",
         "QELT_GetPDFInfo",
         {"Pages"},
         OpenFirst,
         "!!ERROR!!",
         "-2001 Invalid Info Item name"},
        {"EmptyKeyWithDocument",
         "QELT_GetPDFInfo",
         {""},
         OpenFirst,
         "!!ERROR!!",
         "-2001 Invalid Info Item name"},
        {"EmptyKeyWithoutDocument",
         "QELT_GetPDFInfo",
         {""},
         Nothing,
         "!!ERROR!!",
         "-2000 No PDF Document opened"},
        {"ReadWithoutDocument",
         "QELT_GetPDFInfo",
         {"Title"},
         Nothing,
         "!!ERROR!!",
         "-2000 No PDF Document opened"},
        {"ReadFails",
         "QELT_GetPDFInfo",
         {"CreationDate"},
         [](SessionFixture& session) {
             OpenFirst(session);
             Script().on("PDDoc.GetInfo").failWithInfo(E_FAIL, u"no info");
         },
         "!!ERROR!!",
         "-999 COM ExceptionError:80004005 Description: no info"},
        {"WriteAuthor", "QELT_SetPDFInfo", {"Author", "Ann"}, OpenFirst, "0", "0 Success"},
        {"WriteCreationDate",
         "QELT_SetPDFInfo",
         {"CreationDate", "D:2020"},
         OpenFirst,
         "!!ERROR!!",
         "-2001 Invalid Info Item name"},
        {"WriteModDate",
         "QELT_SetPDFInfo",
         {"ModDate", "D:2020"},
         OpenFirst,
         "!!ERROR!!",
         "-2001 Invalid Info Item name"},
        {"WriteEmptyKey",
         "QELT_SetPDFInfo",
         {"", "x"},
         Nothing,
         "!!ERROR!!",
         "-4 Invalid Parameter value(s)"},
        {"WriteEmptyKeyWithDocument",
         "QELT_SetPDFInfo",
         {"", "x"},
         OpenFirst,
         "!!ERROR!!",
         "-4 Invalid Parameter value(s)"},
        {"WriteWithoutDocument",
         "QELT_SetPDFInfo",
         {"Title", "x"},
         Nothing,
         "!!ERROR!!",
         "-2000 No PDF Document opened"},
        // A refused write is a failure, not an empty text that reads as success.
        {"WriteRefused",
         "QELT_SetPDFInfo",
         {"Title", "x"},
         [](SessionFixture& session) {
             OpenFirst(session);
             Script().on("PDDoc.SetInfo").answerFalse();
         },
         "!!ERROR!!",
         "-2022 Unable to set the document information"},
        {"WriteFails",
         "QELT_SetPDFInfo",
         {"Title", "x"},
         [](SessionFixture& session) {
             OpenFirst(session);
             Script().on("PDDoc.SetInfo").fail(E_FAIL);
         },
         "!!ERROR!!",
         "-999 COM ExceptionError:80004005 Description: "},
    };
    return rows;
}

void PrintTo(const InfoRow& row, std::ostream* out) {
    *out << row.name;
}

class DocumentInfo : public ::testing::TestWithParam<InfoRow> {};

TEST_P(DocumentInfo, ReadsAndWrites) {
    const InfoRow& row = GetParam();
    SessionFixture session;
    ASSERT_TRUE(session.Start());
    row.arrange(session);
    ASSERT_FALSE(HasFatalFailure());
    const plugin_host::CallResult result =
        row.params.size() == 1 ? session.Host().Call(row.function, {row.params[0]})
                               : session.Host().Call(row.function, {row.params[0], row.params[1]});
    EXPECT_EQ(result.type, FMX_DATA_TYPE_TEXT);
    EXPECT_EQ(TextOf(result), row.result);
    EXPECT_EQ(LastError(session), row.error);
}

INSTANTIATE_TEST_SUITE_P(Rows, DocumentInfo, ::testing::ValuesIn(Rows()),
                         [](const auto& info) { return info.param.name; });

TEST(DocumentInfoWrite, EmptyValueWritesAnEmptyEntry) {
    SessionFixture session;
    ASSERT_TRUE(session.Start());
    OpenFirst(session);
    Script().SetDocInfo(u"Subject", u"old");
    EXPECT_EQ(TextOf(CallWith(session, "QELT_SetPDFInfo", {"Subject", ""})), "0");
    EXPECT_EQ(Script().DocInfo(u"Subject"), std::optional<std::u16string>(u""));
}

} // namespace
