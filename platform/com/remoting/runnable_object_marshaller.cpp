// IRunnableObject across processes, so that OleRun on a proxy runs the
// server's object. A bind context cannot cross; the runtime passes none.
#include "com/remoting/interface_proxy.h"
#include "com/remoting/marshaller_lookup.h"

namespace paginor::remoting {

namespace {

enum RunnableMethod : std::uint32_t {
    kGetRunningClass,
    kRun,
    kIsRunning,
    kLockRunning,
    kSetContainedObject
};

class RunnableObjectProxy final : public InterfaceProxy<IRunnableObject> {
public:
    using InterfaceProxy::InterfaceProxy;

    HRESULT STDMETHODCALLTYPE GetRunningClass(CLSID* clsid) {
        if (clsid == nullptr) {
            return E_POINTER;
        }
        *clsid = GUID_NULL;
        return Send(kGetRunningClass, 0, 0,
                    [&](MessageReader& reply) { *clsid = reply.readGuid(); });
    }
    HRESULT STDMETHODCALLTYPE Run(void*) { return Send(kRun, 0, 0, Nothing); }
    BOOL STDMETHODCALLTYPE IsRunning() {
        BOOL running = FALSE;
        Send(kIsRunning, 0, 0, [&](MessageReader& reply) { running = reply.readI32(); });
        return running;
    }
    HRESULT STDMETHODCALLTYPE LockRunning(BOOL lock, BOOL lastUnlockCloses) {
        return Send(kLockRunning, lock, lastUnlockCloses, Nothing);
    }
    HRESULT STDMETHODCALLTYPE SetContainedObject(BOOL contained) {
        return Send(kSetContainedObject, contained, 0, Nothing);
    }

private:
    static void Nothing(MessageReader&) {}

    template <typename ReadAnswer>
    HRESULT Send(RunnableMethod method, BOOL first, BOOL second, ReadAnswer&& readAnswer) {
        auto operation = [&] {
            const std::u16string label = Owner().Label();
            return u"starting " + (label.empty() ? std::u16string(u"an object") : label);
        };
        try {
            ProxyCall call(Owner(), Iid(), method);
            call.Request().writeI32(first);
            call.Request().writeI32(second);
            const HRESULT status = call.Invoke(operation);
            if (SUCCEEDED(status)) {
                try {
                    readAnswer(call.Reply());
                } catch (const WireFormatError&) {
                    return call.BrokenReply(operation);
                }
            }
            return status;
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }
};

class RunnableObjectMarshallerImpl final : public InterfaceMarshaller {
public:
    const IID& Iid() const override { return IID_IRunnableObject; }
    std::string_view Name() const override { return "IRunnableObject"; }
    std::size_t MethodCount() const override { return 5; }
    std::string_view MethodName(std::size_t method) const override {
        static constexpr std::string_view kNames[] = {"GetRunningClass", "Run", "IsRunning",
                                                      "LockRunning", "SetContainedObject"};
        return method < 5 ? kNames[method] : std::string_view();
    }
    bool DerivesFromDispatch() const override { return false; }

    std::unique_ptr<InterfaceProxyBase> CreateProxy(RemoteObject& owner,
                                                    std::span<const std::byte>) const override {
        return std::make_unique<RunnableObjectProxy>(owner, IID_IRunnableObject);
    }

    void Invoke(std::size_t method, void* target, MessageReader& in, MessageWriter& out,
                ServerCallContext&) const override {
        auto* runnable = static_cast<IRunnableObject*>(target);
        const BOOL first = in.readI32();
        const BOOL second = in.readI32();
        switch (method) {
        case kGetRunningClass: {
            CLSID clsid = GUID_NULL;
            const HRESULT status = runnable->GetRunningClass(&clsid);
            out.writeI32(status);
            if (SUCCEEDED(status)) {
                out.writeGuid(clsid);
            }
            return;
        }
        case kRun:
            out.writeI32(runnable->Run(nullptr));
            return;
        case kIsRunning:
            out.writeI32(S_OK);
            out.writeI32(runnable->IsRunning());
            return;
        case kLockRunning:
            out.writeI32(runnable->LockRunning(first, second));
            return;
        case kSetContainedObject:
            out.writeI32(runnable->SetContainedObject(first));
            return;
        default:
            out.writeI32(E_NOTIMPL);
        }
    }
};

} // namespace

const InterfaceMarshaller& RunnableObjectMarshaller() {
    static const RunnableObjectMarshallerImpl marshaller;
    return marshaller;
}

} // namespace paginor::remoting
