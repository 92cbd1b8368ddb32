// Documents for the update-section tests, made with qpdf in memory in every
// shape a save meets: cross-reference table or stream, object streams,
// linearized, encrypted with each method qpdf writes.
#pragma once

#include "engine/incremental/document_changes.h"
#include "engine/incremental/last_cross_reference.h"

#include <qpdf/QPDF.hh>

#include <memory>
#include <string>
#include <vector>

namespace incremental_test {

enum class Shape {
    Table,
    StreamsAndObjectStreams,
    Linearized,
    Rc4Encrypted,
    AesEncrypted,
    Aes256Encrypted,
};

struct ShapeCase {
    Shape shape;
    const char* name;
};
std::vector<ShapeCase> allShapes();

// A one-page document with a text field "name" (its own object), an
// /Info dictionary unless `withInfo` is false, written in `shape`.
std::string makeDocument(Shape shape, bool withInfo = true);

// A document opened the way the engine opens one: spare objects appended
// to the parsed copy when the end of the file can be read.
struct OpenedDocument {
    std::string original;
    std::string parsed; // original + spare section
    std::optional<paginor::engine::LastCrossReference> last;
    std::unique_ptr<QPDF> pdf;
    std::unique_ptr<paginor::engine::DocumentChanges> changes;
};
std::unique_ptr<OpenedDocument> openWithSpares(const std::string& bytes, int spares = 8);

// original + the update section for what `changes` recorded.
std::string saveIncrementally(OpenedDocument& document);

// What `qpdf --check` finds, by qpdf itself: every object resolved and every
// stream decoded; the warnings' texts (empty when the file is clean).
std::vector<std::string> checkProblems(const std::string& bytes);

std::unique_ptr<QPDF> parse(const std::string& bytes);

// The bytes that follow the last "startxref".
bool lastSectionIsTable(const std::string& bytes);

} // namespace incremental_test
