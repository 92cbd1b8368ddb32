#include "fallback_font.h"

#include "font_resolver.h"
#include "form_context.h"
#include "widget_frame.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace paginor::engine::forms {

namespace {

struct BufferDeleter {
    void operator()(hb_buffer_t* buffer) const { hb_buffer_destroy(buffer); }
};

struct Item {
    size_t face;
    std::u32string text;
};

} // namespace

FallbackFont::FallbackFont() {
    primary_ = FontResolver::shared().fontFor(U'A', std::nullopt);
    if (!primary_) {
        return;
    }
    const SystemFace* face = FontResolver::shared().face(*primary_);
    hb_font_extents_t extents{};
    if (face != nullptr && hb_font_get_h_extents(face->font, &extents) && extents.ascender > 0) {
        ascent_ = extents.ascender * 1000.0 / face->unitsPerEm;
        descent_ = extents.descender * 1000.0 / face->unitsPerEm;
    }
}

ShapedRun FallbackFont::shapeRun(size_t faceIndex, std::u32string_view text, bool rightToLeft) {
    ShapedRun run;
    run.face = faceIndex;
    const SystemFace* face = FontResolver::shared().face(faceIndex);
    if (face == nullptr) {
        return run;
    }
    std::unique_ptr<hb_buffer_t, BufferDeleter> buffer(hb_buffer_create());
    hb_buffer_add_utf32(buffer.get(), reinterpret_cast<const uint32_t*>(text.data()),
                        static_cast<int>(text.size()), 0, static_cast<int>(text.size()));
    hb_buffer_set_direction(buffer.get(), rightToLeft ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
    hb_buffer_set_cluster_level(buffer.get(), HB_BUFFER_CLUSTER_LEVEL_MONOTONE_CHARACTERS);
    hb_buffer_guess_segment_properties(buffer.get());
    hb_shape(face->font, buffer.get(), nullptr, 0);

    unsigned count = 0;
    const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer.get(), &count);
    const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer.get(), &count);
    std::vector<uint32_t> clusterStarts;
    for (unsigned i = 0; i < count; ++i) {
        clusterStarts.push_back(infos[i].cluster);
    }
    std::sort(clusterStarts.begin(), clusterStarts.end());
    clusterStarts.erase(std::unique(clusterStarts.begin(), clusterStarts.end()),
                        clusterStarts.end());

    const double scale = 1000.0 / face->unitsPerEm;
    auto& used = glyphsUsed_[faceIndex];
    auto& widths = nominalWidth_[faceIndex];
    std::vector<bool> clusterMapped(clusterStarts.size(), false);
    for (unsigned i = 0; i < count; ++i) {
        ShapedGlyph glyph;
        glyph.glyph = infos[i].codepoint;
        glyph.advance = positions[i].x_advance * scale;
        glyph.xOffset = positions[i].x_offset * scale;
        glyph.yOffset = positions[i].y_offset * scale;
        run.width += glyph.advance;
        run.glyphs.push_back(glyph);

        // The first glyph of a cluster stands for the cluster's characters.
        const auto slot = static_cast<size_t>(
            std::lower_bound(clusterStarts.begin(), clusterStarts.end(), infos[i].cluster) -
            clusterStarts.begin());
        std::u32string meaning;
        if (!clusterMapped[slot]) {
            clusterMapped[slot] = true;
            const size_t end =
                slot + 1 < clusterStarts.size() ? clusterStarts[slot + 1] : text.size();
            meaning = std::u32string(text.substr(infos[i].cluster, end - infos[i].cluster));
            // A bracket of a right-to-left run is drawn with its mirror
            // image's glyph, and that glyph means what it shows.
            if (rightToLeft && meaning.size() == 1 &&
                u_isMirrored(static_cast<UChar32>(meaning[0]))) {
                meaning[0] = static_cast<char32_t>(u_charMirror(static_cast<UChar32>(meaning[0])));
            }
        }
        auto existing = used.find(glyph.glyph);
        if (existing == used.end()) {
            used.emplace(glyph.glyph, meaning);
        } else if (existing->second.empty()) {
            existing->second = meaning;
        }
        if (widths.count(glyph.glyph) == 0) {
            widths[glyph.glyph] = hb_font_get_glyph_h_advance(face->font, glyph.glyph) * scale;
        }
    }
    return run;
}

