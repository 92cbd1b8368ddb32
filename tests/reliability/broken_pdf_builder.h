// Writes small PDFs by hand, object by object, so tests can build the broken
// structures that no well-behaved writer produces: loops in the page,
// field and outline trees, absurd nesting, lying cross-reference tables.
#pragma once

#include <string>
#include <vector>

namespace reliability {

class PdfBuilder {
public:
    // Adds "n 0 obj <body> endobj" as the next object (numbered from 1);
    // answers its number.
    int Add(std::string body);
    // An object whose body is a stream with this dictionary (without
    // /Length) and these bytes.
    int AddStream(const std::string& dictionary, const std::string& bytes);
    // The whole file: header, objects, a correct xref table and a trailer
    // whose /Root is object `root`.
    std::string Build(int root) const;

private:
    std::vector<std::string> objects_;
};

// A one-page document with the given extra /Root entries and page entries.
std::string OnePageDocument(const std::string& extraRootEntries = "",
                            const std::string& extraPageEntries = "");

// Bytes compressed with zlib (a /FlateDecode stream's data).
std::string Deflate(const std::string& bytes);

} // namespace reliability
