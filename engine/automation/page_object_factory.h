// Entry point the PD document's AcquirePage uses to hand out page objects.
// Implemented in engine/text (page_object_factory.cpp), which also owns the
// page's text selection and the lazily loaded word extraction.
//
// For the engine's build: engine/text/sources.cmake appends the page and
// selection objects to PAGINOR_ENGINE_SOURCES, and engine/text/CMakeLists.txt
// builds libpaginor_text.so (the only poppler user, dlopened beside the
// engine module on the first text request) and links the loader
// (paginor_text_access) into paginor_engine_core.
#pragma once

#include "com/com.h"

#include <memory>

class EngineDocument;

// Creates the page object for the 0-based `index` of `doc`. An index outside
// the document answers DISP_E_BADINDEX with error information whose
// description names the index and the page count; *page is then null.
HRESULT CreatePageObject(std::shared_ptr<EngineDocument> doc, LONG index, IDispatch** page);