ShapedText FallbackFont::shape(std::u32string_view text, TextDirection base) {
    ShapedText shaped;
    if (!primary_ || text.empty()) {
        return shaped;
    }
    // Runs of one direction in the order they are drawn; each is cut where
    // the font changes, and the pieces of a right-to-left run are drawn from
    // its end. HarfBuzz orders (and mirrors) the glyphs inside each piece.
    FontResolver& resolver = FontResolver::shared();
    std::optional<size_t> currentFace = primary_;
    for (const DirectionalRun& run : visualRuns(text, base)) {
        std::vector<Item> items;
        for (char32_t c : text.substr(run.start, run.length)) {
            const std::optional<size_t> face = resolver.fontFor(c, currentFace);
            if (!face) {
                continue;
            }
            if (items.empty() || items.back().face != *face) {
                items.push_back(Item{*face, {}});
            }
            items.back().text.push_back(c);
            currentFace = face;
        }
        if (run.rightToLeft) {
            std::reverse(items.begin(), items.end());
        }
        for (const Item& item : items) {
            ShapedRun shapedRun = shapeRun(item.face, item.text, run.rightToLeft);
            shaped.width += shapedRun.width;
            shaped.runs.push_back(std::move(shapedRun));
        }
    }
    return shaped;
}

std::string FallbackFont::resourceName(size_t face) {
    return "PgnF" + std::to_string(face);
}

void FallbackFont::finish(FormContext& context, QPDFObjectHandle fontResources) {
    for (const auto& [faceIndex, glyphs] : glyphsUsed_) {
        if (embedded_.count(faceIndex) != 0) {
            continue;
        }
        const SystemFace* face = FontResolver::shared().face(faceIndex);
        if (face == nullptr) {
            continue;
        }
        // The document's one font for this face, grown to hold these glyphs.
        const EmbeddedFont* font =
            context.fonts().embedded().fontFor(context.changes(), faceIndex, *face, glyphs);
        if (font == nullptr) {
            throw std::runtime_error("the font " + face->familyName + " could not be embedded");
        }
        fontResources.replaceKey("/" + resourceName(faceIndex), font->font);
        embedded_.emplace(faceIndex, *font);
    }
}

// Glyphs go into a TJ array; a number before a glyph moves it to where the
// shaper placed it, and vertical offsets (marks) use the text rise.
std::string FallbackFont::show(const ShapedText& text, double size) const {
    std::string ops;
    for (const ShapedRun& run : text.runs) {
        auto font = embedded_.find(run.face);
        auto widths = nominalWidth_.find(run.face);
        if (font == embedded_.end() || widths == nominalWidth_.end() || run.glyphs.empty()) {
            continue;
        }
        ops += pdfNameToken(resourceName(run.face)) + " " + pdfNumber(size) + " Tf [";
        double pen = 0;
        double position = 0;
        double rise = 0;
        for (const ShapedGlyph& glyph : run.glyphs) {
            if (std::fabs(glyph.yOffset - rise) > 0.01) {
                rise = glyph.yOffset;
                ops += "] TJ " + pdfNumber(rise * size / 1000) + " Ts [";
            }
            const double target = pen + glyph.xOffset;
            if (std::fabs(target - position) > 0.01) {
                ops += pdfNumber(position - target) + " ";
            }
            auto code = font->second.codeOf.find(glyph.glyph);
            char hex[8];
            std::snprintf(hex, sizeof hex, "<%04X>",
                          code == font->second.codeOf.end() ? 0u : code->second);
            ops += hex;
            auto width = widths->second.find(glyph.glyph);
            position = target + (width == widths->second.end() ? 0 : width->second);
            pen += glyph.advance;
        }
        if (std::fabs(pen - position) > 0.01) {
            ops += " " + pdfNumber(position - pen);
        }
        ops += "] TJ ";
        if (rise != 0) {
            ops += "0 Ts ";
        }
    }
    return ops;
}

} // namespace paginor::engine::forms
