#include "text_snapshot.h"

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <utility>
#include <vector>

namespace paginor::text {
namespace {

// Takes a key out of a dictionary for the duration of a write and puts it back
// however the write ends, so the open document is left as it was.
class KeyRemoval {
public:
    KeyRemoval(QPDFObjectHandle dictionary, std::string key)
        : dictionary_(std::move(dictionary)), key_(std::move(key)),
          value_(dictionary_.getKey(key_)) {
        dictionary_.removeKey(key_);
    }
    ~KeyRemoval() { dictionary_.replaceKey(key_, value_); }
    KeyRemoval(KeyRemoval&&) = default;
    KeyRemoval(const KeyRemoval&) = delete;
    KeyRemoval& operator=(const KeyRemoval&) = delete;
    KeyRemoval& operator=(KeyRemoval&&) = delete;

private:
    QPDFObjectHandle dictionary_;
    std::string key_;
    QPDFObjectHandle value_;
};

} // namespace

std::string writeTextSnapshot(QPDF& pdf) {
    std::vector<std::unique_ptr<KeyRemoval>> removed;
    QPDFObjectHandle root = pdf.getRoot();
    if (root.hasKey("/AcroForm"))
        removed.push_back(std::make_unique<KeyRemoval>(root, "/AcroForm"));
    for (auto& page : QPDFPageDocumentHelper(pdf).getAllPages()) {
        QPDFObjectHandle dictionary = page.getObjectHandle();
        if (dictionary.hasKey("/Annots"))
            removed.push_back(std::make_unique<KeyRemoval>(dictionary, "/Annots"));
    }
    QPDFWriter writer(pdf);
    writer.setOutputMemory();
    writer.setPreserveEncryption(false); // the snapshot never leaves memory
    writer.write();
    std::unique_ptr<Buffer> buffer(writer.getBuffer());
    return std::string(reinterpret_cast<const char*>(buffer->getBuffer()), buffer->getSize());
}

} // namespace paginor::text
