#include "support/broken_page_trees.h"

#include <cstdint>

namespace paginor::test_support {

namespace {

const char kPage[] = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] >>";

// Objects numbered from 1, a correct cross-reference table, /Root 1.
std::string classicFile(const std::vector<std::string>& objects) {
    std::string out = "%PDF-1.7\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(out.size());
        out += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t xref = out.size();
    out += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (std::size_t offset : offsets) {
        std::string number = std::to_string(offset);
        out += std::string(10 - number.size(), '0') + number + " 00000 n \n";
    }
    out += "trailer\n<< /Size " + std::to_string(objects.size() + 1) +
           " /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return out;
}

void bigEndian(std::string& out, std::uint32_t value, int bytes) {
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8) {
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
    }
}

// The catalog's page tree (object 2) is listed as the first object of object
// stream 4, and object 4 as the second object of itself.
std::string objectStreamHoldingItself() {
    std::string out = "%PDF-1.7\n";
    const std::size_t catalog = out.size();
    out += "1 0 obj\n<< /Type /Catalog /Pages 2 0 R >>\nendobj\n";
    const std::size_t page = out.size();
    out += std::string("3 0 obj\n") + kPage + "\nendobj\n";
    const std::size_t xref = out.size();
    struct Row {
        int type;
        std::uint32_t field;
        std::uint32_t generation;
    };
    const Row rows[] = {{0, 0, 65535}, {1, static_cast<std::uint32_t>(catalog), 0},
                        {2, 4, 0},     {1, static_cast<std::uint32_t>(page), 0},
                        {2, 4, 1},     {1, static_cast<std::uint32_t>(xref), 0}};
    std::string data;
    for (const Row& row : rows) {
        bigEndian(data, static_cast<std::uint32_t>(row.type), 1);
        bigEndian(data, row.field, 4);
        bigEndian(data, row.generation, 2);
    }
    out += "5 0 obj\n<< /Type /XRef /Size 6 /W [1 4 2] /Root 1 0 R /Length " +
           std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream\nendobj\n";
    out += "startxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return out;
}

} // namespace

std::vector<BrokenPageTree> brokenPageTrees() {
    return {
        {"NoPagesEntry",
         classicFile({"<< /Type /Catalog >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>", kPage})},
        {"PagesObjectMissing", classicFile({"<< /Type /Catalog /Pages 9 0 R >>",
                                            "<< /Type /Pages /Kids [3 0 R] /Count 1 >>", kPage})},
        {"PagesNotADictionary",
         classicFile({"<< /Type /Catalog /Pages 2 0 R >>", "[3 0 R]", kPage})},
        {"NoKids", classicFile({"<< /Type /Catalog /Pages 2 0 R >>",
                                "<< /Type /Pages /Kids [] /Count 0 >>", kPage})},
        {"KidsMissingThoughCounted",
         classicFile({"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Count 1 >>", kPage})},
        {"KidsNotDictionaries",
         classicFile({"<< /Type /Catalog /Pages 2 0 R >>",
                      "<< /Type /Pages /Kids [4 0 R 7] /Count 2 >>", kPage, "(a string)"})},
        {"ObjectStreamHoldingItself", objectStreamHoldingItself()},
    };
}

} // namespace paginor::test_support
