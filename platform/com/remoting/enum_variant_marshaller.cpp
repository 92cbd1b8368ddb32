// IEnumVARIANT across processes. The proxy reads ahead: when its buffer is
// empty it asks the server for a whole batch (growing from 256 up to 4096
// elements), so walking a collection element by element costs a round trip
// per batch, not per element. Skip and Clone keep the position the caller
// sees; Reset forgets what was read ahead.
#include "com/remoting/interface_proxy.h"
#include "com/remoting/marshaller_lookup.h"
#include "com/remoting/variant_wire.h"
#include "com/remoting/wire_protocol.h"

#include <algorithm>
#include <deque>
#include <vector>

namespace paginor::remoting {

namespace {

enum EnumMethod : std::uint32_t { kNext, kSkip, kReset, kClone };

constexpr ULONG kFirstBatch = 256;

std::u16string ReadingOperation(const RemoteObject& owner) {
    const std::u16string label = owner.Label();
    return u"reading " + (label.empty() ? std::u16string(u"a list") : label);
}

class EnumVariantProxy final : public InterfaceProxy<IEnumVARIANT> {
public:
    using InterfaceProxy::InterfaceProxy;
    ~EnumVariantProxy() { Forget(); }

    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* elements, ULONG* fetched) {
        if (fetched != nullptr) {
            *fetched = 0;
        }
        if (count > 0 && elements == nullptr) {
            return E_POINTER;
        }
        ULONG delivered = 0;
        while (delivered < count) {
            if (buffer_.empty()) {
                if (pendingFailure_) {
                    if (delivered > 0) {
                        break; // the failure is the answer to the next call
                    }
                    const HRESULT failure = *pendingFailure_;
                    pendingFailure_.reset();
                    SetErrorInfo(0, pendingInfo_.get());
                    pendingInfo_.reset();
                    return failure;
                }
                if (exhausted_) {
                    break;
                }
                FetchBatch(count - delivered);
                continue;
            }
            elements[delivered++] = buffer_.front(); // ownership moves to the caller
            buffer_.pop_front();
        }
        if (fetched != nullptr) {
            *fetched = delivered;
        }
        return delivered == count ? S_OK : S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE Skip(ULONG count) {
        while (count > 0 && !buffer_.empty()) {
            VariantClear(&buffer_.front());
            buffer_.pop_front();
            --count;
        }
        if (count == 0) {
            return S_OK;
        }
        if (exhausted_) {
            return S_FALSE;
        }
        return Simple(kSkip, count);
    }

    HRESULT STDMETHODCALLTYPE Reset() {
        Forget();
        return Simple(kReset, 0);
    }

    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) {
        if (copy == nullptr) {
            return E_POINTER;
        }
        *copy = nullptr;
        try {
            ProxyCall call(Owner(), Iid(), kClone);
            auto operation = [&] { return ReadingOperation(Owner()); };
            const HRESULT status = call.Invoke(operation);
            if (FAILED(status)) {
                return status;
            }
            ComPtr<IEnumVARIANT> clone;
            try {
                if (const ComPtr<IUnknown> identity =
                        call.Connection().ImportObject(call.Reply())) {
                    identity->QueryInterface(IID_IEnumVARIANT, clone.put_void());
                }
            } catch (const WireFormatError&) {
                return call.BrokenReply(operation);
            }
            // The clone stands where the caller stands: behind the server's
            // position by what this proxy read ahead.
            if (auto* proxy = dynamic_cast<EnumVariantProxy*>(clone.get())) {
                proxy->TakeCopyOf(*this);
            }
            *copy = clone.detach();
            return S_OK;
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }

private:
    void Forget() {
        for (VARIANT& element : buffer_) {
            VariantClear(&element);
        }
        buffer_.clear();
        exhausted_ = false;
        pendingFailure_.reset();
        pendingInfo_.reset();
    }

    void TakeCopyOf(const EnumVariantProxy& original) {
        Forget();
        for (const VARIANT& element : original.buffer_) {
            VARIANT copy;
            VariantInit(&copy);
            VariantCopy(&copy, &element);
            buffer_.push_back(copy);
        }
        exhausted_ = original.exhausted_;
        pendingFailure_ = original.pendingFailure_;
        pendingInfo_ = original.pendingInfo_;
        batch_ = original.batch_;
    }

    HRESULT Simple(EnumMethod method, ULONG count) {
        try {
            ProxyCall call(Owner(), Iid(), method);
            call.Request().writeU32(count);
            return call.Invoke([&] { return ReadingOperation(Owner()); });
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }

    void FetchBatch(ULONG wanted) {
        const ULONG asked = std::min<ULONG>(std::max(wanted, batch_), kMaxEnumerationBatch);
        batch_ = std::min<ULONG>(batch_ * 2, kMaxEnumerationBatch);
        auto operation = [&] { return ReadingOperation(Owner()); };
        HRESULT status = E_UNEXPECTED;
        try {
            ProxyCall call(Owner(), Iid(), kNext);
            call.Request().writeU32(asked);
            status = call.Invoke(operation);
            if (SUCCEEDED(status)) {
                try {
                    MessageReader& reply = call.Reply();
                    const std::uint32_t count = reply.readU32();
                    if (count > asked) {
                        throw WireFormatError("more elements than asked for");
                    }
                    for (std::uint32_t i = 0; i < count; ++i) {
                        VARIANT element;
                        ReadVariant(reply, call.Connection(), element);
                        buffer_.push_back(element);
                    }
                    if (count < asked || status == S_FALSE) {
                        exhausted_ = true;
                    }
                    return;
                } catch (const WireFormatError&) {
                    status = call.BrokenReply(operation);
                }
            }
        } catch (const std::bad_alloc&) {
            status = E_OUTOFMEMORY;
        }
        pendingFailure_ = status;
        GetErrorInfo(0, pendingInfo_.put());
    }

    std::deque<VARIANT> buffer_;
    bool exhausted_ = false;
    std::optional<HRESULT> pendingFailure_;
    ComPtr<IErrorInfo> pendingInfo_;
    ULONG batch_ = kFirstBatch;
};

class EnumVariantMarshallerImpl final : public InterfaceMarshaller {
public:
    const IID& Iid() const override { return IID_IEnumVARIANT; }
    std::string_view Name() const override { return "IEnumVARIANT"; }
    std::size_t MethodCount() const override { return 4; }
    std::string_view MethodName(std::size_t method) const override {
        static constexpr std::string_view kNames[] = {"Next", "Skip", "Reset", "Clone"};
        return method < 4 ? kNames[method] : std::string_view();
    }
    bool DerivesFromDispatch() const override { return false; }

    std::unique_ptr<InterfaceProxyBase> CreateProxy(RemoteObject& owner,
                                                    std::span<const std::byte>) const override {
        return std::make_unique<EnumVariantProxy>(owner, IID_IEnumVARIANT);
    }

    void Invoke(std::size_t method, void* target, MessageReader& in, MessageWriter& out,
                ServerCallContext& context) const override {
        auto* enumerator = static_cast<IEnumVARIANT*>(target);
        switch (method) {
        case kNext:
            return InvokeNext(enumerator, in, out, context);
        case kSkip:
            out.writeI32(enumerator->Skip(in.readU32()));
            return;
        case kReset:
            in.readU32();
            out.writeI32(enumerator->Reset());
            return;
        case kClone: {
            ComPtr<IEnumVARIANT> clone;
            const HRESULT status = enumerator->Clone(clone.put());
            out.writeI32(status);
            if (SUCCEEDED(status)) {
                context.WriteObject(out, clone.get());
            }
            return;
        }
        default:
            out.writeI32(E_NOTIMPL);
        }
    }

private:
    static void InvokeNext(IEnumVARIANT* enumerator, MessageReader& in, MessageWriter& out,
                           ServerCallContext& context) {
        const ULONG asked = std::min<ULONG>(in.readU32(), kMaxEnumerationBatch);
        std::vector<VARIANT> elements(asked);
        for (VARIANT& element : elements) {
            VariantInit(&element);
        }
        ULONG fetched = 0;
        HRESULT status = enumerator->Next(asked, elements.data(), &fetched);
        fetched = std::min(fetched, asked);
        if (SUCCEEDED(status) &&
            !std::all_of(elements.begin(), elements.begin() + fetched, CanCross)) {
            status = DISP_E_BADVARTYPE;
        }
        out.writeI32(status);
        if (SUCCEEDED(status)) {
            out.writeU32(fetched);
            for (ULONG i = 0; i < fetched; ++i) {
                WriteVariant(out, context, elements[i]);
            }
        }
        for (VARIANT& element : elements) {
            VariantClear(&element);
        }
    }
};

} // namespace

const InterfaceMarshaller& EnumVariantMarshaller() {
    static const EnumVariantMarshallerImpl marshaller;
    return marshaller;
}

} // namespace paginor::remoting
