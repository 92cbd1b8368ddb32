#include "com/remoting/server_object_table.h"

#include "com/remoting/wire_protocol.h"

#include <algorithm>
#include <stdexcept>

namespace paginor::remoting {

ComPtr<IUnknown> ServerObjectTable::ObjectPassedIn(std::uint64_t id) {
    if (id == 0) {
        return {};
    }
    const auto found = entries_.find(id);
    if (found == entries_.end()) {
        throw std::invalid_argument("an object this server does not know was passed in");
    }
    return found->second.identity;
}

ServerObjectTable::Entry& ServerObjectTable::EntryFor(IUnknown* identity, std::uint64_t& id) {
    if (const auto known = idOfIdentity_.find(identity); known != idOfIdentity_.end()) {
        id = known->second;
        return entries_.at(id);
    }
    Entry entry;
    entry.identity = ComPtr<IUnknown>(identity);
    for (const InterfaceMarshaller* marshaller : marshallers_) {
        ComPtr<IUnknown> pointer;
        if (identity->QueryInterface(marshaller->Iid(), pointer.put_void()) == S_OK && pointer) {
            entry.interfaces.push_back({marshaller, std::move(pointer)});
        }
    }
    id = nextId_++;
    idOfIdentity_.emplace(identity, id);
    return entries_.emplace(id, std::move(entry)).first->second;
}

void ServerObjectTable::WriteObject(MessageWriter& out, IUnknown* object) {
    if (object == nullptr) {
        out.writeU64(0);
        return;
    }
    ComPtr<IUnknown> identity;
    if (FAILED(object->QueryInterface(IID_IUnknown, identity.put_void())) || !identity) {
        identity = ComPtr<IUnknown>(object);
    }
    std::uint64_t id = 0;
    Entry& entry = EntryFor(identity.get(), id);
    ++entry.clientReferences;
    out.writeU64(id);
    out.writeU32(static_cast<std::uint32_t>(entry.interfaces.size()));
    for (const ExportedInterface& exported : entry.interfaces) {
        out.writeGuid(exported.marshaller->Iid());
        out.writeU8(static_cast<void*>(exported.pointer.get()) == static_cast<void*>(object)
                        ? kPrimaryInterface
                        : 0);
        MessageWriter snapshot;
        bool captured = false;
        try {
            captured = exported.marshaller->CaptureSnapshot(exported.pointer.get(), snapshot);
        } catch (...) {
            captured = false; // the proxy then asks the server each time
        }
        const std::span<const std::byte> bytes =
            captured ? snapshot.bytes() : std::span<const std::byte>();
        out.writeU32(static_cast<std::uint32_t>(bytes.size()));
        out.writeBytes(bytes);
    }
}

std::optional<ServerObjectTable::Target> ServerObjectTable::Find(std::uint64_t id,
                                                                 REFIID iid) const {
    const auto found = entries_.find(id);
    if (found == entries_.end()) {
        return std::nullopt;
    }
    Target target;
    target.identity = found->second.identity.get();
    for (const ExportedInterface& exported : found->second.interfaces) {
        if (exported.marshaller->Iid() == iid) {
            target.pointer = exported.pointer.get();
            target.marshaller = exported.marshaller;
        }
    }
    return target;
}

void ServerObjectTable::Release(std::uint64_t id, std::uint32_t count) {
    const auto found = entries_.find(id);
    if (found == entries_.end()) {
        return;
    }
    Entry& entry = found->second;
    entry.clientReferences -= std::min<std::uint64_t>(count, entry.clientReferences);
    if (entry.clientReferences == 0) {
        // Out of the table first: the object's destructor may hand out or
        // release other objects.
        Entry gone = std::move(entry);
        idOfIdentity_.erase(gone.identity.get());
        entries_.erase(found);
    }
}

void ServerObjectTable::Clear() {
    while (!entries_.empty()) {
        auto first = entries_.begin();
        Entry gone = std::move(first->second);
        idOfIdentity_.erase(gone.identity.get());
        entries_.erase(first);
    }
}

} // namespace paginor::remoting
