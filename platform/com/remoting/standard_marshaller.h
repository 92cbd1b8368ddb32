// A marshaller made from an interface's method list: the server runs each
// method with the arguments of the request (Stub), the client makes proxies
// of the given class. Snapshot, when given, captures the properties that
// travel with each reference of the interface; the proxy class then takes
// them as a third constructor argument.
//
//   const StandardMarshaller<IDocument, DocumentProxy, DocumentMethods> kDocument(
//       IID_IDocument, "IDocument", {"Open", "Close"});
#pragma once

#include "com/remoting/interface_marshaller.h"
#include "com/remoting/interface_proxy.h"
#include "com/remoting/marshal_arguments.h"

#include <array>
#include <memory>
#include <span>
#include <string_view>
#include <tuple>
#include <type_traits>

namespace paginor::remoting {

using StubFunction = void (*)(void* target, MessageReader& in, MessageWriter& out,
                              ServerCallContext& context);

// Runs one method on the server: reads the arguments, calls, writes the
// status and, on success, the out-arguments.
template <auto Method> struct Stub;
template <typename Interface, typename... Parameters,
          HRESULT (STDMETHODCALLTYPE Interface::*Method)(Parameters...)>
struct Stub<Method> {
    static void Invoke(void* target, MessageReader& in, MessageWriter& out,
                       ServerCallContext& context) {
        std::tuple<typename Marshal<Parameters>::Slot...> slots{
            typename Marshal<Parameters>::Slot(in, context)...};
        const HRESULT status = std::apply(
            [&](auto&... slot) {
                return (static_cast<Interface*>(target)->*Method)(slot.Pass()...);
            },
            slots);
        out.writeI32(status);
        if (SUCCEEDED(status)) {
            std::apply([&](auto&... slot) { (slot.Reply(out, context), ...); }, slots);
        }
    }
};

template <typename Interface, typename Proxy, typename Methods> class StandardMarshaller;

template <typename Interface, typename Proxy, auto... Methods>
class StandardMarshaller<Interface, Proxy, MethodList<Methods...>> final
    : public InterfaceMarshaller {
public:
    using Snapshot = bool (*)(Interface* target, MessageWriter& out);

    StandardMarshaller(const IID& iid, std::string_view name,
                       std::array<std::string_view, sizeof...(Methods)> methodNames,
                       Snapshot snapshot = nullptr)
        : iid_(iid), name_(name), methodNames_(methodNames), snapshot_(snapshot) {}

    const IID& Iid() const override { return iid_; }
    std::string_view Name() const override { return name_; }
    std::size_t MethodCount() const override { return sizeof...(Methods); }
    std::string_view MethodName(std::size_t method) const override {
        return method < methodNames_.size() ? methodNames_[method] : std::string_view();
    }
    bool DerivesFromDispatch() const override { return std::is_base_of_v<IDispatch, Interface>; }

    std::unique_ptr<InterfaceProxyBase>
    CreateProxy(RemoteObject& owner, std::span<const std::byte> snapshot) const override {
        if constexpr (std::is_constructible_v<Proxy, RemoteObject&, const IID&,
                                              std::span<const std::byte>>) {
            return std::make_unique<Proxy>(owner, iid_, snapshot);
        } else {
            return std::make_unique<Proxy>(owner, iid_);
        }
    }

    void Invoke(std::size_t method, void* target, MessageReader& in, MessageWriter& out,
                ServerCallContext& context) const override {
        static constexpr StubFunction kStubs[] = {&Stub<Methods>::Invoke...};
        kStubs[method](target, in, out, context);
    }

    bool CaptureSnapshot(void* target, MessageWriter& out) const override {
        return snapshot_ != nullptr && snapshot_(static_cast<Interface*>(target), out);
    }

private:
    const IID& iid_;
    std::string_view name_;
    std::array<std::string_view, sizeof...(Methods)> methodNames_;
    Snapshot snapshot_;
};

} // namespace paginor::remoting
