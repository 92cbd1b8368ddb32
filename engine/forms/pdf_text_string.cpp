#include "pdf_text_string.h"

#include "text_encoding/utf_conversion.h"

#include <qpdf/QUtil.hh>

#include <cctype>

namespace paginor::engine::forms {

namespace {

std::string decodeUtf16(const std::string& bytes, size_t start, bool bigEndian) {
    std::u16string units;
    units.reserve((bytes.size() - start) / 2);
    for (size_t i = start; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        units.push_back(
            static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first));
    }
    return Utf16ToUtf8(units);
}

} // namespace

std::string decodePdfTextBytes(const std::string& bytes) {
    if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF') {
        return decodeUtf16(bytes, 2, true);
    }
    // Little-endian with a mark is not allowed, but some producers write it.
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
        return decodeUtf16(bytes, 2, false);
    }
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        return Utf32ToUtf8(Utf8ToUtf32(std::string_view(bytes).substr(3)));
    }
    return QUtil::pdf_doc_to_utf8(bytes);
}

std::string nameText(const std::string& name) {
    const size_t start = !name.empty() && name[0] == '/' ? 1 : 0;
    std::string text;
    text.reserve(name.size());
    for (size_t i = start; i < name.size(); ++i) {
        if (name[i] == '#' && i + 2 < name.size() &&
            std::isxdigit(static_cast<unsigned char>(name[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(name[i + 2]))) {
            text.push_back(static_cast<char>(std::stoi(name.substr(i + 1, 2), nullptr, 16)));
            i += 2;
        } else {
            text.push_back(name[i]);
        }
    }
    // Older producers wrote state names in PDFDocEncoding; read those as such
    // so that every state has a text the user can type back.
    if (Utf32ToUtf8(Utf8ToUtf32(text)) != text) {
        return QUtil::pdf_doc_to_utf8(text);
    }
    return text;
}

std::string textOf(QPDFObjectHandle object) {
    if (object.isString()) {
        return decodePdfTextBytes(object.getStringValue());
    }
    if (object.isName()) {
        return nameText(object.getName());
    }
    return {};
}

QPDFObjectHandle makePdfTextString(const std::string& utf8) {
    return QPDFObjectHandle::newUnicodeString(utf8);
}

} // namespace paginor::engine::forms
