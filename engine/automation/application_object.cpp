#include "engine/automation/application_object.h"

#include "engine/automation/viewer_registry.h"

#include <atomic>

namespace paginor::engine {

namespace {

std::atomic<bool> applicationVisible{false};

HRESULT answerTrue(VARIANT_BOOL* result) {
    if (result == nullptr) {
        return E_POINTER;
    }
    *result = VARIANT_TRUE;
    return S_OK;
}

} // namespace

bool ApplicationObject::visible() {
    return applicationVisible.load();
}

HRESULT ApplicationObject::EndApplication(VARIANT_BOOL* result) {
    return run([&] {
        ViewerRegistry::instance().closeAll();
        applicationVisible = false;
        return answerTrue(result);
    });
}

HRESULT ApplicationObject::Hide(VARIANT_BOOL* result) {
    return run([&] {
        applicationVisible = false;
        return answerTrue(result);
    });
}

HRESULT ApplicationObject::Show(VARIANT_BOOL* result) {
    return run([&] {
        applicationVisible = true;
        return answerTrue(result);
    });
}

HRESULT ApplicationObject::CloseAllDocuments(VARIANT_BOOL* result) {
    return run([&] {
        ViewerRegistry::instance().closeAll();
        return answerTrue(result);
    });
}

} // namespace paginor::engine
