// VARIANTs across the channel: the types the automation objects use (empty,
// null, 16- and 32-bit integers, booleans, status codes, BSTR, objects).
// Any other type cannot cross; a server refuses to send it (DISP_E_BADVARTYPE).
#pragma once

#include "com/com.h"
#include "com/remoting/interface_marshaller.h"
#include "com/remoting/wire_message.h"

namespace paginor::remoting {

class ClientConnection;

bool CanCross(const VARIANT& value);

// Server side: `value` must satisfy CanCross.
void WriteVariant(MessageWriter& out, ServerCallContext& context, const VARIANT& value);
// Client side: fills the empty `value` (which then owns what it holds).
void ReadVariant(MessageReader& in, ClientConnection& connection, VARIANT& value);

} // namespace paginor::remoting
