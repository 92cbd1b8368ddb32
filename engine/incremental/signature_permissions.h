// What the document's signatures allow: a usage-rights signature (/Perms
// /UR3) that a viewer checks against the bytes it covers, and a
// certification (/Perms /DocMDP) that says which changes keep it valid.
#pragma once

#include <optional>

class QPDF;

namespace paginor::engine {

struct SignaturePermissions {
    bool usageRights = false;
    // The certification's permission level when certified: 1 no changes,
    // 2 form filling and signing, 3 also annotations.
    std::optional<int> certification;

    bool forbidsAnyChange() const { return certification && *certification == 1; }
};

SignaturePermissions readSignaturePermissions(QPDF& pdf);

// Whether any signature is on the document: usage rights, a certification,
// or a signature field with a signature value (found by walking the fields).
bool carriesSignatures(QPDF& pdf);

} // namespace paginor::engine
