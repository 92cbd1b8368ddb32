// Cuts an installed font down to the glyphs a field's appearance uses, so a
// filled form carries a few kilobytes of font instead of the whole file.
#pragma once

#include <hb.h>

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>

namespace paginor::engine::forms {

struct FontSubset {
    std::string bytes; // an OpenType/TrueType font file
    std::unordered_map<uint32_t, uint32_t>
        newGlyphOf; // original glyph id -> glyph id in the subset
};

// Layout tables and hinting are dropped: a PDF viewer positions glyphs from
// the content stream and needs neither. With `keepGlyphIds` every glyph keeps
// its id (the ones left out stay as empty slots), so that a larger subset of
// the same face later draws text written with a smaller one. Nothing when the
// subsetter fails.
std::optional<FontSubset> subsetFont(hb_face_t* face, const std::set<uint32_t>& glyphs,
                                     bool keepGlyphIds = false);

} // namespace paginor::engine::forms
