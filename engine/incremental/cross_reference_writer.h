// The cross-reference section at the end of an update: a classic table or a
// cross-reference stream, each followed by "startxref" and "%%EOF".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace paginor::engine {

struct CrossReferenceEntry {
    int number = 0;
    int generation = 0;
    std::int64_t offset = 0; // of "<number> <generation> obj" from the file's first byte
};

// "xref", one subsection per run of consecutive numbers, "trailer" with
// `trailerEntries` (PDF text of the dictionary's inside, /Size included),
// startxref `sectionOffset` (where the returned text will start) and %%EOF.
std::string crossReferenceTable(std::vector<CrossReferenceEntry> entries,
                                const std::string& trailerEntries, std::int64_t sectionOffset);

// A cross-reference stream object `streamNumber` `streamGeneration` that
// lists the entries and itself, with the trailer entries in its dictionary,
// then startxref and %%EOF. The stream is compressed and never encrypted.
std::string crossReferenceStream(std::vector<CrossReferenceEntry> entries,
                                 const std::string& trailerEntries, int streamNumber,
                                 std::int64_t sectionOffset, int streamGeneration = 0);

} // namespace paginor::engine
