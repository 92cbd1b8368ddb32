// A single-byte font from the form's resources (the font the field's /DA
// names), used when it can show every character of the text.
#pragma once

#include "appearance_font.h"
#include "standard_font_metrics.h"

#include <array>
#include <memory>
#include <string>
#include <unordered_map>

namespace paginor::engine::forms {

class SimpleResourceFont : public AppearanceFont {
public:
    // Null when the dictionary is not a single-byte font with a text encoding
    // this code can map (Type 3, composite and symbol fonts are not).
    static std::unique_ptr<SimpleResourceFont> open(QPDFObjectHandle font,
                                                    std::string resourceName);

    // Helvetica, for fields whose /DA names a font that /DR does not have.
    static std::unique_ptr<SimpleResourceFont> standardHelvetica(std::string resourceName);

    // An unfinished copy: the parsed encoding and widths, the same font
    // dictionary and resource name.
    std::unique_ptr<SimpleResourceFont> clone() const;

    bool canEncode(std::u32string_view text) const;

    using AppearanceFont::shape;
    ShapedText shape(std::u32string_view text, TextDirection base) override;
    double ascent() const override { return ascent_; }
    double descent() const override { return descent_; }
    void finish(FormContext& context, QPDFObjectHandle fontResources) override;
    std::string show(const ShapedText& text, double size) const override;

private:
    SimpleResourceFont() = default;
    SimpleResourceFont(const SimpleResourceFont&) = default;
    void loadEncoding(QPDFObjectHandle encoding, bool trueType);
    void loadWidths();
    void dropCodesMissingFromSubset();
    double widthOf(unsigned char code, char32_t character) const;
    // The code and width of a character below 256, remembered: a field's
    // text is mostly such characters, and a value can be a megabyte long.
    struct Latin1Glyph {
        bool known = false;
        bool encodable = false;
        unsigned char code = 0;
        double width = 0;
    };
    const Latin1Glyph& latin1Glyph(char32_t character) const;

    QPDFObjectHandle font_; // null until finish() for the standard fallback
    std::string resourceName_;
    // Shared by the clones: fixed once the font is read, and copying it for
    // every field drawn cost more than drawing.
    std::shared_ptr<std::unordered_map<char32_t, unsigned char>> codeOf_ =
        std::make_shared<std::unordered_map<char32_t, unsigned char>>();
    std::array<double, 256> widths_{};
    bool hasWidths_ = false;
    StandardFont standard_; // measures the text when the font lists no widths
    mutable std::array<Latin1Glyph, 256> latin1_{};
    double ascent_ = 718;
    double descent_ = -207;
};

} // namespace paginor::engine::forms
