// What the text reader reads for an open document. The one place that
// decides it: the bytes the document was opened from while nothing has
// changed, otherwise a snapshot of its current state.
#pragma once

#include "engine/text/text_library.h"

#include <memory>
#include <string>

namespace paginor::engine {
class EngineDocument;
}

namespace paginor::engine::text {

// The document as it stands now, loaded into the text reader. Unchanged since
// the open, poppler reads the very bytes the engine opened (nothing is
// rewritten); it draws no annotations, so field appearances never become page
// text. Changed, it reads a qpdf rewrite without annotations and interactive
// form. The rewrite also stands in where poppler cannot read the original
// bytes or counts their pages differently from qpdf (a file qpdf repaired).
// Null with `error` set when neither loads. May throw std::exception.
std::shared_ptr<TextDocument> loadCurrentText(EngineDocument& document, std::string& error);

} // namespace paginor::engine::text
