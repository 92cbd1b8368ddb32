#include "com/remoting/variant_wire.h"

#include "com/remoting/client_connection.h"

namespace paginor::remoting {

bool CanCross(const VARIANT& value) {
    switch (value.vt) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_I2:
    case VT_I4:
    case VT_BOOL:
    case VT_ERROR:
    case VT_BSTR:
    case VT_UNKNOWN:
    case VT_DISPATCH:
        return true;
    default:
        return false;
    }
}

void WriteVariant(MessageWriter& out, ServerCallContext& context, const VARIANT& value) {
    out.writeU16(value.vt);
    switch (value.vt) {
    case VT_I2:
        out.writeI16(value.iVal);
        break;
    case VT_BOOL:
        out.writeI16(value.boolVal);
        break;
    case VT_I4:
        out.writeI32(value.lVal);
        break;
    case VT_ERROR:
        out.writeI32(value.scode);
        break;
    case VT_BSTR:
        out.writeBstr(value.bstrVal);
        break;
    case VT_UNKNOWN:
        context.WriteObject(out, value.punkVal);
        break;
    case VT_DISPATCH:
        context.WriteObject(out, value.pdispVal);
        break;
    default:
        break;
    }
}

void ReadVariant(MessageReader& in, ClientConnection& connection, VARIANT& value) {
    VariantInit(&value);
    const VARTYPE type = in.readU16();
    switch (type) {
    case VT_EMPTY:
    case VT_NULL:
        break;
    case VT_I2:
        value.iVal = in.readI16();
        break;
    case VT_BOOL:
        value.boolVal = in.readI16();
        break;
    case VT_I4:
        value.lVal = in.readI32();
        break;
    case VT_ERROR:
        value.scode = in.readI32();
        break;
    case VT_BSTR:
        value.bstrVal = in.readBstr().detach();
        break;
    case VT_UNKNOWN:
        value.punkVal = connection.ImportObject(in).detach();
        break;
    case VT_DISPATCH: {
        ComPtr<IDispatch> object;
        if (const ComPtr<IUnknown> identity = connection.ImportObject(in)) {
            identity->QueryInterface(IID_IDispatch, object.put_void());
        }
        value.pdispVal = object.detach();
        break;
    }
    default:
        throw WireFormatError("a VARIANT type that cannot cross");
    }
    value.vt = type;
}

} // namespace paginor::remoting
