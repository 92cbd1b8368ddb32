// What the runtime needs to carry one interface across a process boundary:
// the client side makes proxies of it, the server side runs its methods from
// requests (stubs) and captures the properties that travel with a reference.
//
// Marshallers for the platform's own interfaces (IEnumVARIANT,
// IRunnableObject) are built in. Those of other interfaces live in modules
// that the registry names with `interface <{IID}> <module>` lines; such a
// module exports
//     extern "C" const paginor::remoting::InterfaceMarshaller*
//     DllGetInterfaceMarshaller(REFIID iid);
// answering null for an interface it does not carry. standard_marshaller.h
// builds a marshaller from an interface's method list.
#pragma once

#include "com/com.h"
#include "com/com_ptr.h"
#include "com/remoting/wire_message.h"

#include <cstddef>
#include <memory>
#include <span>
#include <string_view>

namespace paginor::remoting {

class InterfaceProxyBase;
class RemoteObject;

// The server's side of one call: objects passed in by id, objects handed out.
class ServerCallContext {
public:
    // The server's object for an id a client passed (null for 0). Throws
    // std::invalid_argument for an id the server never handed out.
    virtual ComPtr<IUnknown> ObjectPassedIn(std::uint64_t id) = 0;
    // Writes the reference of an object handed out (`object` exactly as the
    // method answered it, possibly null); the client then owns one reference.
    virtual void WriteObject(MessageWriter& out, IUnknown* object) = 0;

protected:
    ~ServerCallContext() = default;
};

class InterfaceMarshaller {
public:
    virtual ~InterfaceMarshaller() = default;

    virtual const IID& Iid() const = 0;
    // The interface's name and its methods' names, for diagnostics and tests.
    virtual std::string_view Name() const = 0;
    virtual std::size_t MethodCount() const = 0;
    virtual std::string_view MethodName(std::size_t method) const = 0;
    // Whether QueryInterface(IID_IDispatch) may answer with this interface.
    virtual bool DerivesFromDispatch() const = 0;

    // Client side: a proxy of this interface for `owner`; `snapshot` is what
    // the server captured (empty when it captured nothing).
    virtual std::unique_ptr<InterfaceProxyBase>
    CreateProxy(RemoteObject& owner, std::span<const std::byte> snapshot) const = 0;

    // Server side: runs method `method` on `target` (the interface pointer)
    // with the arguments in `in`, writing the status and the out-arguments.
    virtual void Invoke(std::size_t method, void* target, MessageReader& in, MessageWriter& out,
                        ServerCallContext& context) const = 0;
    // Server side: writes the properties that travel with a reference of
    // `target`; answers false (writing nothing) when there are none.
    virtual bool CaptureSnapshot(void* /*target*/, MessageWriter& /*out*/) const { return false; }
};

// The export a marshaller module provides.
using GetInterfaceMarshallerFunction = const InterfaceMarshaller* (*)(REFIID iid);
inline constexpr char kGetInterfaceMarshallerExport[] = "DllGetInterfaceMarshaller";

} // namespace paginor::remoting
