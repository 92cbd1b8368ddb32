#include "com/guid_text.h"
#include "text_encoding/utf_conversion.h"

#include <gtest/gtest.h>

namespace {

using paginor::FormatGuid;
using paginor::ParseGuid;

constexpr GUID kSample = {
    0x9b4cd3e6, 0x4981, 0x101b, {0x9c, 0xa8, 0x92, 0x40, 0xce, 0x27, 0x38, 0xae}};

TEST(GuidText, FormatsUpperCaseRegistryForm) {
    EXPECT_EQ(FormatGuid(kSample), u"{9B4CD3E6-4981-101B-9CA8-9240CE2738AE}");
    EXPECT_EQ(FormatGuid(GUID_NULL), u"{00000000-0000-0000-0000-000000000000}");
}

TEST(GuidText, RoundTripsAndAcceptsEitherCase) {
    for (const GUID& guid : {kSample, GUID_NULL, IID_IErrorInfo, IID_IDispatch}) {
        EXPECT_EQ(ParseGuid(FormatGuid(guid)), guid);
    }
    EXPECT_EQ(ParseGuid(u"{9b4cd3e6-4981-101b-9ca8-9240ce2738ae}"), kSample);
    EXPECT_EQ(ParseGuid(std::string_view("{9B4CD3E6-4981-101b-9CA8-9240ce2738AE}")), kSample);
}

TEST(GuidText, RejectsMalformedText) {
    const char16_t* cases[] = {
        u"",
        u"9B4CD3E6-4981-101B-9CA8-9240CE2738AE",    // no braces
        u"{9B4CD3E6-4981-101B-9CA8-9240CE2738AE",   // no closing brace
        u"{9B4CD3E6-4981-101B-9CA8-9240CE2738A}",   // short
        u"{9B4CD3E6-4981-101B-9CA8-9240CE2738AEF}", // long
        u"{9B4CD3E6-4981-101B-9CA89240CE2738AE0}",  // dash missing
        u"{9B4CD3E64-981-101B-9CA8-9240CE2738AE}",  // dash misplaced
        u"{9B4CD3G6-4981-101B-9CA8-9240CE2738AE}",  // not hex
        u"{9B4CD3E6-4981-101B-9CA8-9240CE2738A\u00C9}",
        u" {9B4CD3E6-4981-101B-9CA8-9240CE2738AE}",
    };
    for (const char16_t* text : cases) {
        EXPECT_FALSE(ParseGuid(std::u16string_view(text))) << paginor::Utf16ToUtf8(text);
    }
}

TEST(GuidText, StringFromGuid2NeedsRoomForTheTerminator) {
    OLECHAR buffer[39];
    EXPECT_EQ(StringFromGUID2(kSample, buffer, 39), 39);
    EXPECT_EQ(std::u16string_view(buffer), u"{9B4CD3E6-4981-101B-9CA8-9240CE2738AE}");
    EXPECT_EQ(StringFromGUID2(kSample, buffer, 38), 0);
    EXPECT_EQ(StringFromGUID2(kSample, nullptr, 39), 0);
}

} // namespace
