#include "engine/incremental/signature_permissions.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <set>

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

bool signedFieldBelow(QPDFObjectHandle node, int depth, std::set<QPDFObjGen>& seen) {
    if (!node.isDictionary() || depth > 32 ||
        (node.isIndirect() && !seen.insert(node.getObjGen()).second)) {
        return false;
    }
    QPDFObjectHandle value = node.getKey("/V");
    if (node.getKey("/FT").isNameAndEquals("/Sig") && value.isDictionary() &&
        value.hasKey("/ByteRange")) {
        return true;
    }
    QPDFObjectHandle kids = node.getKey("/Kids");
    if (kids.isArray()) {
        for (QPDFObjectHandle kid : kids.aitems()) {
            if (signedFieldBelow(kid, depth + 1, seen)) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

bool carriesSignatures(QPDF& pdf) {
    if (pdf.getRoot().getKey("/Perms").isDictionary()) {
        return true;
    }
    QPDFObjectHandle acroForm = pdf.getRoot().getKey("/AcroForm");
    if (!acroForm.isDictionary()) {
        return false;
    }
    QPDFObjectHandle flags = acroForm.getKey("/SigFlags");
    if (flags.isInteger() && (flags.getIntValue() & 1) != 0) {
        return true;
    }
    QPDFObjectHandle fields = acroForm.getKey("/Fields");
    std::set<QPDFObjGen> seen;
    if (fields.isArray()) {
        for (QPDFObjectHandle field : fields.aitems()) {
            if (signedFieldBelow(field, 0, seen)) {
                return true;
            }
        }
    }
    return false;
}

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
