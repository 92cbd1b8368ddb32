// A pool of spare stream objects for the copy of a file that qpdf parses.
//
// qpdf 11.3 numbers every new indirect object (newStream, newReserved,
// makeIndirectObject) from getObjectCount(), which first resolves every
// object of the file once; on a large file that costs more than everything
// else a field write does. Objects that already exist do not: so before the
// file is parsed, a small update section holding empty spare streams is
// appended to the bytes qpdf reads (never to what is saved), with its own
// cross-reference stream (qpdf reads those entries faster than a table's)
// chained to the file's newest section by /Prev and a copy of its trailer. The spares are then
// ordinary objects of the parsed document; one is taken whenever a new stream is needed, and only
// those taken are ever written.
//
// The spares (and the section's own cross-reference stream, numbered right
// after them) carry generation kSpareGeneration, which no object of a real
// file uses in practice, so that they never hide an object of the file
// whose number lies above its /Size (a common fault).
#pragma once

#include "engine/incremental/last_cross_reference.h"

#include <string>

namespace paginor::engine {

constexpr int kSpareGeneration = 65000;

struct SpareObjects {
    int firstNumber = 0; // spares are firstNumber .. firstNumber + count - 1
    int count = 0;
};

// How many spares a file of `size` objects gets: enough for a new
// appearance for most of its widgets (forms often have none drawn), few
// enough that reading their entries costs a small part of the parse.
int spareCountFor(std::int64_t size);

// The section to append to `originalLength` bytes whose newest section is
// `last`; `endsWithLineEnd` says whether those bytes end in CR or LF.
std::string spareObjectSection(const LastCrossReference& last, std::size_t originalLength,
                               bool endsWithLineEnd, const SpareObjects& spares);

} // namespace paginor::engine
