// Writing a document as the bytes it was opened from followed by one update
// section: every original object changed since the open, every new object
// those reach, a cross-reference section of the same kind as the file's
// newest one, and a trailer chained to it with /Prev.
#pragma once

#include "engine/incremental/last_cross_reference.h"

#include <qpdf/QPDFObjGen.hh>

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QPDF;

namespace paginor::engine {

struct UpdatePlan {
    std::string_view original; // the bytes the document was opened from
    LastCrossReference last;   // what their end says
    // Objects of the original file changed since the open, as numbered in
    // memory. New objects need no list: whatever a written object refers to
    // that the original file does not hold is new and written too.
    std::vector<QPDFObjGen> changed;
    // Objects numbered from here on, and spares, are not the file's own.
    int firstNewNumber = 0;
};

// The update alone (without the original bytes). Throws UpdateNotPossible
// when the document's changes cannot be written as an update, and qpdf's
// or the standard library's exceptions when an object cannot be read.
std::string updateSection(QPDF& pdf, const UpdatePlan& plan);

// Whether an in-memory object is one of the original file's.
bool isOriginalObject(QPDFObjGen object, int firstNewNumber);

} // namespace paginor::engine
