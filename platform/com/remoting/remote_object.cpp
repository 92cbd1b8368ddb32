#include "com/remoting/remote_object.h"

#include "com/remoting/client_connection.h"
#include "com/remoting/interface_marshaller.h"
#include "com/remoting/marshaller_lookup.h"

#include <new>
#include <optional>

namespace paginor::remoting {

RemoteObject::RemoteObject(std::shared_ptr<ClientConnection> connection, std::uint64_t id,
                           std::vector<RemoteInterface> interfaces)
    : connection_(std::move(connection)), id_(id), interfaces_(std::move(interfaces)),
      proxies_(interfaces_.size()) {
    marshallers_.reserve(interfaces_.size());
    for (const RemoteInterface& entry : interfaces_) {
        marshallers_.push_back(FindMarshaller(entry.iid));
    }
    dispatch_ = DispatchInterface();
}

std::optional<std::size_t> RemoteObject::DispatchInterface() const {
    std::optional<std::size_t> choice;
    for (std::size_t i = 0; i < interfaces_.size(); ++i) {
        if (marshallers_[i] == nullptr || !marshallers_[i]->DerivesFromDispatch()) {
            continue;
        }
        if (interfaces_[i].primary) {
            return i;
        }
        if (!choice) {
            choice = i;
        }
    }
    return choice;
}

RemoteObject::~RemoteObject() = default;

RemoteObject* RemoteObject::Behind(IUnknown* object) {
    if (object == nullptr) {
        return nullptr;
    }
    void* found = nullptr;
    if (FAILED(object->QueryInterface(IID_IRemoteObjectIdentity, &found)) || found == nullptr) {
        return nullptr;
    }
    auto* remote = static_cast<RemoteObject*>(static_cast<ISupportErrorInfo*>(found));
    remote->Release(); // the caller holds `object`, which keeps it alive
    return remote;
}

ULONG RemoteObject::AddRef() {
    return ++references_;
}

ULONG RemoteObject::Release() {
    std::uint32_t serverReferences = 0;
    {
        // Under the connection's object lock, so that a reference arriving
        // from the server finds this object either alive or gone, never dying.
        std::lock_guard lock(connection_->ObjectsMutex());
        const ULONG left = --references_;
        if (left != 0) {
            return left;
        }
        connection_->ForgetLocked(id_);
        serverReferences = serverReferences_;
    }
    connection_->SendRelease(id_, serverReferences);
    delete this; // may close the connection, when this was its last object
    return 0;
}

void RemoteObject::AddImportedReference(std::vector<RemoteInterface> interfaces) {
    ++references_;
    ++serverReferences_;
    std::lock_guard lock(mutex_);
    // A later reference may carry a snapshot the first one could not.
    for (RemoteInterface& fresh : interfaces) {
        for (RemoteInterface& known : interfaces_) {
            if (known.iid == fresh.iid && known.snapshot.empty()) {
                known.snapshot = std::move(fresh.snapshot);
            }
        }
    }
}

std::u16string RemoteObject::Label() const {
    std::lock_guard lock(labelMutex_);
    return label_;
}

void RemoteObject::SetLabel(std::u16string label) {
    std::lock_guard lock(labelMutex_);
    label_ = std::move(label);
}

void* RemoteObject::ProxyAt(std::size_t index) {
    if (!proxies_[index]) {
        if (marshallers_[index] == nullptr) {
            return nullptr;
        }
        proxies_[index] = marshallers_[index]->CreateProxy(*this, interfaces_[index].snapshot);
    }
    return proxies_[index]->InterfacePointer();
}

void* RemoteObject::FindInterface(REFIID riid) {
    if (riid == IID_IUnknown || riid == IID_ISupportErrorInfo ||
        riid == IID_IRemoteObjectIdentity) {
        return static_cast<ISupportErrorInfo*>(this);
    }
    std::lock_guard lock(mutex_);
    if (riid == IID_IDispatch) {
        return dispatch_ ? ProxyAt(*dispatch_) : nullptr;
    }
    for (std::size_t i = 0; i < interfaces_.size(); ++i) {
        if (interfaces_[i].iid == riid) {
            return ProxyAt(i);
        }
    }
    return nullptr;
}

HRESULT RemoteObject::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    try {
        *object = FindInterface(riid);
    } catch (const std::bad_alloc&) {
        *object = nullptr;
        return E_OUTOFMEMORY;
    }
    if (*object == nullptr) {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

HRESULT RemoteObject::InterfaceSupportsErrorInfo(REFIID riid) {
    std::lock_guard lock(mutex_);
    for (const RemoteInterface& entry : interfaces_) {
        if (entry.iid == riid) {
            return S_OK;
        }
    }
    return riid == IID_IDispatch && dispatch_ ? S_OK : S_FALSE;
}

} // namespace paginor::remoting
