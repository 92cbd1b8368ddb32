// The spare streams appended to the parsed copy: present without a warning,
// never hiding an object of the file, and qpdf's own numbering once they are
// used up.
#include "incremental_test_support.h"

#include "engine/incremental/spare_object_section.h"

#include <gtest/gtest.h>

namespace incremental_test {
namespace {

using paginor::engine::kSpareGeneration;

// /Size 2 although object 2 exists: the kind of fault real files have.
std::string fileWithObjectAtItsSize() {
    std::string out = "%PDF-1.4\n";
    const std::size_t one = out.size();
    out += "1 0 obj\n<< /Type /Catalog /Pages 3 0 R /Kept 2 0 R >>\nendobj\n";
    const std::size_t two = out.size();
    out += "2 0 obj\n(an object at /Size)\nendobj\n";
    const std::size_t three = out.size();
    out += "3 0 obj\n<< /Type /Pages /Kids [] /Count 0 >>\nendobj\n";
    const std::size_t xref = out.size();
    char entries[128];
    std::snprintf(
        entries, sizeof entries,
        "xref\n0 4\n0000000000 65535 f \n%010zu 00000 n \n%010zu 00000 n \n%010zu 00000 n \n", one,
        two, three);
    out += entries;
    out += "trailer\n<< /Size 2 /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF";
    return out;
}

TEST(SpareObjects, EveryShapeParsesWithThemAndNoWarning) {
    for (const ShapeCase& shape : allShapes()) {
        auto document = openWithSpares(makeDocument(shape.shape), 4);
        EXPECT_FALSE(document->pdf->anyWarnings()) << shape.name;
        EXPECT_TRUE(
            document->pdf->getObject(static_cast<int>(document->last->size) + 3, kSpareGeneration)
                .isStream())
            << shape.name;
        EXPECT_EQ(document->pdf->getRoot().getKey("/AcroForm").isDictionary(), true) << shape.name;
    }
}

TEST(SpareObjects, AnObjectAtTheFilesSizeStaysVisibleAndNewNumbersStartAboveIt) {
    auto document = openWithSpares(fileWithObjectAtItsSize(), 4);
    QPDF& pdf = *document->pdf;
    EXPECT_EQ(pdf.getRoot().getKey("/Kept").getStringValue(), "an object at /Size");
    EXPECT_EQ(document->changes->firstNewNumber(), 4);

    QPDFObjectHandle made = document->changes->newObject(QPDFObjectHandle::parse("(new)"));
    pdf.getRoot().replaceKey("/Made", made);
    document->changes->changed(pdf.getRoot());
    const std::string saved = saveIncrementally(*document); // qpdf reads from it
    auto reread = parse(saved);
    EXPECT_EQ(reread->getRoot().getKey("/Kept").getStringValue(), "an object at /Size");
    EXPECT_EQ(reread->getRoot().getKey("/Made").getStringValue(), "new");
    EXPECT_EQ(reread->getRoot().getKey("/Made").getObjGen().getObj(), 4);
}

TEST(SpareObjects, WhenTheyRunOutQpdfNumbersTheRestAndTheUpdateHoldsThemAll) {
    auto document = openWithSpares(makeDocument(Shape::StreamsAndObjectStreams), 2);
    auto& changes = *document->changes;
    QPDFObjectHandle list = QPDFObjectHandle::newArray();
    for (int i = 0; i < 5; ++i) {
        list.appendItem(
            changes.newStream("stream " + std::to_string(i), QPDFObjectHandle::newNull()));
        list.appendItem(changes.newObject(QPDFObjectHandle::newInteger(i)));
    }
    EXPECT_EQ(changes.sparesLeft(), 0);
    document->pdf->getRoot().replaceKey("/Made", list);
    changes.changed(document->pdf->getRoot());

    const std::string output = saveIncrementally(*document);
    EXPECT_EQ(checkProblems(output), std::vector<std::string>{});
    auto reread = parse(output);
    QPDFObjectHandle made = reread->getRoot().getKey("/Made");
    ASSERT_EQ(made.getArrayNItems(), 10);
    for (int i = 0; i < 5; ++i) {
        auto data = made.getArrayItem(2 * i).getStreamData(qpdf_dl_generalized);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(data->getBuffer()), data->getSize()),
                  "stream " + std::to_string(i));
        EXPECT_EQ(made.getArrayItem(2 * i + 1).getIntValue(), i);
    }
}

TEST(SpareObjects, AChangedObjectWithoutANumberOfItsOwnAsksForAWholeFile) {
    auto document = openWithSpares(makeDocument(Shape::Table));
    EXPECT_FALSE(document->changes->rewriteReason());
    document->changes->changed(QPDFObjectHandle::newDictionary());
    EXPECT_TRUE(document->changes->rewriteReason());
}

} // namespace
} // namespace incremental_test
