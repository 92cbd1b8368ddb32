// How the PD document's AcquirePage hands out page objects.
#pragma once

#include "com/com.h"

#include <memory>

namespace paginor::engine {

class EngineDocument;

// Creates the page object for the 0-based `index` of `document`. An index
// outside the document answers DISP_E_BADINDEX with error information whose
// description names the index and the page count; *page is then null.
HRESULT createPageObject(std::shared_ptr<EngineDocument> document, LONG index, IDispatch** page);

} // namespace paginor::engine
