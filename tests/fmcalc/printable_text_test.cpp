#include "printable_text.h"

#include <gtest/gtest.h>

namespace fmcalc {
namespace {

TEST(PrintableText, ControlCharactersOfInputAreEscapedInMessages) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"plain text", "plain text"},
        {"tab\there", "tab\\there"},
        {"line\r\nbreak", "line\\r\\nbreak"},
        {"\x1b[2Jcleared", "\\x1B[2Jcleared"},
        {"bell\x07", "bell\\x07"},
        {std::string("nul\0end", 7), "nul\\x00end"},
        {"del\x7f", "del\\x7F"},
        {"next line\xc2\x85", "next line\\u0085"}, // U+0085, a C1 control
        {"csi\xc2\x9b"
         "31m",
         "csi\\u009B31m"},                                        // U+009B
        {"caf\xc3\xa9 \xe2\x82\xac", "caf\xc3\xa9 \xe2\x82\xac"}, // letters stay
        {"\xc2\xa0no-break", "\xc2\xa0no-break"},                 // U+00A0 is not a control
        {"broken \xff\xc2", "broken \xff\xc2"},                   // invalid UTF-8 kept
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(escape_control_characters(input), expected) << expected;
    }
}

} // namespace
} // namespace fmcalc
