// Writes indirect objects as PDF text for an update section: the object's
// current value as qpdf holds it, references renumbered where the update
// gives an object another number than it has in memory, and strings and
// stream data encrypted when the document is.
#pragma once

#include <qpdf/QPDFObjGen.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <functional>
#include <string>

namespace paginor::engine {

class ObjectEncryption;

// A name in PDF syntax from qpdf's canonical form, every byte a reader
// could misread escaped.
std::string nameText(const std::string& canonical);

class ObjectWriter {
public:
    // `numberInFile` maps an in-memory object to the number it is written
    // under (identity for the file's own objects).
    ObjectWriter(std::function<QPDFObjGen(QPDFObjGen)> numberInFile,
                 const ObjectEncryption* encryption);

    // "<n> <g> obj ... endobj" for `object` (indirect) written as `asNumber`.
    // A stream's data is written raw (as its filters leave it), its /Length
    // direct. `onReference` sees every indirect reference the text contains.
    std::string write(QPDFObjectHandle object, QPDFObjGen asNumber,
                      const std::function<void(QPDFObjGen)>& onReference);

    // A direct value as it would appear inside an object, strings in the
    // clear (for the trailer, which is never encrypted).
    std::string writeClear(QPDFObjectHandle direct,
                           const std::function<void(QPDFObjGen)>& onReference);

private:
    void value(std::string& out, QPDFObjectHandle item, int depth);

    std::function<QPDFObjGen(QPDFObjGen)> numberInFile_;
    const ObjectEncryption* encryption_;
    bool encrypting_ = false;
    bool skipLength_ = false; // writing a stream's dictionary: its /Length comes last
    QPDFObjGen current_;
    const std::function<void(QPDFObjGen)>* onReference_ = nullptr;
};

} // namespace paginor::engine
