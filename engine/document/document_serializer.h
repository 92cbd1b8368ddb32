// Writing a document's current state with QPDFWriter, to a file or to memory.
#pragma once

#include "engine/document/engine_document.h"

#include <cstdio>
#include <string>

namespace paginor::engine {

// Writes to an open file; the caller flushes and closes it.
void writeDocument(QPDF& pdf, const SerializeOptions& options, std::FILE* file);
std::string writeDocumentToMemory(QPDF& pdf, const SerializeOptions& options);

} // namespace paginor::engine
