// Constructors of the scripted objects, by family.
#pragma once

#include "scripted_object.h"

namespace paginor::scripted {

// Application, documents, viewer, page, text selection, highlight list.
ComPtr<IDispatch> MakeDocumentObject(ObjectKind kind, bool refuse);
ComPtr<IDispatch> MakeViewer(ComPtr<IDispatch> document, bool refuse);
// Forms object, fields collection and fields.
ComPtr<IDispatch> MakeFormsObject(ObjectKind kind, bool refuse);

} // namespace paginor::scripted
