// "AFormAut.App": the forms object. Its field collection is the form of the
// application's active document (the viewer document opened last) at the
// time the collection is asked for.
#pragma once

#include "engine/automation/class_ids.h"
#include "engine/automation/com_object.h"

namespace paginor::engine {

class FormsApplicationObject final : public engine::ComObject<FormsApplicationObject, IFormsApp> {
public:
    static constexpr const CLSID& kClassId = engine::CLSID_EngineFormsApplication;

    HRESULT STDMETHODCALLTYPE get_Fields(IDispatch** fields) override;

private:
    friend class engine::ComObject<FormsApplicationObject, IFormsApp>;
    FormsApplicationObject() = default;
};

// The class table's creator for CLSID_EngineFormsApplication: creates a
// forms object and answers interface `riid` of it.
HRESULT createFormsApplication(REFIID riid, void** object);

} // namespace paginor::engine
