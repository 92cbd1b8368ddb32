// Why a client lost its local server, and the sentences that tell the user:
// the failed call's description ("The PDF engine exceeded its 2 GiB memory
// limit while reading the text of page 1 and was stopped") and that of every
// later call on the server's objects.
#pragma once

#include "com/remoting/server_limits.h"

#include <string>

namespace paginor::remoting {

struct ServerLoss {
    enum class Cause {
        MemoryLimit, // stopped by the client: resident memory above the limit
        TimeLimit,   // stopped by the client: a call ran past the limit
        Ended,       // ended by itself or by someone else; `how` says how
        BrokenReply, // stopped by the client: a reply that could not be read
    };
    Cause cause = Cause::Ended;
    std::string how;          // for Ended: "Segmentation fault", "exit status 1"
    std::u16string operation; // what the call was doing, in the user's terms
};

// For the call during which the server was lost. `server` names it ("the
// PDF engine"); the sentence starts with a capital letter.
std::u16string DescribeLoss(std::u16string_view server, const ServerLoss& loss,
                            const ServerLimits& limits);
// For a call made after the loss.
std::u16string DescribeUnavailable(std::u16string_view server, const ServerLoss& loss,
                                   const ServerLimits& limits);

} // namespace paginor::remoting
