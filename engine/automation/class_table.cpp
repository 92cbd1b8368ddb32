// The classes this module serves. A new class gets a CLSID in class_ids.h, a
// line here and a line in module/com_registry.txt.in.
#include "engine/automation/class_table.h"

#include "engine/automation/application_object.h"
#include "engine/automation/forms_application_object.h"
#include "engine/automation/highlight_list_object.h"
#include "engine/automation/pd_document_object.h"

#include "automation_contract/automation_interfaces.h"

namespace paginor::engine {

namespace {

const EngineClass kClasses[] = {
    {&CLSID_EngineApplication, kProgIdApplication, &createInstanceOf<ApplicationObject>},
    {&CLSID_EnginePDDocument, kProgIdPDDocument, &createInstanceOf<PDDocumentObject>},
    {&CLSID_EngineHighlightList, kProgIdHighlightList, &createInstanceOf<HighlightListObject>},
    {&CLSID_EngineFormsApplication, kProgIdFormsApp, &createFormsApplication},
};

} // namespace

std::span<const EngineClass> engineClasses() {
    return kClasses;
}

} // namespace paginor::engine
