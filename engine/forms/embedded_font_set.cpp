#include "embedded_font_set.h"

#include "font_subsetter.h"
#include "freetype_face.h"
#include "widget_frame.h"

#include FT_CID_H

#include <cstdio>
#include <set>

namespace paginor::engine::forms {

namespace {

using paginor::engine::DocumentChanges;
using paginor::engine::StreamCompression;

std::string hex4(unsigned value) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%04X", value & 0xFFFF);
    return buffer;
}

std::string utf16Hex(const std::u32string& text) {
    std::string out;
    for (char32_t c : text) {
        if (c >= 0x10000) {
            c -= 0x10000;
            out += hex4(0xD800 + (c >> 10)) + hex4(0xDC00 + (c & 0x3FF));
        } else {
            out += hex4(c);
        }
    }
    return out;
}

std::string toUnicodeCMap(const std::map<uint16_t, std::u32string>& textOfCode) {
    std::string cmap = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                       "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                       "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                       "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
    std::vector<std::pair<uint16_t, std::u32string>> entries;
    for (const auto& [code, text] : textOfCode) {
        if (!text.empty()) {
            entries.emplace_back(code, text);
        }
    }
    for (size_t start = 0; start < entries.size(); start += 100) {
        const size_t end = std::min(entries.size(), start + 100);
        cmap += std::to_string(end - start) + " beginbfchar\n";
        for (size_t i = start; i < end; ++i) {
            cmap += "<" + hex4(entries[i].first) + "> <" + utf16Hex(entries[i].second) + ">\n";
        }
        cmap += "endbfchar\n";
    }
    return cmap + "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
}

// Six capitals derived from the face, as subset fonts are named.
std::string subsetTag(const std::string& name) {
    uint64_t hash = 1469598103934665603ull;
    for (char c : name) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    std::string tag;
    for (int i = 0; i < 6; ++i) {
        tag.push_back(static_cast<char>('A' + hash % 26));
        hash /= 26;
    }
    return tag;
}

std::string postScriptName(FT_Face face, const SystemFace& system) {
    const char* name = FT_Get_Postscript_Name(face);
    std::string raw = name != nullptr ? name : system.familyName;
    std::string clean;
    for (char c : raw) {
        if (c > 0x20 && c < 0x7F && std::string("()<>[]{}/%#").find(c) == std::string::npos) {
            clean.push_back(c);
        }
    }
    return clean.empty() ? "Font" : clean;
}

std::string cffTable(const std::string& openType) {
    hb_blob_t* blob = hb_blob_create(openType.data(), static_cast<unsigned>(openType.size()),
                                     HB_MEMORY_MODE_READONLY, nullptr, nullptr);
    hb_face_t* face = hb_face_create(blob, 0);
    hb_blob_t* table = hb_face_reference_table(face, HB_TAG('C', 'F', 'F', ' '));
    unsigned length = 0;
    const char* data = hb_blob_get_data(table, &length);
    std::string bytes(data != nullptr ? data : "", data != nullptr ? length : 0);
    hb_blob_destroy(table);
    hb_face_destroy(face);
    hb_blob_destroy(blob);
    return bytes;
}

// Runs of consecutive codes share one /W entry.
QPDFObjectHandle widthArray(const std::map<uint16_t, double>& widthOfCode) {
    QPDFObjectHandle widths = QPDFObjectHandle::newArray();
    for (auto it = widthOfCode.begin(); it != widthOfCode.end();) {
        const uint16_t first = it->first;
        QPDFObjectHandle run = QPDFObjectHandle::newArray();
        uint32_t expected = first;
        while (it != widthOfCode.end() && it->first == expected) {
            run.appendItem(QPDFObjectHandle::newReal(pdfNumber(it->second)));
            ++expected;
            ++it;
        }
        widths.appendItem(QPDFObjectHandle::newInteger(first));
        widths.appendItem(run);
    }
    return widths;
}

bool covers(const std::map<uint32_t, std::u32string>& have,
            const std::map<uint32_t, std::u32string>& wanted) {
    for (const auto& [glyph, text] : wanted) {
        auto found = have.find(glyph);
        if (found == have.end() || (found->second.empty() && !text.empty())) {
            return false;
        }
    }
    return true;
}

} // namespace

