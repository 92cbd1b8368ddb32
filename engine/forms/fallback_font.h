// Draws text the form's own font cannot: each character goes to an installed
// font that covers it, runs are shaped with HarfBuzz (joining scripts,
// marks, right-to-left order) and the glyphs used are embedded as subsets.
#pragma once

#include "appearance_font.h"
#include "embedded_font_set.h"

#include <map>
#include <optional>

namespace paginor::engine::forms {

class FallbackFont : public AppearanceFont {
public:
    FallbackFont();

    // False when no installed font can be used at all.
    bool usable() const { return primary_.has_value(); }

    using AppearanceFont::shape;
    ShapedText shape(std::u32string_view text, TextDirection base) override;
    double ascent() const override { return ascent_; }
    double descent() const override { return descent_; }
    void finish(FormContext& context, QPDFObjectHandle fontResources) override;
    std::string show(const ShapedText& text, double size) const override;

private:
    ShapedRun shapeRun(size_t face, std::u32string_view text, bool rightToLeft);
    static std::string resourceName(size_t face);

    std::optional<size_t> primary_;
    double ascent_ = 800;
    double descent_ = -200;
    std::map<size_t, std::map<uint32_t, std::u32string>> glyphsUsed_; // face -> glyph -> text
    std::map<size_t, EmbeddedFont> embedded_;
    std::map<size_t, std::map<uint32_t, double>> nominalWidth_; // face -> glyph -> width
};

} // namespace paginor::engine::forms
