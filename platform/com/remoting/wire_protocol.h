// What travels over a client's channel to its local server.
//
// Requests (client to server), each one message starting with its kind:
//   Create  clsid, iid                          -> reply: status, object reference
//   Call    object id, iid, method, arguments   -> reply: status, then the
//           out-arguments (success) or the error information (failure)
//   Release count, then that many (object id, references) -> no reply
//
// An object reference is its id (0 for none), then the interfaces the object
// answers: each IID, a flags byte (kPrimaryInterface: the interface the
// pointer was handed out as) and the interface's snapshot, the properties
// that cannot change and so travel with the reference (length, bytes).
// Error information is a presence byte, then the GUID, source and description.
#pragma once

#include <cstddef>
#include <cstdint>

namespace paginor::remoting {

enum class RequestKind : std::uint8_t {
    Create = 1,
    Call = 2,
    Release = 3,
};

inline constexpr std::uint8_t kPrimaryInterface = 0x1;

// Bounds a reader applies before allocating for what a peer claims.
inline constexpr std::uint32_t kMaxInterfacesPerObject = 64;
inline constexpr std::uint32_t kMaxEnumerationBatch = 4096;
// Released references a client collects before it tells the server (it
// also tells with its next request).
inline constexpr std::size_t kReleaseBatch = 256;

} // namespace paginor::remoting
