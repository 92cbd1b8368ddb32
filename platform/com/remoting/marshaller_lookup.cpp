#include "com/remoting/marshaller_lookup.h"

#include "com/com_registry.h"

#include <dlfcn.h>

#include <algorithm>
#include <mutex>
#include <string>

namespace paginor::remoting {

namespace {

std::mutex g_mutex;

// The marshallers found so far: a handful, so a short list is the fastest
// look-up (this runs for every interface of every object that arrives).
std::vector<const InterfaceMarshaller*>& Found() {
    static std::vector<const InterfaceMarshaller*> found;
    return found;
}

const InterfaceMarshaller* BuiltIn(REFIID iid) {
    for (const InterfaceMarshaller* marshaller :
         {&EnumVariantMarshaller(), &RunnableObjectMarshaller()}) {
        if (marshaller->Iid() == iid) {
            return marshaller;
        }
    }
    return nullptr;
}

const InterfaceMarshaller* FromModule(const std::string& module, REFIID iid) {
    void* handle = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        return nullptr;
    }
    const auto get = reinterpret_cast<GetInterfaceMarshallerFunction>(
        dlsym(handle, kGetInterfaceMarshallerExport));
    if (get == nullptr) {
        return nullptr;
    }
    const InterfaceMarshaller* marshaller = get(iid);
    return marshaller != nullptr && marshaller->Iid() == iid ? marshaller : nullptr;
}

} // namespace

const InterfaceMarshaller* FindMarshaller(REFIID iid) {
    if (const InterfaceMarshaller* builtIn = BuiltIn(iid)) {
        return builtIn;
    }
    {
        std::lock_guard lock(g_mutex);
        for (const InterfaceMarshaller* known : Found()) {
            if (known->Iid() == iid) {
                return known;
            }
        }
    }
    const std::optional<std::string> module = LookUpInterfaceModule(iid);
    const InterfaceMarshaller* marshaller = module ? FromModule(*module, iid) : nullptr;
    if (marshaller != nullptr) {
        std::lock_guard lock(g_mutex);
        if (std::find(Found().begin(), Found().end(), marshaller) == Found().end()) {
            Found().push_back(marshaller);
        }
    }
    return marshaller;
}

std::vector<const InterfaceMarshaller*> KnownMarshallers() {
    std::vector<const InterfaceMarshaller*> known{&EnumVariantMarshaller(),
                                                  &RunnableObjectMarshaller()};
    for (const auto& [iid, module] : InterfaceModules()) {
        const InterfaceMarshaller* marshaller = FindMarshaller(iid);
        if (marshaller != nullptr &&
            std::find(known.begin(), known.end(), marshaller) == known.end()) {
            known.push_back(marshaller);
        }
    }
    return known;
}

} // namespace paginor::remoting