const EmbeddedFont* EmbeddedFontSet::fontFor(DocumentChanges& changes, size_t faceIndex,
                                             const SystemFace& face,
                                             const std::map<uint32_t, std::u32string>& glyphs) {
    auto found = fonts_.find(faceIndex);
    if (found != fonts_.end() && covers(found->second.glyphs, glyphs)) {
        return &found->second.embedded;
    }
    Font grown = found != fonts_.end() ? found->second : Font{};
    for (const auto& [glyph, text] : glyphs) {
        auto& meaning = grown.glyphs[glyph];
        if (meaning.empty()) {
            meaning = text;
        }
    }
    if (!fill(changes, face, grown)) {
        return nullptr;
    }
    Font& stored = fonts_[faceIndex] = std::move(grown);
    return &stored.embedded;
}

bool EmbeddedFontSet::fill(DocumentChanges& changes, const SystemFace& face, Font& font) {
    std::set<uint32_t> glyphIds;
    for (const auto& entry : font.glyphs) {
        glyphIds.insert(entry.first);
    }
    // TrueType glyphs keep their ids (the codes are glyph ids); a CID-keyed
    // CFF program is cut down as it is, its codes are CIDs, which never move,
    // and keeping 65,535 empty slots would make it large.
    std::optional<FontSubset> subset = subsetFont(face.face, glyphIds, !face.cff);
    if (!subset) {
        return false;
    }
    std::unique_ptr<FreeTypeFace> loaded = FreeTypeFace::load(subset->bytes);
    if (!loaded) {
        return false;
    }
    FT_Bool cidKeyed = 0;
    if (face.cff) {
        FT_Get_CID_Is_Internally_CID_Keyed(loaded->face(), &cidKeyed);
        if (!cidKeyed) {
            subset = subsetFont(face.face, glyphIds, true);
            loaded = subset ? FreeTypeFace::load(subset->bytes) : nullptr;
            if (!loaded) {
                return false;
            }
        }
    }
    FT_Face ft = loaded->face();

    std::unordered_map<uint32_t, uint16_t> codeOf;
    std::map<uint16_t, std::u32string> textOfCode;
    std::map<uint16_t, double> widthOfCode;
    const double scale = 1000.0 / face.unitsPerEm;
    for (const auto& [glyph, text] : font.glyphs) {
        auto mapped = subset->newGlyphOf.find(glyph);
        if (mapped == subset->newGlyphOf.end()) {
            continue;
        }
        FT_UInt code = mapped->second;
        if (cidKeyed) {
            // Codes of a CID-keyed CFF program select glyphs through its charset.
            FT_UInt cid = 0;
            if (FT_Get_CID_From_Glyph_Index(ft, mapped->second, &cid) == 0) {
                code = cid;
            }
        }
        if (code > 0xFFFF) {
            continue;
        }
        // Text already drawn uses the codes given out before: they must hold.
        auto before = font.embedded.codeOf.find(glyph);
        if (before != font.embedded.codeOf.end() && before->second != code) {
            return false;
        }
        codeOf[glyph] = static_cast<uint16_t>(code);
        textOfCode.emplace(static_cast<uint16_t>(code), text);
        widthOfCode[static_cast<uint16_t>(code)] =
            hb_font_get_glyph_h_advance(face.font, glyph) * scale;
    }

    const std::string program = face.cff ? cffTable(subset->bytes) : subset->bytes;
    QPDFObjectHandle programEntries = QPDFObjectHandle::newDictionary();
    if (face.cff) {
        // The bare CFF program: viewers map its CIDs through its charset,
        // which not all of them do for an OpenType wrapper.
        programEntries.replaceKey("/Subtype", QPDFObjectHandle::newName("/CIDFontType0C"));
    } else {
        programEntries.replaceKey(
            "/Length1", QPDFObjectHandle::newInteger(static_cast<long long>(program.size())));
    }
    const std::string cmap = toUnicodeCMap(textOfCode);

    if (font.program.isInitialized()) {
        changes.rewriteStream(font.program, program, programEntries, StreamCompression::Flate);
        changes.rewriteStream(font.toUnicode, cmap, QPDFObjectHandle::newNull(),
                              StreamCompression::Flate);
        font.descendant.replaceKey("/W", widthArray(widthOfCode));
        changes.changed(font.descendant);
        font.embedded.codeOf = std::move(codeOf);
        return true;
    }

    font.baseFont = "/" + subsetTag(face.path + "#" + std::to_string(face.index)) + "+" +
                    postScriptName(ft, face);
    const double emScale = 1000.0 / (ft->units_per_EM > 0 ? ft->units_per_EM : 1000);
    font.program = changes.newStream(program, programEntries, StreamCompression::Flate);

    QPDFObjectHandle descriptor = QPDFObjectHandle::newDictionary();
    descriptor.replaceKey("/Type", QPDFObjectHandle::newName("/FontDescriptor"));
    descriptor.replaceKey("/FontName", QPDFObjectHandle::newName(font.baseFont));
    descriptor.replaceKey("/Flags",
                          QPDFObjectHandle::newInteger(4)); // symbolic: glyphs by code, not by name
    descriptor.replaceKey("/FontBBox",
                          numberArray({ft->bbox.xMin * emScale, ft->bbox.yMin * emScale,
                                       ft->bbox.xMax * emScale, ft->bbox.yMax * emScale}));
    descriptor.replaceKey("/ItalicAngle", QPDFObjectHandle::newInteger(0));
    descriptor.replaceKey("/Ascent", QPDFObjectHandle::newReal(pdfNumber(ft->ascender * emScale)));
    descriptor.replaceKey("/Descent",
                          QPDFObjectHandle::newReal(pdfNumber(ft->descender * emScale)));
    descriptor.replaceKey("/CapHeight",
                          QPDFObjectHandle::newReal(pdfNumber(ft->ascender * emScale)));
    descriptor.replaceKey("/StemV", QPDFObjectHandle::newInteger(80));
    descriptor.replaceKey(face.cff ? "/FontFile3" : "/FontFile2", font.program);

    QPDFObjectHandle cidFont = QPDFObjectHandle::newDictionary();
    cidFont.replaceKey("/Type", QPDFObjectHandle::newName("/Font"));
    cidFont.replaceKey("/Subtype",
                       QPDFObjectHandle::newName(face.cff ? "/CIDFontType0" : "/CIDFontType2"));
    cidFont.replaceKey("/BaseFont", QPDFObjectHandle::newName(font.baseFont));
    cidFont.replaceKey(
        "/CIDSystemInfo",
        QPDFObjectHandle::parse("<< /Registry (Adobe) /Ordering (Identity) /Supplement 0 >>"));
    cidFont.replaceKey("/FontDescriptor", changes.newObject(descriptor));
    cidFont.replaceKey("/DW", QPDFObjectHandle::newInteger(1000));
    cidFont.replaceKey("/W", widthArray(widthOfCode));
    if (!face.cff) {
        cidFont.replaceKey("/CIDToGIDMap", QPDFObjectHandle::newName("/Identity"));
    }
    font.descendant = changes.newObject(cidFont);
    font.toUnicode = changes.newStream(cmap, QPDFObjectHandle::newNull(), StreamCompression::Flate);

    QPDFObjectHandle type0 = QPDFObjectHandle::newDictionary();
    type0.replaceKey("/Type", QPDFObjectHandle::newName("/Font"));
    type0.replaceKey("/Subtype", QPDFObjectHandle::newName("/Type0"));
    type0.replaceKey("/BaseFont", QPDFObjectHandle::newName(font.baseFont));
    type0.replaceKey("/Encoding", QPDFObjectHandle::newName("/Identity-H"));
    type0.replaceKey("/DescendantFonts", QPDFObjectHandle::newArray({font.descendant}));
    type0.replaceKey("/ToUnicode", font.toUnicode);
    font.embedded.font = changes.newObject(type0);
    font.embedded.codeOf = std::move(codeOf);
    return true;
}

} // namespace paginor::engine::forms
