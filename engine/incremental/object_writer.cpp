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

void appendReference(std::string& out, QPDFObjGen og) {
    out += std::to_string(og.getObj());
    out += ' ';
    out += std::to_string(og.getGen());
    out += " R";
}

// qpdf's own unparse leaves "#" bare, which a reader takes for an escape.
void appendName(std::string& out, const std::string& canonical) {
    static const char digits[] = "0123456789ABCDEF";
    out += '/';
    for (std::size_t i = 1; i < canonical.size(); ++i) {
        const auto c = static_cast<unsigned char>(canonical[i]);
        if (c < 0x21 || c > 0x7E || std::strchr("#()<>[]{}/%", c) != nullptr) {
            out += '#';
            out += digits[c >> 4];
            out += digits[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
}

} // namespace

std::string nameText(const std::string& canonical) {
    std::string out;
    appendName(out, canonical);
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
        appendReference(out, numberInFile_(item.getObjGen()));
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
            if ((!entry.isIndirect() && entry.isNull()) ||
                (depth == 0 && skipLength_ && key == "/Length")) {
                continue; // a null entry is an absent entry
            }
            out += ' ';
            appendName(out, key);
            out += ' ';
            value(out, entry, depth + 1);
        }
        out += " >>";
        return;
    }
    case ::ot_name:
        appendName(out, item.getName());
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
    QPDFObjectHandle dictionary = object.getDict();
    std::shared_ptr<Buffer> raw = object.getRawStreamData();
    std::string data(reinterpret_cast<const char*>(raw->getBuffer()), raw->getSize());
    if (encryption_ != nullptr) {
        data = encryption_->encryptStream(data, dictionary, asNumber);
    }
    // The dictionary as it is, its /Length (perhaps a reference) replaced by
    // the length written.
    std::string entries;
    skipLength_ = true;
    value(entries, dictionary, 0);
    skipLength_ = false;
    out += entries.substr(0, entries.size() - 2); // without the closing ">>"
    out += "/Length " + std::to_string(data.size()) + " >>";
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
