#include "engine/document/info_dictionary.h"

#include "engine/incremental/document_changes.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

namespace paginor::engine {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

std::string nameKey(std::string_view key) {
    return "/" + std::string(key);
}

QPDFObjectHandle infoDictionary(QPDF& pdf) {
    QPDFObjectHandle info = pdf.getTrailer().getKey("/Info");
    return info.isDictionary() ? info : QPDFObjectHandle::newNull();
}

// The dictionary to change, made when there is none and marked changed.
// The trailer itself is written anew by every save, so a new /Info needs no
// mark of its own.
QPDFObjectHandle changedInfoDictionary(QPDF& pdf, DocumentChanges& changes) {
    QPDFObjectHandle info = infoDictionary(pdf);
    if (!info.isDictionary()) {
        info = changes.newObject(QPDFObjectHandle::newDictionary());
        pdf.getTrailer().replaceKey("/Info", info);
    }
    changes.changed(info);
    return info;
}

std::string decodeTextString(QPDFObjectHandle value) {
    const std::string raw = value.getStringValue();
    if (raw.rfind(kUtf8Mark, 0) == 0) {
        return raw.substr(kUtf8Mark.size());
    }
    return value.getUTF8Value();
}

} // namespace

std::string readInfoEntry(QPDF& pdf, std::string_view key) {
    QPDFObjectHandle info = infoDictionary(pdf);
    if (key.empty() || !info.isDictionary()) {
        return {};
    }
    QPDFObjectHandle value = info.getKey(nameKey(key));
    if (value.isString()) {
        return decodeTextString(value);
    }
    if (value.isName()) {
        return value.getName().substr(1);
    }
    if (value.isBool()) {
        return value.getBoolValue() ? "True" : "False";
    }
    if (value.isInteger() || value.isReal()) {
        return value.unparse();
    }
    return {};
}

bool writeInfoEntry(QPDF& pdf, DocumentChanges& changes, std::string_view key,
                    std::string_view value) {
    if (key.empty()) {
        return false;
    }
    QPDFObjectHandle stored;
    if (key == "Trapped") {
        if (value != "True" && value != "False" && value != "Unknown") {
            return false;
        }
        stored = QPDFObjectHandle::newName("/" + std::string(value));
    } else {
        stored = QPDFObjectHandle::newUnicodeString(std::string(value));
    }
    changedInfoDictionary(pdf, changes).replaceKey(nameKey(key), stored);
    return true;
}

void writeInfoDate(QPDF& pdf, DocumentChanges& changes, std::string_view key,
                   const std::string& date) {
    changedInfoDictionary(pdf, changes).replaceKey(nameKey(key), QPDFObjectHandle::newString(date));
}

} // namespace paginor::engine
