#include "engine/incremental/object_writer.h"

#include "engine/incremental/object_encryption.h"

#include <qpdf/Buffer.hh>
#include <qpdf/QUtil.hh>

#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace paginor::engine {

namespace {

// Deeper than any real document nests; qpdf's own parser stops at 500.
constexpr int kDepthLimit = 1000;

std::string reference(QPDFObjGen og) {
    return std::to_string(og.getObj()) + " " + std::to_string(og.getGen()) + " R";
}

} // namespace

// qpdf's own unparse leaves "#" bare, which a reader takes for an escape.
std::string nameText(const std::string& canonical) {
    std::string out = "/";
    for (std::size_t i = 1; i < canonical.size(); ++i) {
        const auto c = static_cast<unsigned char>(canonical[i]);
        if (c < 0x21 || c > 0x7E || std::strchr("#()<>[]{}/%", c) != nullptr) {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "#%02X", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

ObjectWriter::ObjectWriter(std::function<QPDFObjGen(QPDFObjGen)> numberInFile,
                           const ObjectEncryption* encryption)
    : numberInFile_(std::move(numberInFile)), encryption_(encryption) {}

void ObjectWriter::value(std::string& out, QPDFObjectHandle item, int depth) {
    if (depth > kDepthLimit) {
        throw std::runtime_error("an object nests deeper than " + std::to_string(kDepthLimit) +
                                 " levels");
    }
    if (depth > 0 && item.isIndirect()) {
        (*onReference_)(item.getObjGen());
        out += reference(numberInFile_(item.getObjGen()));
        return;
    }
    switch (item.getTypeCode()) {
    case ::ot_string: {
        if (encrypting_) {
            out += "<" +
                   QUtil::hex_encode(encryption_->encryptString(item.getStringValue(), current_)) +
                   ">";
        } else {
            out += item.unparseResolved();
        }
        return;
    }
    case ::ot_array: {
        out += "[";
        const int count = item.getArrayNItems();
        for (int i = 0; i < count; ++i) {
            out += i == 0 ? "" : " ";
            value(out, item.getArrayItem(i), depth + 1);
        }
        out += "]";
        return;
    }
    case ::ot_dictionary: {
        out += "<<";
        for (auto& [key, entry] : item.getDictAsMap()) {
            if (!entry.isIndirect() && entry.isNull()) {
                continue; // a null entry is an absent entry
            }
            out += " " + nameText(key) + " ";
            value(out, entry, depth + 1);
        }
        out += " >>";
        return;
    }
    case ::ot_name:
        out += nameText(item.getName());
        return;
    case ::ot_null:
    case ::ot_boolean:
    case ::ot_integer:
    case ::ot_real:
        // Resolved: the object itself may be one of its own at the top.
        out += item.unparseResolved();
        return;
    default:
        throw std::runtime_error("an object of type " + std::string(item.getTypeName()) +
                                 " cannot be written");
    }
}

std::string ObjectWriter::write(QPDFObjectHandle object, QPDFObjGen asNumber,
                                const std::function<void(QPDFObjGen)>& onReference) {
    current_ = asNumber;
    onReference_ = &onReference;
    encrypting_ = encryption_ != nullptr;
    std::string out =
        std::to_string(asNumber.getObj()) + " " + std::to_string(asNumber.getGen()) + " obj\n";
    if (!object.isStream()) {
        value(out, object, 0);
        out += "\nendobj\n";
        return out;
    }
    QPDFObjectHandle dictionary = object.getDict().shallowCopy();
    std::shared_ptr<Buffer> raw = object.getRawStreamData();
    std::string data(reinterpret_cast<const char*>(raw->getBuffer()), raw->getSize());
    if (encryption_ != nullptr) {
        data = encryption_->encryptStream(data, dictionary, asNumber);
    }
    dictionary.replaceKey("/Length",
                          QPDFObjectHandle::newInteger(static_cast<long long>(data.size())));
    value(out, dictionary, 0);
    out += "\nstream\n";
    out += data;
    out += "\nendstream\nendobj\n";
    return out;
}

std::string ObjectWriter::writeClear(QPDFObjectHandle direct,
                                     const std::function<void(QPDFObjGen)>& onReference) {
    onReference_ = &onReference;
    encrypting_ = false;
    std::string out;
    value(out, direct, 1);
    return out;
}

} // namespace paginor::engine
