// Encrypting what an update adds to an encrypted document, with the
// document's own key and methods, as its reader will decrypt it: RC4 or AES
// (CBC, random first block, padded) with a key per object below revision 5,
// AES-256 with the file key from revision 5 on.
#pragma once

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjGen.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <optional>
#include <string>

namespace paginor::engine {

class ObjectEncryption {
public:
    // Nothing for a document that is not encrypted. Throws UpdateNotPossible
    // for a method other than RC4 and AES, or a key qpdf did not recover.
    static std::optional<ObjectEncryption> of(QPDF& pdf);

    std::string encryptString(const std::string& text, QPDFObjGen object) const;
    // `dictionary` tells a stream's kind: metadata stays in the clear when
    // the document says so. Throws UpdateNotPossible for a stream with its
    // own /Crypt filter, and for one typed as an embedded file when files
    // have a method of their own.
    std::string encryptStream(const std::string& data, QPDFObjectHandle dictionary,
                              QPDFObjGen object) const;

private:
    std::string encrypt(const std::string& data, QPDF::encryption_method_e method,
                        QPDFObjGen object) const;

    std::string key_;
    int v_ = 0;
    int r_ = 0;
    QPDF::encryption_method_e strings_ = QPDF::e_none;
    QPDF::encryption_method_e streams_ = QPDF::e_none;
    QPDF::encryption_method_e files_ = QPDF::e_none;
    bool metadataEncrypted_ = true;
};

} // namespace paginor::engine
