#include "com/remoting/server_dispatch.h"

#include "com/bstr_holder.h"
#include "com/com_ptr.h"
#include "com/module_activation.h"
#include "com/remoting/wire_protocol.h"

#include <cstring>
#include <new>
#include <stdexcept>

namespace paginor::remoting {

namespace {

void WriteNoErrorInformation(MessageWriter& reply) {
    reply.writeU8(0);
}

// The error information of a failed call on `object`'s interface `iid`, if
// the object vouches for it; the thread's slot is emptied either way so that
// nothing stale travels with a later call.
void WriteErrorInformation(MessageWriter& reply, IUnknown* object, REFIID iid) {
    ComPtr<IErrorInfo> info;
    const HRESULT fetched = GetErrorInfo(0, info.put());
    ComPtr<ISupportErrorInfo> support;
    const bool vouched =
        object != nullptr &&
        SUCCEEDED(object->QueryInterface(IID_ISupportErrorInfo, support.put_void())) && support &&
        support->InterfaceSupportsErrorInfo(iid) == S_OK;
    if (!vouched || fetched != S_OK || !info) {
        WriteNoErrorInformation(reply);
        return;
    }
    GUID guid = GUID_NULL;
    info->GetGUID(&guid);
    BstrHolder source;
    BstrHolder description;
    info->GetSource(source.put());
    info->GetDescription(description.put());
    reply.writeU8(1);
    reply.writeGuid(guid);
    reply.writeText(source.view());
    reply.writeText(description.view());
}

void DiscardErrorInformation() {
    ComPtr<IErrorInfo> stale;
    GetErrorInfo(0, stale.put());
}

HRESULT StatusOf(const MessageWriter& reply) {
    HRESULT status = E_UNEXPECTED;
    if (reply.size() >= sizeof status) {
        std::memcpy(&status, reply.bytes().data(), sizeof status);
    }
    return status;
}

// A reply that carries only a failing status (whatever part of an answer
// the reply held is dropped).
void FailWith(MessageWriter& reply, HRESULT status) {
    reply.clear();
    reply.writeI32(status);
    WriteNoErrorInformation(reply);
}

} // namespace

bool ServerDispatcher::Handle(std::span<const std::byte> request, MessageWriter& reply) {
    MessageReader in(request);
    try {
        switch (static_cast<RequestKind>(in.readU8())) {
        case RequestKind::Create:
            Create(in, reply);
            return true;
        case RequestKind::Call:
            Call(in, reply);
            return true;
        case RequestKind::Release: {
            for (std::uint32_t left = in.readU32(); left > 0; --left) {
                const std::uint64_t id = in.readU64();
                table_.Release(id, in.readU32());
            }
            return !table_.Empty();
        }
        }
    } catch (const WireFormatError&) {
    }
    // A request this server cannot read: the client is not one it can serve.
    return false;
}

void ServerDispatcher::Create(MessageReader& in, MessageWriter& reply) {
    const CLSID clsid = in.readGuid();
    const IID iid = in.readGuid();
    ComPtr<IUnknown> object;
    HRESULT status = E_UNEXPECTED;
    watch_.SetBusy(true);
    try {
        if (!module_.empty()) {
            status = CreateFromModule(module_, clsid, nullptr, iid, object.put_void());
        } else if (hooks_.classObject != nullptr) {
            status =
                CreateFromClassObject(hooks_.classObject, clsid, nullptr, iid, object.put_void());
        } else {
            status = REGDB_E_CLASSNOTREG;
        }
    } catch (const std::bad_alloc&) {
        status = E_OUTOFMEMORY;
    } catch (...) {
        status = E_UNEXPECTED;
    }
    watch_.SetBusy(false);
    DiscardErrorInformation();
    if (SUCCEEDED(status) && !object) {
        status = E_UNEXPECTED;
    }
    reply.writeI32(status);
    if (SUCCEEDED(status)) {
        table_.WriteObject(reply, object.get());
    }
}

void ServerDispatcher::Call(MessageReader& in, MessageWriter& reply) {
    const std::uint64_t id = in.readU64();
    const IID iid = in.readGuid();
    const std::uint32_t method = in.readU32();
    const std::optional<ServerObjectTable::Target> target = table_.Find(id, iid);
    if (!target) {
        FailWith(reply, RPC_E_DISCONNECTED);
        return;
    }
    if (target->pointer == nullptr) {
        FailWith(reply, E_NOINTERFACE);
        return;
    }
    if (method >= target->marshaller->MethodCount()) {
        FailWith(reply, E_NOTIMPL);
        return;
    }
    watch_.SetBusy(true);
    try {
        if (hooks_.beforeCall) {
            hooks_.beforeCall(target->marshaller->Name(), target->marshaller->MethodName(method));
        }
        target->marshaller->Invoke(method, target->pointer, in, reply, table_);
    } catch (const std::invalid_argument&) {
        FailWith(reply, E_INVALIDARG);
    } catch (const WireFormatError&) {
        FailWith(reply, E_INVALIDARG);
    } catch (const std::bad_alloc&) {
        FailWith(reply, E_OUTOFMEMORY);
    } catch (...) {
        FailWith(reply, E_UNEXPECTED);
    }
    watch_.SetBusy(false);
    const HRESULT status = StatusOf(reply);
    if (FAILED(status) && reply.size() == sizeof status) {
        WriteErrorInformation(reply, target->identity, iid);
    }
    DiscardErrorInformation();
}

} // namespace paginor::remoting
