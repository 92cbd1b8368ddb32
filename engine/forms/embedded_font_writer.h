// Writes a subset of an installed font into the PDF as a composite font
// (Identity-H encoding, two-byte codes) with its widths and a /ToUnicode map,
// so the text both looks right and can be copied and searched.
#pragma once

#include "font_resolver.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <map>
#include <optional>
#include <string>
#include <unordered_map>

namespace paginor::engine::forms {

struct EmbeddedFont {
    QPDFObjectHandle font;                         // the Type0 font dictionary (indirect)
    std::unordered_map<uint32_t, uint16_t> codeOf; // original glyph id -> two-byte code
};

// glyphs: original glyph id -> the text it stands for (empty for glyphs that
// only complete a cluster). Nothing when the font cannot be subset.
std::optional<EmbeddedFont> embedFontSubset(QPDF& pdf, const SystemFace& face,
                                            const std::map<uint32_t, std::u32string>& glyphs);

} // namespace paginor::engine::forms
