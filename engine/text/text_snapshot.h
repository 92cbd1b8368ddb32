// The bytes the text reader loads: the document as it stands now, without
// the pages' annotations (widget appearances would otherwise leak field
// values into the page text) and without the interactive form.
#pragma once

#include "engine/document/document_serializer.h"

#include <string>

namespace paginor::engine::text {

// Throws std::exception (qpdf's) when the document cannot be written.
inline std::string writeTextSnapshot(QPDF& pdf) {
    return engine::writeDocumentToMemory(pdf, {.withoutPageAnnotations = true,
                                               .withoutAcroForm = true,
                                               .decrypt = true,
                                               .streamsAsTheyAre = true}); // never leaves memory
}

} // namespace paginor::engine::text
