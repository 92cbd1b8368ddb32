#include "text_encoding/utf_conversion.h"

#include <gtest/gtest.h>

namespace {

using paginor::InvalidUtf8;
using paginor::Utf16ToUtf8;
using paginor::Utf8ToUtf16;

TEST(Utf, RoundTripsValidText) {
    const std::u16string samples[] = {u"",
                                      u"plain",
                                      u"Gr\u00FC\u00DFe",
                                      u"\u65E5\u672C",
                                      u"\U0001F600 face",
                                      std::u16string(u"a\0b", 3)};
    for (const auto& text : samples) {
        EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
    }
    EXPECT_EQ(Utf16ToUtf8(u"\u00E9\U0001F600"), "\xC3\xA9\xF0\x9F\x98\x80");
}

struct BadUtf8 {
    std::string_view bytes;
    std::u16string_view expected;
};

TEST(Utf, ReplacesMalformedUtf8) {
    const BadUtf8 cases[] = {
        {"a\x80z", u"a\uFFFDz"},                           // stray continuation byte
        {"\xC3", u"\uFFFD"},                               // truncated at end
        {"\xC3z", u"\uFFFDz"},                             // truncated mid-text
        {"\xC0\xAF", u"\uFFFD\uFFFD"},                     // overlong
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},           // encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"}, // beyond U+10FFFF
        {"\xE2\x82", u"\uFFFD"},                           // truncated three-byte sequence
        {"\xFF", u"\uFFFD"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8ToUtf16(c.bytes), c.expected) << c.bytes;
    }
}

TEST(Utf, ReplacesLoneSurrogates) {
    const std::u16string highAlone = {u'a', char16_t(0xD83D), u'b'};
    const std::u16string lowAlone = {char16_t(0xDE00)};
    const std::u16string highAtEnd = {char16_t(0xD83D)};
    EXPECT_EQ(Utf16ToUtf8(highAlone), "a\xEF\xBF\xBD"
                                      "b");
    EXPECT_EQ(Utf16ToUtf8(lowAlone), "\xEF\xBF\xBD");
    EXPECT_EQ(Utf16ToUtf8(highAtEnd), "\xEF\xBF\xBD");
}

TEST(Utf, ReplacesEachUnreadableByteWhenAsked) {
    const BadUtf8 cases[] = {
        {"\xE2\x82", u"\uFFFD\uFFFD"},         // truncated three-byte sequence
        {"\xF0\x9F\x41", u"\uFFFD\uFFFDA"},    // the byte after a break survives
        {"\xC0\xAF", u"\uFFFD\uFFFD"},         // overlong
        {"a\xF0\x9F\x98\x80", u"a\U0001F600"}, // valid text is unaffected
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8ToUtf16(c.bytes, InvalidUtf8::ReplaceEachByte), c.expected) << c.bytes;
    }
}

TEST(Utf, ConvertsCodePoints) {
    EXPECT_EQ(paginor::Utf8ToUtf32("\xCE\xB1\U0001F600\xF0\x9F"), U"\u03B1\U0001F600\uFFFD");
    EXPECT_EQ(paginor::Utf16ToUtf32(u"\U0001F600"), U"\U0001F600");
    const std::u32string unencodable = {U'a', char32_t(0xD800), char32_t(0x110000)};
    EXPECT_EQ(paginor::Utf32ToUtf16(unencodable), u"a\uFFFD\uFFFD");
    EXPECT_EQ(paginor::Utf32ToUtf8(unencodable), "a\xEF\xBF\xBD\xEF\xBF\xBD");
}

} // namespace
