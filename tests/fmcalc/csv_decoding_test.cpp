#include "batch/batch_messages.h"
#include "command_line.h"
#include "csv_decoding.h"

#include <gtest/gtest.h>

namespace fmcalc {
namespace {

TEST(CsvDecoding, FindsTheFirstByteThatIsNotUtf8) {
    const struct {
        const char* label;
        std::string text;
        std::optional<std::size_t> at;
    } cases[] = {
        {"ascii", "Name,Town", std::nullopt},
        {"two to four bytes", "\xC3\xB8 \xE2\x80\x9C \xF0\x9F\x98\x80", std::nullopt},
        {"latin1 o-slash", "S\xF8ren", 1},
        {"lone continuation", "a\x80", 1},
        {"overlong slash", "\xC0\xAF", 0},
        {"overlong three bytes", "\xE0\x80\xAF", 0},
        {"surrogate", "x\xED\xA0\x80", 1},
        {"above U+10FFFF", "\xF4\x90\x80\x80", 0},
        {"cut off at the end", "ok\xE2\x80", 2},
        {"lead without continuation",
         "\xC3("
         "x",
         0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(first_invalid_utf8(c.text), c.at) << c.label;
}

TEST(CsvDecoding, DetectsTheHeadersSeparator) {
    const struct {
        std::string text;
        char delimiter;
    } cases[] = {
        {"a,b,c\n1;2;3;4\n", ','}, // only the header counts
        {"a;b;c\n", ';'},
        {"a\tb\n", '\t'},
        {"\"x;y;z\",b\n", ','}, // quoted separators do not count
        {"single\n", ','},
        {"\xEF\xBB\xBF"
         "a;b\n",
         ';'},
        {"a;b,c;d\n", ';'},
    };
    for (const auto& c : cases)
        EXPECT_EQ(detect_delimiter(c.text), c.delimiter) << c.text;
}

TEST(CsvDecoding, ConvertsNamedEncodingsAndSaysWhereTheyFail) {
    EXPECT_EQ(decode_csv_bytes("S\xF8ren", "latin1").utf8, "S\xC3\xB8ren");
    const DecodedText bad = decode_csv_bytes("a\nb\n\xFF\xFF", "UTF-8");
    EXPECT_TRUE(bad.utf8.empty());
    EXPECT_EQ(bad.error, "line 3: byte 5 is not valid UTF-8");
    EXPECT_NE(decode_csv_bytes("x", "no-such-encoding").error.find("unknown encoding"),
              std::string::npos);
    // Without a name the bytes stay as they are, to be checked as UTF-8.
    EXPECT_EQ(decode_csv_bytes("S\xF8ren", std::nullopt).utf8, "S\xF8ren");
}

// A row crosses to a worker and back unchanged: every kind of value.
TEST(BatchMessages, RowsTravelUnchanged) {
    BatchRow row;
    row.number = 7;
    row.is_record = true;
    row.rowid = -42;
    row.context = {" (record 7, rowid -42)", ",\"row\":7"};
    row.bindings = {{u"$name", Value::text(u"S\u00F8ren \U0001F600\r")},
                    {u"$n", Value::number(-2.5e-7)},
                    {u"$d", Value::date_time({2020, 3, 15, 10, 15, 20})},
                    {u"$empty", Value::text({})}};
    std::string frame = row_message(3, row);
    const auto message = wire::take_frame(frame);
    ASSERT_TRUE(message);
    EXPECT_TRUE(frame.empty());
    wire::Reader reader(*message);
    ASSERT_EQ(reader.kind(), wire::Message::Row);
    std::size_t index = 0;
    const BatchRow back = read_row(reader, index);
    ASSERT_TRUE(reader.ok());
    EXPECT_EQ(index, 3u);
    EXPECT_EQ(back.number, 7u);
    EXPECT_EQ(back.rowid, -42);
    EXPECT_TRUE(back.is_record);
    EXPECT_EQ(back.context.label, row.context.label);
    EXPECT_EQ(back.bindings, row.bindings);

    // A frame cut short is not taken; a message cut short is not ok.
    std::string partial = row_message(3, row);
    partial.pop_back();
    EXPECT_FALSE(wire::take_frame(partial));
    const std::string cut = message->substr(0, message->size() - 3);
    wire::Reader truncated(cut);
    truncated.kind();
    read_row(truncated, index);
    EXPECT_FALSE(truncated.ok());
}

TEST(CommandLine, BatchOptions) {
    const auto r = parse_command_line({"--db", "x.sqlite", "--table", "t", "--where", "a > 1",
                                       "--jobs=3", "--strict", "run.calc"});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.database, "x.sqlite");
    EXPECT_EQ(r.options.table, "t");
    EXPECT_EQ(r.options.where, "a > 1");
    EXPECT_EQ(r.options.jobs, 3);
    EXPECT_TRUE(r.options.strict);
    EXPECT_EQ(
        parse_command_line({"--csv", "d.csv", "--delimiter", "tab", "-e", "1"}).options.delimiter,
        '\t');
    const std::vector<std::vector<std::string>> refused = {
        {"--jobs", "65", "--csv", "d.csv", "-e", "1"},
        {"--csv", "d.csv", "--table", "t", "--db", "x", "-e", "1"},
        {"--delimiter", "\"", "--csv", "d.csv", "-e", "1"},
        {"--db", "x", "--table", "t"},
        {"--db", ""},
    };
    for (const auto& args : refused)
        EXPECT_NE(parse_command_line(args).error, "") << args[0] << " " << args[1];
}

} // namespace
} // namespace fmcalc
