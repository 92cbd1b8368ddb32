// The base of every interface proxy, and the call that forwards one method.
// A proxy for interface I derives from InterfaceProxy<I> and forwards each
// operation with its method list, so the server runs the same method:
//
//   using DocumentMethods = MethodList<&IDocument::Open, &IDocument::Close>;
//   class DocumentProxy final : public InterfaceProxy<IDocument> {
//       HRESULT Open(BSTR path, VARIANT_BOOL* done) override {
//           return Forward<DocumentMethods, &IDocument::Open>(
//               [&] { return u"opening " + Quoted(path); }, path, done);
//       }
//   };
//
// The lambda says, in the user's words, what the call does; it is only run
// when the server is lost during the call, for the failure's description.
// A proxy may answer an operation itself when the answer cannot change
// (properties that travelled with the reference, see CaptureSnapshot).
#pragma once

#include "com/com.h"
#include "com/remoting/marshal_arguments.h"
#include "com/remoting/proxy_call.h"
#include "com/remoting/remote_object.h"

#include <cstdint>
#include <new>
#include <tuple>
#include <type_traits>
#include <utility>

namespace paginor::remoting {

template <auto Method> struct MethodTraits;
template <typename Interface, typename... Parameters,
          HRESULT (STDMETHODCALLTYPE Interface::*Method)(Parameters...)>
struct MethodTraits<Method> {
    using Owner = Interface;
    using ParameterTuple = std::tuple<Parameters...>;
};

template <auto Method> struct MethodTag {};

// The methods of an interface that cross, in the order that numbers them.
template <auto... Methods> struct MethodList {
    static constexpr std::size_t kCount = sizeof...(Methods);

    template <auto Method> static constexpr std::uint32_t IndexOf() {
        constexpr bool matches[] = {std::is_same_v<MethodTag<Method>, MethodTag<Methods>>...};
        for (std::uint32_t index = 0; index < kCount; ++index) {
            if (matches[index]) {
                return index;
            }
        }
        throw "the method is not in the interface's method list"; // fails the build
    }
};

template <typename ParameterTuple> struct Forwarder;
template <typename... Parameters> struct Forwarder<std::tuple<Parameters...>> {
    static HRESULT Run(RemoteObject& target, const IID& iid, std::uint32_t method,
                       FunctionRef<std::u16string()> operation, Parameters... arguments) noexcept {
        try {
            ProxyCall call(target, iid, method);
            (Marshal<Parameters>::Clear(arguments), ...);
            try {
                (Marshal<Parameters>::Write(call, arguments), ...);
            } catch (const ForeignObjectArgument&) {
                return call.RefuseForeignObject();
            }
            const HRESULT status = call.Invoke(operation);
            if (FAILED(status)) {
                return status;
            }
            std::tuple<typename Marshal<Parameters>::Received...> received;
            try {
                std::apply(
                    [&](auto&... each) { (each.Read(call.Reply(), call.Connection()), ...); },
                    received);
            } catch (const WireFormatError&) {
                return call.BrokenReply(operation);
            }
            [&]<std::size_t... Index>(std::index_sequence<Index...>) {
                (std::get<Index>(received).Commit(arguments), ...);
            }
            (std::index_sequence_for<Parameters...>{});
            return status;
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        } catch (...) {
            return E_UNEXPECTED;
        }
    }
};

// No operation here is marked override, so that compilers that check
// consistency do not ask for it on the IDispatch operations, which override
// only for interfaces derived from IDispatch.
template <typename Interface> class InterfaceProxy : public Interface, public InterfaceProxyBase {
public:
    InterfaceProxy(RemoteObject& owner, const IID& iid) : owner_(owner), iid_(iid) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) {
        return owner_.QueryInterface(riid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() { return owner_.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() { return owner_.Release(); }

    // IDispatch: callers use the interfaces' own slots, as with the objects
    // themselves, so nothing is forwarded.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) {
        if (count != nullptr) {
            *count = 0;
        }
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) {
        if (info != nullptr) {
            *info = nullptr;
        }
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) {
        return E_NOTIMPL;
    }

    void* InterfacePointer() { return static_cast<Interface*>(this); }

protected:
    RemoteObject& Owner() const { return owner_; }
    const IID& Iid() const { return iid_; }

    template <typename Methods, auto Method, typename Operation, typename... Arguments>
    HRESULT Forward(Operation&& operation, Arguments... arguments) {
        constexpr std::uint32_t index = Methods::template IndexOf<Method>();
        using Parameters = typename MethodTraits<Method>::ParameterTuple;
        return Forwarder<Parameters>::Run(owner_, iid_, index, operation, arguments...);
    }

private:
    RemoteObject& owner_;
    const IID& iid_;
};

} // namespace paginor::remoting
