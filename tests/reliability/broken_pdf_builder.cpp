#include "broken_pdf_builder.h"

#include <zlib.h>

#include <cstdio>
#include <stdexcept>

namespace reliability {

int PdfBuilder::Add(std::string body) {
    objects_.push_back(std::move(body));
    return static_cast<int>(objects_.size());
}

int PdfBuilder::AddStream(const std::string& dictionary, const std::string& bytes) {
    std::string body = dictionary;
    body.insert(body.size() - 2, " /Length " + std::to_string(bytes.size()));
    return Add(body + "\nstream\n" + bytes + "\nendstream");
}

std::string PdfBuilder::Build(int root) const {
    std::string out = "%PDF-1.7\n%\xE2\xE3\xCF\xD3\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects_.size(); ++i) {
        offsets.push_back(out.size());
        out += std::to_string(i + 1) + " 0 obj\n" + objects_[i] + "\nendobj\n";
    }
    const std::size_t xref = out.size();
    out += "xref\n0 " + std::to_string(objects_.size() + 1) + "\n0000000000 65535 f \n";
    for (std::size_t offset : offsets) {
        char line[32];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", offset);
        out += line;
    }
    out += "trailer\n<< /Size " + std::to_string(objects_.size() + 1) + " /Root " +
           std::to_string(root) + " 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return out;
}

std::string OnePageDocument(const std::string& extraRootEntries,
                            const std::string& extraPageEntries) {
    PdfBuilder pdf;
    const int catalog = pdf.Add("<< /Type /Catalog /Pages 2 0 R " + extraRootEntries + " >>");
    pdf.Add("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    pdf.Add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 4 0 R " +
            extraPageEntries + " >>");
    pdf.AddStream("<< >>", "BT /F1 12 Tf 20 100 Td (Hello) Tj ET");
    return pdf.Build(catalog);
}

std::string Deflate(const std::string& bytes) {
    uLongf size = compressBound(static_cast<uLong>(bytes.size()));
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                  reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uLong>(bytes.size()),
                  9) != Z_OK)
        throw std::runtime_error("zlib failed");
    out.resize(size);
    return out;
}

} // namespace reliability
