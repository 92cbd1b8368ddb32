// The client-side stand-in for one object of a local server (the proxy
// manager): its identity (IUnknown), the interface proxies it hands out on
// QueryInterface, its reference count, and the server's reference that it
// gives back when the last local reference goes. Interface proxies (see
// interface_proxy.h) share its count and identity.
#pragma once

#include "com/com.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace paginor::remoting {

class ClientConnection;
class InterfaceMarshaller;

// Answered only by remote objects: finds the remote object behind any of its
// interfaces. Not a platform identity.
inline constexpr IID IID_IRemoteObjectIdentity = {
    0x6d1f4a52, 0x3e8b, 0x4c77, {0x9a, 0x1e, 0x50, 0x2b, 0x7c, 0x44, 0xd0, 0x19}};

// One interface of a remote object, as its reference listed it.
struct RemoteInterface {
    IID iid;
    bool primary = false;
    std::vector<std::byte> snapshot;
};

// What an interface proxy is to its remote object.
class InterfaceProxyBase {
public:
    virtual ~InterfaceProxyBase() = default;
    // The pointer QueryInterface hands out for the proxy's interface.
    virtual void* InterfacePointer() = 0;
};

class RemoteObject final : public ISupportErrorInfo {
public:
    RemoteObject(std::shared_ptr<ClientConnection> connection, std::uint64_t id,
                 std::vector<RemoteInterface> interfaces);
    RemoteObject(const RemoteObject&) = delete;
    RemoteObject& operator=(const RemoteObject&) = delete;

    // The remote object behind `object`, or null for anything else. No
    // reference is added.
    static RemoteObject* Behind(IUnknown* object);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // Answered here: the proxy sets error information for every failed call
    // (the server's, or a description of a lost server), so each interface
    // of the object supports it.
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override;

    IUnknown* Identity() { return this; }
    std::uint64_t Id() const { return id_; }
    ClientConnection& Connection() const { return *connection_; }

    // What the object is, in the user's words ("page 1"), for the
    // descriptions of failed calls; set by the proxy that received it.
    std::u16string Label() const;
    void SetLabel(std::u16string label);

    // Another reference to this object arrived from the server (called with
    // the connection's object lock held).
    void AddImportedReference(std::vector<RemoteInterface> interfaces);

private:
    ~RemoteObject();
    void* FindInterface(REFIID riid);
    void* ProxyAt(std::size_t index);
    // The interface QueryInterface(IID_IDispatch) answers with: the one the
    // object was handed out as, else the first dispatch interface.
    std::optional<std::size_t> DispatchInterface() const;

    std::atomic<ULONG> references_{1};
    std::uint32_t serverReferences_ = 1; // guarded by the connection's object lock
    std::shared_ptr<ClientConnection> connection_;
    const std::uint64_t id_;

    std::mutex mutex_; // guards the interfaces and their proxies
    std::vector<RemoteInterface> interfaces_;
    // Parallel to interfaces_: each one's marshaller (null when none is
    // known here) and its proxy, made on first use.
    std::vector<const InterfaceMarshaller*> marshallers_;
    std::vector<std::unique_ptr<InterfaceProxyBase>> proxies_;
    std::optional<std::size_t> dispatch_;

    // Apart, since a proxy being made may set it.
    mutable std::mutex labelMutex_;
    std::u16string label_;
};

} // namespace paginor::remoting
