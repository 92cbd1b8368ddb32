// Makes signed test documents: a one-page form with the text fields "name"
// and "locked" and a signature field "Signature1" whose detached PKCS#7
// signature (made with the openssl command and a throwaway self-signed
// certificate) covers the whole file, optionally certifying the document
// (/Perms /DocMDP) or locking fields (/Lock).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace engine_test {

struct SignedFormOptions {
    int certification = 0;                 // the DocMDP /P (1 to 3); 0: not a certification
    std::vector<std::string> lockedFields; // named in the signature field's /Lock
};

// Writes the form to `output`, using `workFolder` for the key and the data
// to sign. False when openssl is missing or fails.
bool makeSignedForm(const std::filesystem::path& workFolder, const std::filesystem::path& output,
                    const SignedFormOptions& options = {});

// pdfsig's verdict on each signature ("Signature is Valid." ...), in order.
std::vector<std::string> signatureVerdicts(const std::filesystem::path& file);

} // namespace engine_test
