#include "engine/document/signature_permissions.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

namespace paginor::engine {

namespace {

// The /P of the signature's DocMDP reference; 2 when it says nothing.
std::optional<int> docMdpLevel(QPDFObjectHandle signature) {
    QPDFObjectHandle references = signature.getKey("/Reference");
    if (!references.isArray()) {
        return 2;
    }
    for (QPDFObjectHandle reference : references.aitems()) {
        if (!reference.isDictionary() ||
            !reference.getKey("/TransformMethod").isNameAndEquals("/DocMDP")) {
            continue;
        }
        QPDFObjectHandle params = reference.getKey("/TransformParams");
        QPDFObjectHandle level =
            params.isDictionary() ? params.getKey("/P") : QPDFObjectHandle::newNull();
        if (level.isInteger() && level.getIntValue() >= 1 && level.getIntValue() <= 3) {
            return static_cast<int>(level.getIntValue());
        }
        return 2;
    }
    return 2;
}

} // namespace

SignaturePermissions readSignaturePermissions(QPDF& pdf) {
    SignaturePermissions permissions;
    QPDFObjectHandle perms = pdf.getRoot().getKey("/Perms");
    if (!perms.isDictionary()) {
        return permissions;
    }
    permissions.usageRights = perms.getKey("/UR3").isDictionary();
    QPDFObjectHandle certification = perms.getKey("/DocMDP");
    if (certification.isDictionary()) {
        permissions.certification = docMdpLevel(certification);
    }
    return permissions;
}

} // namespace paginor::engine
