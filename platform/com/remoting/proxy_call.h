// One call through a proxy, from the request to the reply's out-arguments.
#pragma once

#include "com/com.h"
#include "com/remoting/function_ref.h"
#include "com/remoting/wire_message.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace paginor::remoting {

class ClientConnection;
class RemoteObject;

// Thrown while writing a request whose object argument does not belong to
// the target's server (a local object, or one of another server).
class ForeignObjectArgument : public std::invalid_argument {
public:
    ForeignObjectArgument() : std::invalid_argument("object of another server") {}
};

class ProxyCall {
public:
    ProxyCall(RemoteObject& target, const IID& iid, std::uint32_t method);

    MessageWriter& Request() { return request_; }
    ClientConnection& Connection() const;

    // The id to send for an object argument: 0 for null; throws
    // ForeignObjectArgument for an object the server cannot know.
    std::uint64_t IdOfArgument(IUnknown* object) const;

    // Sends the request and waits for the reply. Answers the call's status:
    // the server's (a failure sets the thread's error information to the
    // server's, or clears it), or an RPC failure when the server was lost
    // (the error information then describes the loss, naming `operation`).
    HRESULT Invoke(FunctionRef<std::u16string()> operation);
    // The reply's out-arguments, after a successful Invoke.
    MessageReader& Reply() { return *reader_; }
    // For a reply whose out-arguments could not be read: stops the server
    // and answers the RPC failure.
    HRESULT BrokenReply(FunctionRef<std::u16string()> operation);

    // The failure for a request that could not be written (a foreign object).
    HRESULT RefuseForeignObject() const;

private:
    RemoteObject& target_;
    const IID& iid_;
    MessageWriter request_;
    std::vector<std::byte> reply_;
    std::optional<MessageReader> reader_;
};

// Reads the error information block of a failed reply into the calling
// thread's slot (clearing the slot when the server sent none).
void ApplyErrorInformation(MessageReader& reply);

} // namespace paginor::remoting
