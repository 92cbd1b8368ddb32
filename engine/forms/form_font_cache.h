// The form fonts of one document, parsed once: filling a form draws every
// field in the few fonts its /DR holds, and reading a font's encoding and
// embedded program for each field dominated the time spent filling.
#pragma once

#include "embedded_font_set.h"
#include "simple_font.h"

#include <qpdf/QPDFObjGen.hh>

#include <map>
#include <memory>
#include <string>
#include <utility>

namespace paginor::engine::forms {

class FormFontCache {
public:
    // A fresh font (each field's appearance finishes its own) for the font
    // dictionary `font` under `resourceName`; null as SimpleResourceFont::open.
    // Direct dictionaries have no identity to key by and are parsed each time.
    std::unique_ptr<SimpleResourceFont> open(QPDF& pdf, QPDFObjectHandle font,
                                             const std::string& resourceName);

    std::unique_ptr<SimpleResourceFont> standardHelvetica(const std::string& resourceName);

    // The installed fonts this document embeds, one subset per face.
    EmbeddedFontSet& embedded() { return embedded_; }

    // For when the document changed in ways its own field writes do not
    // (objects replaced, another file loaded): values never change fonts.
    void clear();

private:
    unsigned long long documentId_ = 0;
    // Null entries remember fonts that cannot be used.
    std::map<std::pair<QPDFObjGen, std::string>, std::unique_ptr<SimpleResourceFont>> parsed_;
    std::map<std::string, std::unique_ptr<SimpleResourceFont>> helvetica_;
    EmbeddedFontSet embedded_;
};

} // namespace paginor::engine::forms
