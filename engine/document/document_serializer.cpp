#include "engine/document/document_serializer.h"

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace paginor::engine {

namespace {

// Takes what the options leave out of the copy (the pages' /Annots, the
// catalog's /AcroForm, the usage-rights signature) out for the duration of
// one write and puts it back
// however the write ends, so the document itself never changes.
class KeysSetAside {
public:
    KeysSetAside(QPDF& pdf, const SerializeOptions& options) {
        try {
            if (options.withoutAcroForm) {
                setAside(pdf.getRoot(), "/AcroForm");
            }
            if (options.withoutUsageRights) {
                QPDFObjectHandle perms = pdf.getRoot().getKey("/Perms");
                if (perms.isDictionary() && perms.getKeys() == std::set<std::string>{"/UR3"}) {
                    setAside(pdf.getRoot(), "/Perms");
                } else if (perms.isDictionary()) {
                    setAside(perms, "/UR3");
                }
            }
            if (options.withoutPageAnnotations) {
                for (auto& page : QPDFPageDocumentHelper(pdf).getAllPages()) {
                    setAside(page.getObjectHandle(), "/Annots");
                }
            }
        } catch (...) {
            restore();
            throw;
        }
    }
    ~KeysSetAside() { restore(); }
    KeysSetAside(const KeysSetAside&) = delete;
    KeysSetAside& operator=(const KeysSetAside&) = delete;

private:
    struct Entry {
        QPDFObjectHandle dictionary;
        std::string key;
        QPDFObjectHandle value;
    };

    void setAside(QPDFObjectHandle dictionary, const std::string& key) {
        if (dictionary.hasKey(key)) {
            aside_.push_back({dictionary, key, dictionary.getKey(key)});
            dictionary.removeKey(key);
        }
    }
    void restore() {
        for (auto& entry : aside_) {
            entry.dictionary.replaceKey(entry.key, entry.value);
        }
        aside_.clear();
    }

    std::vector<Entry> aside_;
};

void configure(QPDFWriter& writer, const SerializeOptions& options) {
    if (options.decrypt) {
        writer.setPreserveEncryption(false);
    }
    if (options.linearize) {
        writer.setLinearization(true);
    }
    if (options.streamsAsTheyAre) {
        writer.setCompressStreams(false);
        writer.setDecodeLevel(qpdf_dl_none);
    }
}

} // namespace

void writeDocument(QPDF& pdf, const SerializeOptions& options, std::FILE* file) {
    const KeysSetAside aside(pdf, options);
    QPDFWriter writer(pdf);
    writer.setOutputFile("output", file, false);
    configure(writer, options);
    writer.write();
}

std::string writeDocumentToMemory(QPDF& pdf, const SerializeOptions& options) {
    const KeysSetAside aside(pdf, options);
    QPDFWriter writer(pdf);
    writer.setOutputMemory();
    configure(writer, options);
    writer.write();
    auto buffer = writer.getBufferSharedPointer();
    return std::string(reinterpret_cast<const char*>(buffer->getBuffer()), buffer->getSize());
}

} // namespace paginor::engine
