// Reading the newest cross-reference section from the end of a file.
#include "incremental_test_support.h"

#include <gtest/gtest.h>

namespace incremental_test {
namespace {

using paginor::engine::CrossReferenceKind;
using paginor::engine::readLastCrossReference;

std::string tableFile(const std::string& trailer, const std::string& tail = "") {
    std::string out = "%PDF-1.4\n1 0 obj\n<< /Type /Catalog >>\nendobj\n";
    const std::size_t xref = out.size();
    out += "xref\n0 2\n0000000000 65535 f \n0000000009 00000 n \ntrailer\n" + trailer +
           "\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n" + tail;
    return out;
}

TEST(LastCrossReference, ReadsEachKindAndCopiesTheTrailerWithoutItsOwnEntries) {
    const auto table = readLastCrossReference(
        tableFile("<< /Size 2 /Root 1 0 R /Info 1 0 R /Prev 5 /ID [<AA> <BB>] /Custom (x) >>"));
    ASSERT_TRUE(table);
    EXPECT_EQ(table->kind, CrossReferenceKind::Table);
    EXPECT_EQ(table->size, 2);
    EXPECT_EQ(table->trailer.at("/Root"), "1 0 R");
    EXPECT_EQ(table->trailer.at("/Info"), "1 0 R");
    EXPECT_EQ(table->trailer.count("/Prev"), 0u);
    EXPECT_EQ(table->trailer.count("/Size"), 0u);
    EXPECT_EQ(table->trailer.at("/Custom"), "(x)");

    const auto stream = readLastCrossReference(makeDocument(Shape::StreamsAndObjectStreams));
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->kind, CrossReferenceKind::Stream);
    for (const char* own : {"/Type", "/W", "/Index", "/Filter", "/Length", "/DecodeParms"}) {
        EXPECT_EQ(stream->trailer.count(own), 0u) << own;
    }
    EXPECT_EQ(stream->trailer.count("/Root"), 1u);
}

TEST(LastCrossReference, AnEndItCannotReadGivesNothing) {
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"no header at the first byte", " " + tableFile("<< /Size 2 /Root 1 0 R >>")},
        {"no startxref", "%PDF-1.4\n1 0 obj\n<< >>\nendobj\n"},
        {"startxref beyond the end", "%PDF-1.4\nstartxref\n999999\n%%EOF\n"},
        {"startxref far before the end",
         tableFile("<< /Size 2 /Root 1 0 R >>", std::string(2000, ' '))},
        {"no /Root", tableFile("<< /Size 2 >>")},
        {"no /Size", tableFile("<< /Root 1 0 R >>")},
        {"a damaged trailer", tableFile("<< /Size 2 /Root 1 0 R")},
        {"an object that is not a cross-reference stream",
         "%PDF-1.5\n1 0 obj\n<< /Size 2 /Root 1 0 R >>\nendobj\nstartxref\n9\n%%EOF\n"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(readLastCrossReference(c.bytes)) << c.name;
    }
}

} // namespace
} // namespace incremental_test
