#include "sample_builder.h"

#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <cstdio>

namespace samples {

std::string literal(const std::string& text) {
    std::string out = "(";
    for (char c : text) {
        if (c == '(' || c == ')' || c == '\\') {
            out += '\\';
        }
        out += c;
    }
    return out + ")";
}

QPDFObjectHandle standardFont(QPDF& pdf, const std::string& baseFont) {
    return pdf.makeIndirectObject(
        QPDFObjectHandle::parse("<< /Type /Font /Subtype /Type1 /BaseFont /" + baseFont +
                                " /Encoding /WinAnsiEncoding >>"));
}

QPDFObjectHandle addTextPage(QPDF& pdf, const std::vector<TextLine>& lines,
                             const std::string& extraContent) {
    std::string content;
    for (const auto& line : lines) {
        char position[96];
        std::snprintf(position, sizeof position, "BT %s %.1f Tf %.1f %.1f Td ", line.font,
                      line.size, line.x, line.y);
        content += position + literal(line.text) + " Tj ET\n";
    }
    content += extraContent;
    QPDFObjectHandle resources = QPDFObjectHandle::newDictionary();
    QPDFObjectHandle fonts = QPDFObjectHandle::newDictionary();
    fonts.replaceKey("/F1", standardFont(pdf, "Helvetica"));
    fonts.replaceKey("/F2", standardFont(pdf, "Times-Roman"));
    resources.replaceKey("/Font", fonts);
    QPDFObjectHandle page = QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 595 842] >>");
    page.replaceKey("/Resources", resources);
    page.replaceKey("/Contents", QPDFObjectHandle::newStream(&pdf, content));
    page = pdf.makeIndirectObject(page);
    QPDFPageDocumentHelper(pdf).addPage(page, false);
    return page;
}

void describe(QPDF& pdf, const std::string& title, const std::string& author,
              const std::string& subject) {
    QPDFObjectHandle info = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
    info.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(title));
    info.replaceKey("/Author", QPDFObjectHandle::newUnicodeString(author));
    info.replaceKey("/Subject", QPDFObjectHandle::newUnicodeString(subject));
    info.replaceKey("/Creator", QPDFObjectHandle::newString("Paginor sample generator"));
    info.replaceKey("/Producer", QPDFObjectHandle::newString("qpdf"));
    info.replaceKey("/CreationDate", QPDFObjectHandle::newString("D:20240301090000Z"));
    info.replaceKey("/ModDate", QPDFObjectHandle::newString("D:20240301090000Z"));
    pdf.getTrailer().replaceKey("/Info", info);

    const std::string xmp = "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
                            "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
                            " <rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
                            "  <rdf:Description rdf:about=\"\"\n"
                            "    xmlns:dc=\"http://purl.org/dc/elements/1.1/\"\n"
                            "    xmlns:pdf=\"http://ns.adobe.com/pdf/1.3/\"\n"
                            "    xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\"\n"
                            "    pdf:Producer=\"qpdf\">\n"
                            "   <dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">" +
                            title +
                            "</rdf:li></rdf:Alt></dc:title>\n"
                            "   <dc:creator><rdf:Seq><rdf:li>" +
                            author +
                            "</rdf:li></rdf:Seq></dc:creator>\n"
                            "   <dc:description><rdf:Alt><rdf:li xml:lang=\"x-default\">" +
                            subject +
                            "</rdf:li></rdf:Alt></dc:description>\n"
                            "   <xmp:CreatorTool>Paginor sample generator</xmp:CreatorTool>\n"
                            "   <xmp:CreateDate>2024-03-01T09:00:00Z</xmp:CreateDate>\n"
                            "   <xmp:ModifyDate>2024-03-01T09:00:00Z</xmp:ModifyDate>\n"
                            "  </rdf:Description>\n"
                            " </rdf:RDF>\n"
                            "</x:xmpmeta>\n"
                            "<?xpacket end=\"w\"?>";
    QPDFObjectHandle metadata = QPDFObjectHandle::newStream(&pdf, xmp);
    metadata.getDict().replaceKey("/Type", QPDFObjectHandle::newName("/Metadata"));
    metadata.getDict().replaceKey("/Subtype", QPDFObjectHandle::newName("/XML"));
    pdf.getRoot().replaceKey("/Metadata", metadata);
}

void writeDeterministic(QPDF& pdf, const std::string& path) {
    QPDFWriter writer(pdf, path.c_str());
    writer.setDeterministicID(true);
    writer.setCompressStreams(true);
    writer.write();
}

} // namespace samples
