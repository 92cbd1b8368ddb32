// The server's side of object identity and lifetime: every object handed out
// to the client gets an id (the same object always the same id while the
// client holds it), the interfaces it answers (those a marshaller is known
// for) and the count of references the client holds. An object leaves the
// table, and the server's references to it are released, when the client
// has given all its references back.
#pragma once

#include "com/com.h"
#include "com/com_ptr.h"
#include "com/remoting/interface_marshaller.h"

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

namespace paginor::remoting {

class ServerObjectTable final : public ServerCallContext {
public:
    explicit ServerObjectTable(std::vector<const InterfaceMarshaller*> marshallers)
        : marshallers_(std::move(marshallers)) {}
    ~ServerObjectTable() { Clear(); }
    ServerObjectTable(const ServerObjectTable&) = delete;
    ServerObjectTable& operator=(const ServerObjectTable&) = delete;

    ComPtr<IUnknown> ObjectPassedIn(std::uint64_t id) override;
    void WriteObject(MessageWriter& out, IUnknown* object) override;

    // One interface of a held object, ready to be called.
    struct Target {
        IUnknown* identity = nullptr;
        void* pointer = nullptr; // null: the object does not answer the interface
        const InterfaceMarshaller* marshaller = nullptr;
    };
    // Nothing for an id the table does not hold.
    std::optional<Target> Find(std::uint64_t id, REFIID iid) const;

    void Release(std::uint64_t id, std::uint32_t count);
    bool Empty() const { return entries_.empty(); }
    // Releases every object (the client has gone).
    void Clear();

private:
    struct ExportedInterface {
        const InterfaceMarshaller* marshaller;
        ComPtr<IUnknown> pointer; // the object as this interface
    };
    struct Entry {
        ComPtr<IUnknown> identity;
        std::vector<ExportedInterface> interfaces;
        std::uint64_t clientReferences = 0;
    };

    Entry& EntryFor(IUnknown* identity, std::uint64_t& id);

    std::vector<const InterfaceMarshaller*> marshallers_;
    std::unordered_map<std::uint64_t, Entry> entries_;
    std::unordered_map<IUnknown*, std::uint64_t> idOfIdentity_;
    std::uint64_t nextId_ = 1;
};

} // namespace paginor::remoting
