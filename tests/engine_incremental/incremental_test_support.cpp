#include "incremental_test_support.h"

#include "engine/incremental/spare_object_section.h"
#include "engine/incremental/update_section_writer.h"

#include <qpdf/Buffer.hh>
#include <qpdf/Pl_Discard.hh>
#include <qpdf/QPDFWriter.hh>

#include <stdexcept>

namespace incremental_test {

using namespace paginor::engine;

std::vector<ShapeCase> allShapes() {
    return {{Shape::Table, "table"},
            {Shape::StreamsAndObjectStreams, "xref_stream_and_object_streams"},
            {Shape::Linearized, "linearized"},
            {Shape::Rc4Encrypted, "rc4_128"},
            {Shape::AesEncrypted, "aes_128"},
            {Shape::Aes256Encrypted, "aes_256"}};
}

std::string makeDocument(Shape shape, bool withInfo) {
    QPDF pdf;
    pdf.emptyPDF();
    QPDFObjectHandle page = pdf.makeIndirectObject(
        QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 612 792] /Resources << >> >>"));
    QPDFObjectHandle content = pdf.newStream("BT /F1 12 Tf 72 720 Td (Hello) Tj ET");
    page.replaceKey("/Contents", content);
    pdf.addPage(page, false);
    QPDFObjectHandle field = pdf.makeIndirectObject(QPDFObjectHandle::parse(
        "<< /Type /Annot /Subtype /Widget /FT /Tx /T (name) /V (before) /Rect [72 600 300 620] "
        "/DA (/Helv 12 Tf 0 g) >>"));
    QPDFObjectHandle firstPage = pdf.getAllPages().front();
    field.replaceKey("/P", firstPage);
    firstPage.replaceKey("/Annots", QPDFObjectHandle::newArray({field}));
    QPDFObjectHandle acroForm = QPDFObjectHandle::newDictionary();
    acroForm.replaceKey("/Fields", QPDFObjectHandle::newArray({field}));
    pdf.getRoot().replaceKey("/AcroForm", pdf.makeIndirectObject(acroForm));
    if (withInfo) {
        pdf.getTrailer().replaceKey(
            "/Info", pdf.makeIndirectObject(QPDFObjectHandle::parse("<< /Title (Made) >>")));
    }

    QPDFWriter writer(pdf);
    writer.setOutputMemory();
    writer.setStaticID(true);
    switch (shape) {
    case Shape::Table:
        writer.setObjectStreamMode(qpdf_o_disable);
        break;
    case Shape::StreamsAndObjectStreams:
        writer.setObjectStreamMode(qpdf_o_generate);
        break;
    case Shape::Linearized:
        writer.setObjectStreamMode(qpdf_o_generate);
        writer.setLinearization(true);
        break;
    case Shape::Rc4Encrypted:
        writer.setStaticID(false);
        writer.setR3EncryptionParametersInsecure("", "owner", true, true, true, true, true, true,
                                                 qpdf_r3p_full);
        break;
    case Shape::AesEncrypted:
        writer.setStaticID(false);
        writer.setR4EncryptionParametersInsecure("", "owner", true, true, true, true, true, true,
                                                 qpdf_r3p_full, true, true);
        break;
    case Shape::Aes256Encrypted:
        writer.setStaticID(false);
        writer.setR6EncryptionParameters("", "owner", true, true, true, true, true, true,
                                         qpdf_r3p_full, true);
        break;
    }
    writer.write();
    auto buffer = writer.getBufferSharedPointer();
    return std::string(reinterpret_cast<const char*>(buffer->getBuffer()), buffer->getSize());
}

std::unique_ptr<QPDF> parse(const std::string& bytes) {
    auto pdf = std::make_unique<QPDF>();
    pdf->setSuppressWarnings(true);
    pdf->processMemoryFile("test", bytes.data(), bytes.size(), nullptr);
    return pdf;
}

std::unique_ptr<OpenedDocument> openWithSpares(const std::string& bytes, int spares) {
    auto document = std::make_unique<OpenedDocument>();
    document->original = bytes;
    document->last = readLastCrossReference(bytes);
    SpareObjects pool;
    document->parsed = bytes;
    if (document->last && spares > 0) {
        pool = SpareObjects{static_cast<int>(document->last->size), spares};
        const bool lineEnd = !bytes.empty() && (bytes.back() == '\n' || bytes.back() == '\r');
        document->parsed += spareObjectSection(*document->last, bytes.size(), lineEnd, pool);
    }
    document->pdf = parse(document->parsed);
    document->changes = std::make_unique<DocumentChanges>(
        *document->pdf, document->last ? document->last->size : 0, pool);
    return document;
}

std::string saveIncrementally(OpenedDocument& document) {
    if (!document.last) {
        throw std::logic_error("the test document's end cannot be read");
    }
    UpdatePlan plan{document.original, *document.last, document.changes->changedObjects(),
                    document.changes->firstNewNumber()};
    return document.original + updateSection(*document.pdf, plan);
}

std::vector<std::string> checkProblems(const std::string& bytes) {
    std::vector<std::string> problems;
    try {
        auto pdf = parse(bytes);
        for (QPDFObjectHandle object : pdf->getAllObjects()) {
            if (object.isStream()) {
                Pl_Discard discard;
                object.pipeStreamData(&discard, 0, qpdf_dl_generalized);
            }
        }
        pdf->getAllPages();
        for (const QPDFExc& warning : pdf->getWarnings()) {
            problems.push_back(warning.what());
        }
    } catch (const std::exception& error) {
        problems.push_back(error.what());
    }
    return problems;
}

bool lastSectionIsTable(const std::string& bytes) {
    const auto last = readLastCrossReference(bytes);
    return last && last->kind == CrossReferenceKind::Table;
}

} // namespace incremental_test
