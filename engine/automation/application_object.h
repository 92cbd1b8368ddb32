// "AcroExch.App": the application. It is headless, so show and hide only
// change its visible state. Every instance speaks for the same process-wide
// application: one visible state and one set of viewer documents.
#pragma once

#include "engine/automation/class_ids.h"
#include "engine/automation/com_object.h"

namespace paginor::engine {

class ApplicationObject final : public ComObject<ApplicationObject, IAutomationApp> {
public:
    static constexpr const CLSID& kClassId = CLSID_EngineApplication;

    // Operation 0: closes every document and ends (answers true).
    HRESULT STDMETHODCALLTYPE EndApplication(VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE Hide(VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE Show(VARIANT_BOOL* result) override;
    // Operation 3: closes every viewer document the application holds.
    HRESULT STDMETHODCALLTYPE CloseAllDocuments(VARIANT_BOOL* result) override;

    static bool visible();

private:
    friend class ComObject<ApplicationObject, IAutomationApp>;
    ApplicationObject() = default;
};

} // namespace paginor::engine
