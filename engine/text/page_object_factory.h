// Entry point the PD document's AcquirePage uses to hand out page objects.
// Implemented in engine/text (page_object_factory.cpp), which also owns the
// page's text selection and the lazily loaded word extraction.
//
// For the engine's build: engine/text/sources.cmake appends the engine-side
// sources to PAGINOR_ENGINE_SOURCES (include it from engine/CMakeLists.txt),
// and engine/text/CMakeLists.txt builds libpaginor_text.so, which the engine
// dlopens on the first text request (add_subdirectory(text)). The engine
// module must link `dl` and be able to find its own path with dladdr.
#pragma once

#include "com/com.h"

#include <memory>

class EngineDocument;

// Creates the page object for the 0-based `index` of `doc`. An index outside
// the document answers DISP_E_BADINDEX with error information whose
// description names the index and the page count; *page is then null.
HRESULT CreatePageObject(std::shared_ptr<EngineDocument> doc, LONG index, IDispatch** page);
