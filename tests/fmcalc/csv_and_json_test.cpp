#include "csv_reader.h"
#include "json_output.h"
#include "unicode_text.h"

#include <gtest/gtest.h>

namespace fmcalc {
namespace {

std::vector<CsvRecord> read_all(std::string_view text) {
    CsvReader reader(text);
    std::vector<CsvRecord> records;
    while (auto r = reader.next())
        records.push_back(std::move(*r));
    return records;
}

TEST(CsvReader, WellFormedInput) {
    using Rows = std::vector<std::vector<std::string>>;
    const struct {
        const char* name;
        std::string text;
        Rows rows;
    } cases[] = {
        {"plain LF", "a,b\n1,2\n", {{"a", "b"}, {"1", "2"}}},
        {"CRLF, no final newline", "a,b\r\n1,2", {{"a", "b"}, {"1", "2"}}},
        {"quoted comma and quote", "\"x,y\",\"say \"\"hi\"\"\"\n", {{"x,y", "say \"hi\""}}},
        {"line break inside quotes", "\"one\r\ntwo\",b\n", {{"one\r\ntwo", "b"}}},
        {"empty fields", ",,\n\"\",x\n", {{"", "", ""}, {"", "x"}}},
        {"blank lines skipped", "a\n\n\r\nb\n", {{"a"}, {"b"}}},
        {"byte-order mark",
         "\xEF\xBB\xBF"
         "a,b\n",
         {{"a", "b"}}},
        {"lone CR stays data", "a\rb,c\n", {{"a\rb", "c"}}},
    };
    for (const auto& c : cases) {
        Rows rows;
        for (const auto& r : read_all(c.text)) {
            EXPECT_TRUE(r.error.empty()) << c.name << ": " << r.error;
            rows.push_back(r.fields);
        }
        EXPECT_EQ(rows, c.rows) << c.name;
    }
}

TEST(CsvReader, MalformedRecordsAreFlaggedAndReadingGoesOn) {
    const auto records = read_all("h1,h2\nab\"c,d\n\"x\"y,z\nok,1\n\"open,2\nnot lost,3\n");
    ASSERT_EQ(records.size(), 6u);
    EXPECT_EQ(records[1].error, "a quote inside an unquoted field");
    EXPECT_EQ(records[1].line, 2u);
    EXPECT_EQ(records[2].error, "text after a closing quote");
    EXPECT_TRUE(records[3].error.empty());
    EXPECT_EQ(records[3].fields, (std::vector<std::string>{"ok", "1"}));
    EXPECT_EQ(records[4].line, 5u);
    EXPECT_NE(records[4].error.find("never closed"), std::string::npos);
    // An unclosed quote costs its own record, not the rest of the file.
    EXPECT_TRUE(records[5].error.empty());
    EXPECT_EQ(records[5].line, 6u);
    EXPECT_EQ(records[5].fields, (std::vector<std::string>{"not lost", "3"}));
}

TEST(JsonOutput, ResultObjects) {
    const struct {
        Value value;
        const char* json;
    } cases[] = {
        {Value::text(u"!!ERROR!!"), R"({"type":"text","value":"!!ERROR!!"})"},
        {Value::number(-2000), R"({"type":"number","value":-2000})"},
        {Value::number(2.5), R"({"type":"number","value":2.5})"},
        {Value::date_time({2020, 3, 15, 10, 15, 20}),
         R"({"type":"date","value":"2020-03-15T10:15:20"})"},
        {Value::error("x:1:2: oops \"q\"", 0), R"({"error":"x:1:2: oops \"q\""})"},
        {Value::text(u"a\"b\\c\r\n\t\x01"), R"({"type":"text","value":"a\"b\\c\r\n\t\u0001"})"},
        {Value::text(u"\u00E9\U0001F600"),
         "{\"type\":\"text\",\"value\":\"\xC3\xA9\xF0\x9F\x98\x80\"}"},
        // An unpaired surrogate must not produce invalid UTF-8.
        {Value::text(std::u16string(1, u'\xD800')),
         "{\"type\":\"text\",\"value\":\"\xEF\xBF\xBD\"}"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(json_result(c.value), c.json);
}

TEST(Utf, InvalidUtf8BecomesReplacementCharacters) {
    EXPECT_EQ(utf8_to_utf16("a\xFF"
                            "b"),
              u"a\uFFFDb");
    EXPECT_EQ(utf8_to_utf16("\xE2\x82"), u"\uFFFD\uFFFD"); // truncated sequence
    EXPECT_EQ(utf8_to_utf16("\xC0\xAF"), u"\uFFFD\uFFFD"); // overlong
    EXPECT_EQ(utf16_to_utf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
}

} // namespace
} // namespace fmcalc
