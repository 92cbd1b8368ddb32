#include "calculation_file.h"
#include "command_line.h"

#include <gtest/gtest.h>

namespace fmcalc {
namespace {

TEST(CalculationFile, SplitsOnLinesAndContinuesWhileSomethingIsOpen) {
    const std::string file = "# a comment\n"
                             "1 + 1\n"
                             "\n"
                             "  // another comment\n"
                             "If ( 1 ;\n"
                             "  \"a ( b\" ;\n"
                             "# inside\n"
                             "  2 )\n"
                             "\"two\r\n"
                             "lines\"\n"
                             "Let ( [ x = 1 ; /* ) */\n"
                             "y = 2 ] ; x + y ) // done (\n"
                             "Left ( \"unfinished\" ; \n";
    const auto calcs = split_calculations(file);
    ASSERT_EQ(calcs.size(), 5u);
    EXPECT_EQ(calcs[0].text, "1 + 1");
    EXPECT_EQ(calcs[0].first_line, 2u);
    EXPECT_EQ(calcs[1].text, "If ( 1 ;\n  \"a ( b\" ;\n\n  2 )");
    EXPECT_EQ(calcs[1].first_line, 5u);
    EXPECT_EQ(calcs[2].text, "\"two\nlines\"");
    EXPECT_EQ(calcs[3].first_line, 11u);
    EXPECT_EQ(calcs[4].first_line, 13u); // handed on so its error is reported
}

TEST(CalculationFile, LocatesOffsetsAsLineAndColumn) {
    const SourceCalculation calc{"If ( 1 ;\n  \xC3\xA9x )", 7};
    const struct {
        std::size_t offset;
        std::size_t line;
        std::size_t column;
    } cases[] = {{0, 7, 1}, {3, 7, 4}, {9, 8, 1}, {12, 8, 4}};
    for (const auto& c : cases) {
        const auto pos = locate(calc, c.offset);
        EXPECT_EQ(pos.line, c.line) << c.offset;
        EXPECT_EQ(pos.column, c.column) << c.offset;
    }
}

TEST(CommandLine, AcceptedForms) {
    const auto r = parse_command_line({"--json", "-e", "1", "--plugin=/x.so", "-e", "2",
                                       "--host-version", "49", "--csv", "d.csv", "calcs.txt"});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.expressions, (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(r.options.plugin, "/x.so");
    EXPECT_EQ(r.options.host_version, 49);
    EXPECT_EQ(r.options.csv, "d.csv");
    EXPECT_EQ(r.options.file, "calcs.txt");
    EXPECT_TRUE(r.options.json);
    EXPECT_EQ(parse_command_line({}).options.host_version, 62);
}

TEST(CommandLine, UsageErrors) {
    const std::vector<std::vector<std::string>> cases = {
        {"-e"},           {"--host-version", "abc"}, {"--host-version", "40000"},
        {"--frobnicate"}, {"a.txt", "b.txt"},        {"--csv", "d.csv"},
    };
    for (const auto& args : cases)
        EXPECT_NE(parse_command_line(args).error, "") << args[0];
}

} // namespace
} // namespace fmcalc
