// PDF text strings (PDFDocEncoding, UTF-16BE or UTF-8 with their marks) as UTF-8.
#pragma once

#include <qpdf/QPDFObjectHandle.hh>

#include <string>

namespace paginor::engine::forms {

std::string decodePdfTextBytes(const std::string& bytes);

// A name's text without its slash, with any "#xx" escapes that survived
// parsing resolved (qpdf keeps some of them literally).
std::string nameText(const std::string& name);

// A string object's text, a name's text without its slash, otherwise empty.
std::string textOf(QPDFObjectHandle object);

// PDFDocEncoding where every character fits, UTF-16BE otherwise.
QPDFObjectHandle makePdfTextString(const std::string& utf8);

} // namespace paginor::engine::forms
