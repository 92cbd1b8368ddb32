// Document information: text in any script survives a save, Trapped is a
// name, and the XMP packet says the same as the Info dictionary.
#include "engine_test_support.h"

#include "engine/document/engine_document.h"
#include "engine/document/xmp_metadata.h"

#include <gtest/gtest.h>
#include <qpdf/QPDF.hh>

namespace engine_test {
namespace {

struct InfoCase {
    std::string key;
    std::string value;
};

const std::vector<InfoCase> kInfoCases{
    {"Title", "Ελληνικά και русский текст"},
    {"Author", "山田 太郎"},
    {"Subject", "Café, naïve, Ærø"}, // fits PDFDocEncoding
    {"Keywords", "emoji 🚀; <xml> & \"quotes\""},
    {"Creator", "עברית ועربية"},
    {"Producer", "plain ASCII"},
    {"Custom Key", "any key is kept"},
};

TEST(DocumentInfo, TextRoundTripsThroughASaveAndXmpFollows) {
    ScratchFolder folder;
    const auto saved = folder / "info.pdf";
    {
        auto document = openDocument(examplePath("sample-form.pdf"));
        for (const auto& entry : kInfoCases) {
            VARIANT_BOOL answer = VARIANT_FALSE;
            ASSERT_EQ(document->SetInfo(bstr(entry.key).get(), bstr(entry.value).get(), &answer),
                      S_OK);
            EXPECT_EQ(answer, VARIANT_TRUE) << entry.key;
            EXPECT_EQ(info(document.get(), entry.key), entry.value) << entry.key;
        }
        ASSERT_TRUE(save(document.get(), 3, saved));
    }
    auto reread = paginor::engine::EngineDocument::load(saved.string());
    for (const auto& entry : kInfoCases) {
        EXPECT_EQ(reread->infoEntry(entry.key), entry.value) << entry.key;
        if (entry.key != "Custom Key") {
            EXPECT_EQ(paginor::engine::readXmpProperty(reread->pdf(), entry.key), entry.value)
                << entry.key;
        }
    }
    // The save stamped both dates the same moment.
    const std::string modDate = reread->infoEntry("ModDate");
    const std::string xmpDate = paginor::engine::readXmpProperty(reread->pdf(), "ModDate");
    ASSERT_GE(modDate.size(), 16u);
    EXPECT_NE(modDate, "D:20240301090000Z");
    EXPECT_EQ(xmpDate.substr(0, 4) + xmpDate.substr(5, 2) + xmpDate.substr(8, 2),
              modDate.substr(2, 8));
}

TEST(DocumentInfo, TrappedAcceptsOnlyItsThreeNames) {
    auto document = openDocument(examplePath("text.pdf"));
    const std::vector<std::pair<std::string, bool>> values{{"True", true},    {"False", true},
                                                           {"Unknown", true}, {"true", false},
                                                           {"Yes", false},    {"", false}};
    for (const auto& [value, accepted] : values) {
        VARIANT_BOOL answer = VARIANT_TRUE;
        ASSERT_EQ(document->SetInfo(bstr("Trapped").get(), bstr(value).get(), &answer), S_OK);
        EXPECT_EQ(answer != VARIANT_FALSE, accepted) << value;
    }
    EXPECT_EQ(info(document.get(), "Trapped"), "Unknown"); // the last accepted value
}

TEST(DocumentInfo, AbsentEntriesReadEmptyAndAnEmptyKeyIsRefused) {
    auto document = openDocument(examplePath("text.pdf"));
    EXPECT_EQ(info(document.get(), "NoSuchKey"), "");
    EXPECT_EQ(info(document.get(), "Title"), "Text sample");
    VARIANT_BOOL answer = VARIANT_TRUE;
    ASSERT_EQ(document->SetInfo(bstr("").get(), bstr("x").get(), &answer), S_OK);
    EXPECT_EQ(answer, VARIANT_FALSE);
}

TEST(DocumentInfo, ReadsUtf16AndUtf8TextStrings) {
    auto document = paginor::engine::EngineDocument::load(examplePath("text.pdf").string());
    QPDFObjectHandle infoDictionary = document->pdf().getTrailer().getKey("/Info");
    infoDictionary.replaceKey("/Title", QPDFObjectHandle::newString(std::string(
                                            "\xFE\xFF\x04\x1F\x04\x40\x04\x38", 8))); // "При"
    infoDictionary.replaceKey("/Subject", QPDFObjectHandle::newString("\xEF\xBB\xBF"
                                                                      "Grüße"));
    EXPECT_EQ(document->infoEntry("Title"), "При");
    EXPECT_EQ(document->infoEntry("Subject"), "Grüße");
}

} // namespace
} // namespace engine_test
