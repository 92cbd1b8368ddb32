#include "com/remoting/proxy_call.h"

#include "com/com_ptr.h"
#include "com/error_info.h"
#include "com/remoting/client_connection.h"
#include "com/remoting/remote_object.h"
#include "com/remoting/wire_protocol.h"

namespace paginor::remoting {

ProxyCall::ProxyCall(RemoteObject& target, const IID& iid, std::uint32_t method)
    : target_(target), iid_(iid) {
    request_.writeU8(static_cast<std::uint8_t>(RequestKind::Call));
    request_.writeU64(target.Id());
    request_.writeGuid(iid);
    request_.writeU32(method);
}

ClientConnection& ProxyCall::Connection() const {
    return target_.Connection();
}

std::uint64_t ProxyCall::IdOfArgument(IUnknown* object) const {
    const std::optional<std::uint64_t> id = Connection().IdOf(object);
    if (!id) {
        throw ForeignObjectArgument();
    }
    return *id;
}

HRESULT ProxyCall::Invoke(FunctionRef<std::u16string()> operation) {
    const HRESULT sent = Connection().RoundTrip(request_.bytes(), reply_, iid_, operation);
    if (FAILED(sent)) {
        return sent;
    }
    reader_.emplace(reply_);
    try {
        const HRESULT status = reader_->readI32();
        if (FAILED(status)) {
            ApplyErrorInformation(*reader_);
        }
        return status;
    } catch (const WireFormatError&) {
        return BrokenReply(operation);
    }
}

HRESULT ProxyCall::BrokenReply(FunctionRef<std::u16string()> operation) {
    return Connection().BreakOff(iid_, operation);
}

HRESULT ProxyCall::RefuseForeignObject() const {
    return ReportComError(iid_, u"An object of another process cannot be passed to this server",
                          E_INVALIDARG);
}

void ApplyErrorInformation(MessageReader& reply) {
    if (reply.readU8() == 0) {
        SetErrorInfo(0, nullptr);
        return;
    }
    const GUID guid = reply.readGuid();
    std::u16string source = reply.readText();
    std::u16string description = reply.readText();
    ComPtr<ICreateErrorInfo> creator;
    ComPtr<IErrorInfo> info;
    if (FAILED(CreateErrorInfo(creator.put())) || !creator ||
        FAILED(creator.As(IID_IErrorInfo, info))) {
        SetErrorInfo(0, nullptr);
        return;
    }
    creator->SetGUID(guid);
    creator->SetSource(source.data());
    creator->SetDescription(description.data());
    SetErrorInfo(0, info.get());
}

} // namespace paginor::remoting
