// An update section on every kind of input: the original bytes stay a
// prefix, the result passes qpdf's checks, and what was changed or added
// reads back, strings and streams decrypted with the document's key.
#include "incremental_test_support.h"

#include "engine/incremental/update_section_writer.h"

#include <qpdf/Buffer.hh>

#include <gtest/gtest.h>

namespace incremental_test {
namespace {

using paginor::engine::StreamCompression;

std::string streamData(QPDFObjectHandle stream) {
    auto data = stream.getStreamData(qpdf_dl_generalized);
    return std::string(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
}

QPDFObjectHandle firstField(QPDF& pdf) {
    return pdf.getRoot().getKey("/AcroForm").getKey("/Fields").getArrayItem(0);
}

// Text that needs escaping or hex in PDF syntax, and bytes outside ASCII.
const std::string kValue = std::string("(par) \\ back\xC3\xA9\r\n\0end", 20);

class UpdateOnEveryShape : public testing::TestWithParam<ShapeCase> {};

TEST_P(UpdateOnEveryShape, KeepsThePrefixPassesTheCheckAndReadsBack) {
    const std::string input = makeDocument(GetParam().shape);
    auto document = openWithSpares(input);
    ASSERT_TRUE(document->last);
    QPDF& pdf = *document->pdf;
    auto& changes = *document->changes;

    QPDFObjectHandle field = firstField(pdf);
    field.replaceKey("/V", QPDFObjectHandle::newString(kValue));
    field.replaceKey("/Odd#Name", QPDFObjectHandle::newName("/A B#C"));
    field.replaceKey("/Number", QPDFObjectHandle::newReal("-0.125"));
    const std::string drawing(3000, 'x');
    QPDFObjectHandle appearance = changes.newStream(
        drawing, QPDFObjectHandle::parse("<< /Type /XObject /Subtype /Form /BBox [0 0 9 9] >>"),
        StreamCompression::Flate);
    QPDFObjectHandle holder =
        changes.newObject(QPDFObjectHandle::parse("<< /Note (in a new object) >>"));
    holder.replaceKey("/N", appearance);
    field.replaceKey("/AP", holder);
    changes.changed(field);

    const std::string output = saveIncrementally(*document);
    ASSERT_EQ(output.compare(0, input.size(), input), 0) << "the original is not a prefix";
    EXPECT_EQ(checkProblems(output), std::vector<std::string>{});
    EXPECT_EQ(lastSectionIsTable(output), lastSectionIsTable(input));

    auto reread = parse(output);
    QPDFObjectHandle written = firstField(*reread);
    EXPECT_EQ(written.getKey("/V").getStringValue(), kValue);
    EXPECT_EQ(written.getKey("/Odd#Name").getName(), "/A B#C");
    EXPECT_EQ(written.getKey("/Number").getRealValue(), "-0.125");
    EXPECT_EQ(written.getKey("/AP").getKey("/Note").getStringValue(), "in a new object");
    EXPECT_EQ(streamData(written.getKey("/AP").getKey("/N")), drawing);
    EXPECT_EQ(reread->isEncrypted(), pdf.isEncrypted());
}

TEST_P(UpdateOnEveryShape, ASecondUpdateOnTheSavedFileChainsToTheFirst) {
    const std::string input = makeDocument(GetParam().shape);
    auto first = openWithSpares(input);
    firstField(*first->pdf).replaceKey("/V", QPDFObjectHandle::newString("one"));
    first->changes->changed(firstField(*first->pdf));
    const std::string once = saveIncrementally(*first);

    auto second = openWithSpares(once);
    QPDFObjectHandle info = second->pdf->getTrailer().getKey("/Info");
    info.replaceKey("/Title", QPDFObjectHandle::newString("two"));
    second->changes->changed(info);
    const std::string twice = saveIncrementally(*second);

    ASSERT_EQ(twice.compare(0, once.size(), once), 0);
    EXPECT_EQ(checkProblems(twice), std::vector<std::string>{});
    auto reread = parse(twice);
    EXPECT_EQ(firstField(*reread).getKey("/V").getStringValue(), "one");
    EXPECT_EQ(reread->getTrailer().getKey("/Info").getKey("/Title").getStringValue(), "two");
}

INSTANTIATE_TEST_SUITE_P(Shapes, UpdateOnEveryShape, testing::ValuesIn(allShapes()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(UpdateSection, AnInformationDictionaryMadeInTheSessionIsWrittenAndReferenced) {
    auto document = openWithSpares(makeDocument(Shape::Table, false));
    QPDFObjectHandle info =
        document->changes->newObject(QPDFObjectHandle::parse("<< /Title (New) >>"));
    document->pdf->getTrailer().replaceKey("/Info", info);
    const std::string output = saveIncrementally(*document);
    auto reread = parse(output);
    EXPECT_EQ(reread->getTrailer().getKey("/Info").getKey("/Title").getStringValue(), "New");
    EXPECT_EQ(checkProblems(output), std::vector<std::string>{});
}

// The same bytes with the trailer's /ID blanked out, offsets unchanged.
std::string withoutIdentifier(std::string pdf) {
    const std::size_t at = pdf.rfind("/ID");
    const std::size_t end = pdf.find(']', at);
    pdf.replace(at, end + 1 - at, std::string(end + 1 - at, ' '));
    return pdf;
}

std::pair<std::string, std::string> identifiersAfterAnUpdate(const std::string& input) {
    auto document = openWithSpares(input);
    firstField(*document->pdf).replaceKey("/V", QPDFObjectHandle::newString("x"));
    document->changes->changed(firstField(*document->pdf));
    const std::string saved = saveIncrementally(*document); // qpdf reads from it
    auto reread = parse(saved);
    QPDFObjectHandle id = reread->getTrailer().getKey("/ID");
    EXPECT_TRUE(id.isArray() && id.getArrayNItems() == 2);
    return {id.getArrayItem(0).getStringValue(), id.getArrayItem(1).getStringValue()};
}

// The first identifier is kept, or made when the file had none; the second
// names the version, the same for the same update and new for each change.
TEST(UpdateSection, KeepsOrMakesTheFirstIdentifierAndGivesTheVersionANewOne) {
    const std::string withId = makeDocument(Shape::Table);
    const std::string withoutId = withoutIdentifier(withId);
    ASSERT_FALSE(parse(withoutId)->getTrailer().hasKey("/ID"));
    auto original = parse(withId);
    QPDFObjectHandle before = original->getTrailer().getKey("/ID");

    for (const bool hadIdentifier : {true, false}) {
        SCOPED_TRACE(hadIdentifier ? "with /ID" : "without /ID");
        const std::string& input = hadIdentifier ? withId : withoutId;
        const auto [first, version] = identifiersAfterAnUpdate(input);
        const auto [firstAgain, versionAgain] = identifiersAfterAnUpdate(input);
        EXPECT_EQ(first.size(), 16u);
        EXPECT_EQ(version.size(), 16u);
        EXPECT_NE(version, first);
        if (hadIdentifier) {
            EXPECT_EQ(first, before.getArrayItem(0).getStringValue());
            EXPECT_NE(version, before.getArrayItem(1).getStringValue());
            EXPECT_EQ(firstAgain, first);
            EXPECT_EQ(versionAgain, version);
        } else {
            EXPECT_NE(firstAgain, first); // random, one per save
        }
    }
}

// New objects get the numbers right after the file's own; spares and objects
// nothing written refers to stay out.
TEST(UpdateSection, WritesOnlyReachableNewObjectsNumberedAfterTheFilesOwn) {
    const std::string input = makeDocument(Shape::Table);
    auto document = openWithSpares(input, 8);
    auto& changes = *document->changes;
    QPDFObjectHandle unused = changes.newStream("never referenced", QPDFObjectHandle::newNull());
    QPDFObjectHandle inner = changes.newObject(QPDFObjectHandle::parse("<< /Depth 2 >>"));
    QPDFObjectHandle outer = changes.newObject(QPDFObjectHandle::newDictionary());
    outer.replaceKey("/Inner", inner);
    QPDFObjectHandle field = firstField(*document->pdf);
    field.replaceKey("/Extra", outer);
    changes.changed(field);

    const std::string output = saveIncrementally(*document);
    const std::string update = output.substr(input.size());
    EXPECT_EQ(update.find("never referenced"), std::string::npos);
    EXPECT_EQ(update.find(" 65000 "), std::string::npos) << "a spare's number was written";
    auto reread = parse(output);
    const int size = static_cast<int>(document->last->size);
    EXPECT_EQ(reread->getTrailer().getKey("/Size").getIntValue(), size + 2);
    QPDFObjectHandle written = firstField(*reread).getKey("/Extra");
    EXPECT_EQ(written.getObjGen().getObj(), size);
    EXPECT_EQ(written.getKey("/Inner").getObjGen().getObj(), size + 1);
    EXPECT_EQ(written.getKey("/Inner").getKey("/Depth").getIntValue(), 2);
}

} // namespace
} // namespace incremental_test
