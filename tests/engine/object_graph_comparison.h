// Compares two PDF files as documents: both are walked from the trailer in
// parallel (they may number their objects differently) and every reachable
// object is compared after resolving references, stream data decoded where
// the raw bytes differ. What a save is free to change is left out: the file
// identifier, /Length, the cross-reference stream's own entries, the
// modification dates in the information dictionary and the XMP packet, the
// catalog's /Perms (a whole-file save removes a usage-rights signature) and
// /Extensions (qpdf's writer adds one for AES-256). qpdf 11.3's writer puts a
// "#" inside a name out unescaped, so a whole-file save turns "#e5" into the
// byte it spells: names are compared with such sequences decoded. Dangling
// references compare equal (both are null).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace engine_test {

// The differences found, each "path: what differs" (at most `limit`).
std::vector<std::string> documentDifferences(const std::filesystem::path& a,
                                             const std::filesystem::path& b,
                                             std::size_t limit = 10);

} // namespace engine_test
