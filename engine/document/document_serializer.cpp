#include "engine/document/document_serializer.h"

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <optional>
#include <utility>
#include <vector>

namespace paginor::engine {

namespace {

// Takes the pages' /Annots out for the duration of one write and puts them
// back however the write ends, so the document itself never changes.
class PageAnnotationsSetAside {
public:
    explicit PageAnnotationsSetAside(QPDF& pdf) {
        for (auto& page : QPDFPageDocumentHelper(pdf).getAllPages()) {
            QPDFObjectHandle dictionary = page.getObjectHandle();
            if (dictionary.hasKey("/Annots")) {
                aside_.emplace_back(dictionary, dictionary.getKey("/Annots"));
                dictionary.removeKey("/Annots");
            }
        }
    }
    ~PageAnnotationsSetAside() {
        for (auto& [page, annotations] : aside_) {
            page.replaceKey("/Annots", annotations);
        }
    }
    PageAnnotationsSetAside(const PageAnnotationsSetAside&) = delete;
    PageAnnotationsSetAside& operator=(const PageAnnotationsSetAside&) = delete;

private:
    std::vector<std::pair<QPDFObjectHandle, QPDFObjectHandle>> aside_;
};

void configure(QPDFWriter& writer, const SerializeOptions& options) {
    if (options.decrypt) {
        writer.setPreserveEncryption(false);
    }
    if (options.linearize) {
        writer.setLinearization(true);
    }
}

} // namespace

void writeDocument(QPDF& pdf, const SerializeOptions& options, std::FILE* file) {
    std::optional<PageAnnotationsSetAside> aside;
    if (options.withoutPageAnnotations) {
        aside.emplace(pdf);
    }
    QPDFWriter writer(pdf);
    writer.setOutputFile("output", file, false);
    configure(writer, options);
    writer.write();
}

std::string writeDocumentToMemory(QPDF& pdf, const SerializeOptions& options) {
    std::optional<PageAnnotationsSetAside> aside;
    if (options.withoutPageAnnotations) {
        aside.emplace(pdf);
    }
    QPDFWriter writer(pdf);
    writer.setOutputMemory();
    configure(writer, options);
    writer.write();
    auto buffer = writer.getBufferSharedPointer();
    return std::string(reinterpret_cast<const char*>(buffer->getBuffer()), buffer->getSize());
}

} // namespace paginor::engine
