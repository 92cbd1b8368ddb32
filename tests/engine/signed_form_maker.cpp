#include "signed_form_maker.h"

#include "engine_test_support.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

namespace engine_test {

namespace {

constexpr std::size_t kSignatureRoom = 8192; // bytes of DER the placeholder holds

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeAll(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string hex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string pdfString(const std::string& text) {
    return "(" + text + ")";
}

// The unsigned file: fixed-width /ByteRange and a zero-filled /Contents.
std::string unsignedForm(const SignedFormOptions& options) {
    std::map<int, std::string> objects;
    std::string perms;
    std::string reference;
    if (options.certification > 0) {
        perms = " /Perms << /DocMDP 7 0 R >>";
        reference = " /Reference [<< /Type /SigRef /TransformMethod /DocMDP /TransformParams "
                    "<< /Type /TransformParams /P " +
                    std::to_string(options.certification) + " /V /1.2 >> >>]";
    }
    std::string lock;
    if (!options.lockedFields.empty()) {
        lock = " /Lock 10 0 R";
        std::string names;
        for (const std::string& name : options.lockedFields) {
            names += " " + pdfString(name);
        }
        objects[10] = "<< /Type /SigFieldLock /Action /Include /Fields [" + names + " ] >>";
    }
    objects[1] = "<< /Type /Catalog /Pages 2 0 R /AcroForm 4 0 R" + perms + " >>";
    objects[2] = "<< /Type /Pages /Kids [3 0 R] /Count 1 >>";
    objects[3] = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Annots [5 0 R 6 0 R 8 0 R] "
                 "/Contents 11 0 R /Resources << /Font << /Helv 9 0 R >> >> >>";
    objects[4] = "<< /Fields [5 0 R 6 0 R 8 0 R] /DA (/Helv 0 Tf 0 g) /DR << /Font << /Helv 9 0 R "
                 ">> >> /SigFlags 3 >>";
    objects[5] = "<< /Type /Annot /Subtype /Widget /FT /Tx /T (name) /Rect [50 700 300 720] "
                 "/P 3 0 R /DA (/Helv 12 Tf 0 g) /F 4 >>";
    objects[6] = "<< /Type /Annot /Subtype /Widget /FT /Tx /T (locked) /Rect [50 650 300 670] "
                 "/P 3 0 R /DA (/Helv 12 Tf 0 g) /F 4 >>";
    objects[7] = "<< /Type /Sig /Filter /Adobe.PPKLite /SubFilter /adbe.pkcs7.detached "
                 "/ByteRange [0 0000000000 0000000000 0000000000] /Contents <" +
                 std::string(2 * kSignatureRoom, '0') + "> /M (D:20240101000000Z)" + reference +
                 " >>";
    objects[8] = "<< /Type /Annot /Subtype /Widget /FT /Sig /T (Signature1) /Rect [0 0 0 0] "
                 "/P 3 0 R /F 132 /V 7 0 R" +
                 lock + " >>";
    objects[9] =
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>";
    const std::string content = "BT /Helv 12 Tf 50 740 Td (A signed form) Tj ET";
    objects[11] =
        "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream";

    std::string out = "%PDF-1.7\n%\xE2\xE3\xCF\xD3\n";
    const int size = objects.rbegin()->first + 1;
    std::vector<std::size_t> offsets(static_cast<std::size_t>(size), 0);
    for (const auto& [number, body] : objects) {
        offsets[static_cast<std::size_t>(number)] = out.size();
        out += std::to_string(number) + " 0 obj\n" + body + "\nendobj\n";
    }
    const std::size_t xref = out.size();
    out += "xref\n0 " + std::to_string(size) + "\n0000000000 65535 f \n";
    for (int number = 1; number < size; ++number) {
        char line[32];
        if (objects.count(number) != 0) {
            std::snprintf(line, sizeof line, "%010zu 00000 n \n",
                          offsets[static_cast<std::size_t>(number)]);
        } else {
            std::snprintf(line, sizeof line, "0000000000 00001 f \n");
        }
        out += line;
    }
    out += "trailer\n<< /Size " + std::to_string(size) +
           " /Root 1 0 R /ID [<0123456789ABCDEF0123456789ABCDEF> "
           "<0123456789ABCDEF0123456789ABCDEF>] >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    return out;
}

bool run(const std::vector<std::string>& arguments) {
    int exitCode = -1;
    runProgram(arguments, &exitCode);
    return exitCode == 0;
}

} // namespace

bool makeSignedForm(const fs::path& workFolder, const fs::path& output,
                    const SignedFormOptions& options) {
    const fs::path key = workFolder / "signing-key.pem";
    const fs::path certificate = workFolder / "signing-certificate.pem";
    if (!fs::exists(certificate) &&
        !run({"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key.string(),
              "-out", certificate.string(), "-days", "2", "-subj", "/CN=Paginor test signer"})) {
        return false;
    }
    std::string file = unsignedForm(options);
    const std::size_t contents = file.find("/Contents <") + 10; // at '<'
    const std::size_t afterContents = file.find('>', contents) + 1;
    char range[64];
    std::snprintf(range, sizeof range, "[0 %010zu %010zu %010zu]", contents, afterContents,
                  file.size() - afterContents);
    const std::size_t rangeAt = file.find("[0 0000000000 0000000000 0000000000]");
    file.replace(rangeAt, std::string(range).size(), range);

    const fs::path data = workFolder / "signed-bytes.bin";
    const fs::path signature = workFolder / "signature.der";
    writeAll(data, file.substr(0, contents) + file.substr(afterContents));
    if (!run({"openssl", "cms", "-sign", "-binary", "-in", data.string(), "-signer",
              certificate.string(), "-inkey", key.string(), "-outform", "DER", "-out",
              signature.string(), "-md", "sha256"})) {
        return false;
    }
    const std::string der = hex(readAll(signature));
    if (der.size() > 2 * kSignatureRoom) {
        return false;
    }
    file.replace(contents + 1, der.size(), der);
    writeAll(output, file);
    return true;
}

std::vector<std::string> signatureVerdicts(const fs::path& file) {
    int exitCode = -1;
    const std::string report = runProgram({"pdfsig", file.string()}, &exitCode);
    std::vector<std::string> verdicts;
    std::istringstream lines(report);
    std::string line;
    const std::string marker = "Signature Validation: ";
    while (std::getline(lines, line)) {
        const std::size_t at = line.find(marker);
        if (at != std::string::npos) {
            verdicts.push_back(line.substr(at + marker.size()));
        }
    }
    return verdicts;
}

} // namespace engine_test
