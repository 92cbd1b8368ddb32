// Weak defaults for the entry points the forms and text parts define. With
// those parts built in, their definitions win at link time.
#include "automation_contract/automation_interfaces.h"
#include "engine/automation/forms_app_hook.h"
#include "engine/automation/guarded_call.h"
#include "engine/automation/page_object_factory.h"

namespace paginor::engine {

__attribute__((weak)) HRESULT createFormsApplication(REFIID, void** object) {
    if (object != nullptr) {
        *object = nullptr;
    }
    return reportFailure(IID_IFormsApp, CLASS_E_CLASSNOTAVAILABLE,
                         "Form field access is not part of this engine build");
}

__attribute__((weak)) HRESULT createPageObject(std::shared_ptr<EngineDocument>, LONG,
                                               IDispatch** page) {
    if (page != nullptr) {
        *page = nullptr;
    }
    return reportFailure(IID_IPDDocument, E_NOTIMPL,
                         "Page objects are not part of this engine build");
}

} // namespace paginor::engine
