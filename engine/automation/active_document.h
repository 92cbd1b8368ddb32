// The application's active document: the document of the viewer document
// opened last that is still open. The forms object works on it.
#pragma once

#include <memory>

namespace paginor::engine {

class EngineDocument;

// Null when no viewer document with an open document exists.
std::shared_ptr<EngineDocument> activeDocument();

} // namespace paginor::engine
