// How each parameter type of an interface method travels. For a parameter
// type P, Marshal<P> gives
//   client side: Clear(arg) (out-arguments start empty), Write(call, arg)
//   (in-arguments, and whether an out-location was given), and a Received
//   holder with Read(reply, connection) and Commit(arg);
//   server side: a Slot built from the request that passes the argument to
//   the method (Pass) and writes the out-argument back (Reply).
// Supported: 16- and 32-bit integers (booleans are 16-bit), BSTR, object
// pointers (IUnknown*, IDispatch*) in and out. Any other type fails to
// compile, so no interface can be marshalled half-way.
#pragma once

#include "com/bstr_holder.h"
#include "com/com.h"
#include "com/com_ptr.h"
#include "com/remoting/client_connection.h"
#include "com/remoting/interface_marshaller.h"
#include "com/remoting/proxy_call.h"
#include "com/remoting/wire_message.h"

#include <cstdint>
#include <type_traits>

namespace paginor::remoting {

template <typename Parameter> struct Marshal; // unsupported types have none

// Nothing comes back for an in-argument.
struct NothingReceived {
    void Read(MessageReader&, ClientConnection&) {}
    template <typename Argument> void Commit(Argument) {}
};

// ---- integers in and out

template <typename Integer> struct IntegerWire {
    static void Put(MessageWriter& out, Integer value) {
        if constexpr (sizeof(Integer) == 2) {
            out.writeU16(static_cast<std::uint16_t>(value));
        } else {
            out.writeU32(static_cast<std::uint32_t>(value));
        }
    }
    static Integer Get(MessageReader& in) {
        if constexpr (sizeof(Integer) == 2) {
            return static_cast<Integer>(in.readU16());
        } else {
            return static_cast<Integer>(in.readU32());
        }
    }
};

template <typename Integer>
requires(std::is_integral_v<Integer> &&
         (sizeof(Integer) == 2 || sizeof(Integer) == 4)) struct Marshal<Integer> {
    static void Clear(Integer) {}
    static void Write(ProxyCall& call, Integer value) {
        IntegerWire<Integer>::Put(call.Request(), value);
    }
    using Received = NothingReceived;

    struct Slot {
        Slot(MessageReader& in, ServerCallContext&) : value(IntegerWire<Integer>::Get(in)) {}
        Integer Pass() { return value; }
        void Reply(MessageWriter&, ServerCallContext&) {}
        Integer value;
    };
};

template <typename Integer>
requires(std::is_integral_v<Integer> &&
         (sizeof(Integer) == 2 || sizeof(Integer) == 4)) struct Marshal<Integer*> {
    static void Clear(Integer* out) {
        if (out != nullptr) {
            *out = 0;
        }
    }
    static void Write(ProxyCall& call, Integer* out) { call.Request().writeU8(out != nullptr); }
    struct Received {
        void Read(MessageReader& in, ClientConnection&) { value = IntegerWire<Integer>::Get(in); }
        void Commit(Integer* out) {
            if (out != nullptr) {
                *out = value;
            }
        }
        Integer value = 0;
    };

    struct Slot {
        Slot(MessageReader& in, ServerCallContext&) : present(in.readU8() != 0) {}
        Integer* Pass() { return present ? &value : nullptr; }
        void Reply(MessageWriter& out, ServerCallContext&) {
            IntegerWire<Integer>::Put(out, value);
        }
        bool present;
        Integer value = 0;
    };
};

// ---- text in and out

template <> struct Marshal<BSTR> {
    static void Clear(BSTR) {}
    static void Write(ProxyCall& call, BSTR text) { call.Request().writeBstr(text); }
    using Received = NothingReceived;

    struct Slot {
        Slot(MessageReader& in, ServerCallContext&) : text(in.readBstr()) {}
        BSTR Pass() { return text.get(); }
        void Reply(MessageWriter&, ServerCallContext&) {}
        BstrHolder text;
    };
};

template <> struct Marshal<BSTR*> {
    static void Clear(BSTR* out) {
        if (out != nullptr) {
            *out = nullptr;
        }
    }
    static void Write(ProxyCall& call, BSTR* out) { call.Request().writeU8(out != nullptr); }
    struct Received {
        void Read(MessageReader& in, ClientConnection&) { text = in.readBstr(); }
        void Commit(BSTR* out) {
            if (out != nullptr) {
                *out = text.detach();
            }
        }
        BstrHolder text;
    };

    struct Slot {
        Slot(MessageReader& in, ServerCallContext&) : present(in.readU8() != 0) {}
        BSTR* Pass() { return present ? text.put() : nullptr; }
        void Reply(MessageWriter& out, ServerCallContext&) { out.writeBstr(text.get()); }
        bool present;
        BstrHolder text;
    };
};

// ---- objects in and out

template <typename Interface>
requires(std::is_same_v<Interface, IUnknown> ||
         std::is_same_v<Interface, IDispatch>) struct ObjectWire {
    static constexpr const IID& kIid =
        std::is_same_v<Interface, IUnknown> ? IID_IUnknown : IID_IDispatch;
};

template <typename Interface>
requires(std::is_same_v<Interface, IUnknown> ||
         std::is_same_v<Interface, IDispatch>) struct Marshal<Interface*> {
    static void Clear(Interface*) {}
    static void Write(ProxyCall& call, Interface* object) {
        call.Request().writeU64(call.IdOfArgument(object));
    }
    using Received = NothingReceived;

    // The server's own object, as the interface the method takes.
    struct Slot {
        Slot(MessageReader& in, ServerCallContext& context) {
            const ComPtr<IUnknown> identity = context.ObjectPassedIn(in.readU64());
            if (identity) {
                identity->QueryInterface(ObjectWire<Interface>::kIid, object.put_void());
            }
        }
        Interface* Pass() { return object.get(); }
        void Reply(MessageWriter&, ServerCallContext&) {}
        ComPtr<Interface> object;
    };
};

template <typename Interface>
requires(std::is_same_v<Interface, IUnknown> ||
         std::is_same_v<Interface, IDispatch>) struct Marshal<Interface**> {
    static void Clear(Interface** out) {
        if (out != nullptr) {
            *out = nullptr;
        }
    }
    static void Write(ProxyCall& call, Interface** out) { call.Request().writeU8(out != nullptr); }
    struct Received {
        void Read(MessageReader& in, ClientConnection& connection) {
            const ComPtr<IUnknown> identity = connection.ImportObject(in);
            if (identity) {
                identity->QueryInterface(ObjectWire<Interface>::kIid, object.put_void());
            }
        }
        void Commit(Interface** out) {
            if (out != nullptr) {
                *out = object.detach();
            }
        }
        ComPtr<Interface> object;
    };

    struct Slot {
        Slot(MessageReader& in, ServerCallContext&) : present(in.readU8() != 0) {}
        Interface** Pass() { return present ? object.put() : nullptr; }
        void Reply(MessageWriter& out, ServerCallContext& context) {
            context.WriteObject(out, object.get());
        }
        bool present;
        ComPtr<Interface> object; // the method's answer, released once written
    };
};

} // namespace paginor::remoting
