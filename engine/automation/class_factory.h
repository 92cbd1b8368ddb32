// The class factory the module hands out for each of its classes, and the
// instance-creation helper the class table uses.
#pragma once

#include "com/com.h"
#include "engine/automation/com_object.h"

namespace paginor::engine {

// Creates one instance and answers the requested interface of it.
using InstanceCreator = HRESULT (*)(REFIID riid, void** object);

class ClassFactory final : public ComObject<ClassFactory, IClassFactory> {
public:
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    friend class ComObject<ClassFactory, IClassFactory>;
    explicit ClassFactory(InstanceCreator creator) : creator_(creator) {}

    InstanceCreator creator_;
};

// An InstanceCreator for any engine object class with a default create().
template <typename Object> HRESULT createInstanceOf(REFIID riid, void** object) noexcept {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    try {
        auto instance = Object::create();
        return instance->QueryInterface(riid, object);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

} // namespace paginor::engine
