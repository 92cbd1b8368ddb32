#include "standard_font_metrics.h"

#include "freetype_face.h"

#include <fontconfig/fontconfig.h>

#include <array>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <unistd.h>
#include <unordered_map>

namespace paginor::engine::forms {

namespace {

bool contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

// The URW face standing in for each standard font, by PostScript name.
const char* urwName(const StandardFont& font) {
    static const char* const names[3][4] = {
        {"NimbusSans-Regular", "NimbusSans-Bold", "NimbusSans-Italic", "NimbusSans-BoldItalic"},
        {"NimbusRoman-Regular", "NimbusRoman-Bold", "NimbusRoman-Italic", "NimbusRoman-BoldItalic"},
        {"NimbusMonoPS-Regular", "NimbusMonoPS-Bold", "NimbusMonoPS-Italic",
         "NimbusMonoPS-BoldItalic"},
    };
    switch (font.family) {
    case StandardFamily::Symbol:
        return "StandardSymbolsPS";
    case StandardFamily::ZapfDingbats:
        return "D050000L";
    case StandardFamily::Helvetica:
    case StandardFamily::Times:
    case StandardFamily::Courier:
        break;
    }
    return names[static_cast<int>(font.family)][(font.bold ? 1 : 0) + (font.italic ? 2 : 0)];
}

int slotOf(const StandardFont& font) {
    switch (font.family) {
    case StandardFamily::Symbol:
        return 12;
    case StandardFamily::ZapfDingbats:
        return 13;
    case StandardFamily::Helvetica:
    case StandardFamily::Times:
    case StandardFamily::Courier:
        break;
    }
    return static_cast<int>(font.family) * 4 + (font.bold ? 1 : 0) + (font.italic ? 2 : 0);
}

// Where Debian's urw-base35 package puts its Type 1 files, each named after
// its face.
constexpr const char* kUrwTypeOneFolder = "/usr/share/fonts/type1/urw-base35/";

// The installed file of a URW face: the Type 1 file of the urw-base35
// package when there is one (other packages ship older cuts of the same
// names), else any file fontconfig lists under the name. The package's own
// place is looked at first: loading fontconfig's configuration costs more
// than filling a form. One private configuration answers every other name,
// once per process.
std::string urwFile(const char* postScriptName) {
    std::string packaged = std::string(kUrwTypeOneFolder) + postScriptName + ".t1";
    if (::access(packaged.c_str(), R_OK) == 0) {
        return packaged;
    }
    static const std::map<std::string, std::string> files = [] {
        std::map<std::string, std::string> found;
        FcConfig* config = FcInitLoadConfigAndFonts();
        if (config == nullptr) {
            return found;
        }
        FcPattern* pattern = FcPatternCreate();
        FcObjectSet* properties =
            FcObjectSetBuild(FC_POSTSCRIPT_NAME, FC_FILE, FC_FONTFORMAT, nullptr);
        FcFontSet* fonts = FcFontList(config, pattern, properties);
        std::map<std::string, int> rankOf;
        for (int i = 0; fonts != nullptr && i < fonts->nfont; ++i) {
            FcChar8* name = nullptr;
            FcChar8* file = nullptr;
            FcChar8* format = nullptr;
            if (FcPatternGetString(fonts->fonts[i], FC_POSTSCRIPT_NAME, 0, &name) !=
                    FcResultMatch ||
                FcPatternGetString(fonts->fonts[i], FC_FILE, 0, &file) != FcResultMatch) {
                continue;
            }
            const std::string face = reinterpret_cast<const char*>(name);
            const std::string path = reinterpret_cast<const char*>(file);
            const bool typeOne =
                FcPatternGetString(fonts->fonts[i], FC_FONTFORMAT, 0, &format) == FcResultMatch &&
                std::string(reinterpret_cast<const char*>(format)) == "Type 1";
            const int rank = (contains(path, "/urw-base35/") ? 2 : 0) + (typeOne ? 1 : 0);
            auto known = rankOf.find(face);
            if (known == rankOf.end() || rank > known->second) {
                rankOf[face] = rank;
                found[face] = path;
            }
        }
        if (fonts != nullptr) {
            FcFontSetDestroy(fonts);
        }
        FcObjectSetDestroy(properties);
        FcPatternDestroy(pattern);
        FcConfigDestroy(config);
        return found;
    }();
    const auto known = files.find(postScriptName);
    return known == files.end() ? std::string() : known->second;
}

// One URW face, loaded on first use, with the glyphs measured so far.
class MeasuredFace {
public:
    explicit MeasuredFace(const StandardFont& font) {
        const std::string path = urwFile(urwName(font));
        if (path.empty()) {
            return;
        }
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        face_ = FreeTypeFace::load(bytes.str());
        if (face_ && face_->face()->units_per_EM == 0) {
            face_.reset();
        }
    }

    std::optional<StandardGlyph> byCharacter(char32_t character) {
        auto known = byCharacter_.find(character);
        if (known != byCharacter_.end()) {
            return known->second;
        }
        std::optional<StandardGlyph> glyph;
        if (face_ && FT_Select_Charmap(face_->face(), FT_ENCODING_UNICODE) == 0) {
            glyph = measure(FT_Get_Char_Index(face_->face(), character));
        }
        byCharacter_.emplace(character, glyph);
        return glyph;
    }

    std::optional<StandardGlyph> byCode(unsigned char code) {
        if (!codesRead_) {
            codesRead_ = true;
            for (FT_Encoding encoding : {FT_ENCODING_ADOBE_CUSTOM, FT_ENCODING_ADOBE_STANDARD}) {
                if (face_ && FT_Select_Charmap(face_->face(), encoding) == 0) {
                    for (int c = 0; c < 256; ++c) {
                        byCode_[static_cast<size_t>(c)] =
                            measure(FT_Get_Char_Index(face_->face(), static_cast<FT_ULong>(c)));
                    }
                    break;
                }
            }
        }
        return byCode_[code];
    }

private:
    std::optional<StandardGlyph> measure(FT_UInt index) {
        FT_Face face = face_->face();
        if (index == 0 || FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE) != 0) {
            return std::nullopt;
        }
        const double scale = 1000.0 / face->units_per_EM;
        const FT_Glyph_Metrics& metrics = face->glyph->metrics;
        StandardGlyph glyph;
        glyph.width = static_cast<double>(metrics.horiAdvance) * scale;
        glyph.top = static_cast<double>(metrics.horiBearingY) * scale;
        glyph.bottom = static_cast<double>(metrics.horiBearingY - metrics.height) * scale;
        return glyph;
    }

    std::unique_ptr<FreeTypeFace> face_;
    std::unordered_map<char32_t, std::optional<StandardGlyph>> byCharacter_;
    std::array<std::optional<StandardGlyph>, 256> byCode_{};
    bool codesRead_ = false;
};

class StandardFaces {
public:
    static StandardFaces& shared() {
        static StandardFaces faces;
        return faces;
    }

    template <typename Measure>
    std::optional<StandardGlyph> with(const StandardFont& font, Measure measure) {
        std::lock_guard<std::mutex> lock(mutex_);
        std::unique_ptr<MeasuredFace>& face = faces_[static_cast<size_t>(slotOf(font))];
        if (!face) {
            face = std::make_unique<MeasuredFace>(font);
        }
        return measure(*face);
    }

private:
    std::mutex mutex_;
    std::array<std::unique_ptr<MeasuredFace>, 14> faces_;
};

} // namespace

StandardFont standardFontOf(const std::string& name) {
    std::string face = name;
    if (!face.empty() && face.front() == '/') {
        face.erase(0, 1);
    }
    const size_t tag = face.find('+');
    if (tag != std::string::npos) {
        face.erase(0, tag + 1);
    }
    StandardFont font;
    if (contains(face, "Dingbats") || face == "ZaDb") {
        font.family = StandardFamily::ZapfDingbats;
        return font;
    }
    if (contains(face, "Symbol") || face == "Symb") {
        font.family = StandardFamily::Symbol;
        return font;
    }
    // Abbreviations: two letters of family, two of style (HeBo, TiBI, CoOb).
    const std::string prefix = face.substr(0, 2);
    const bool abbreviated =
        face.size() == 4 && (prefix == "He" || prefix == "Ti" || prefix == "Co");
    const std::string style = abbreviated ? face.substr(2) : std::string();
    if (contains(face, "Courier") || (abbreviated && prefix == "Co")) {
        font.family = StandardFamily::Courier;
    } else if (contains(face, "Times") || (abbreviated && prefix == "Ti")) {
        font.family = StandardFamily::Times;
    }
    font.bold = contains(face, "Bold") || contains(face, "Black") || contains(face, "Heavy") ||
                style == "Bo" || style == "BI" || style == "BO";
    font.italic = contains(face, "Italic") || contains(face, "Oblique") || style == "Ob" ||
                  style == "It" || style == "BI" || style == "BO";
    return font;
}

std::optional<StandardGlyph> standardGlyph(const StandardFont& font, char32_t character) {
    return StandardFaces::shared().with(
        font, [character](MeasuredFace& face) { return face.byCharacter(character); });
}

std::optional<StandardGlyph> standardGlyphForCode(const StandardFont& font, unsigned char code) {
    return StandardFaces::shared().with(font,
                                        [code](MeasuredFace& face) { return face.byCode(code); });
}

double standardGlyphWidth(const StandardFont& font, char32_t character) {
    if (const std::optional<StandardGlyph> glyph = standardGlyph(font, character)) {
        return glyph->width;
    }
    switch (font.family) {
    case StandardFamily::Courier:
        return 600;
    case StandardFamily::Times:
        return 500;
    case StandardFamily::Helvetica:
    case StandardFamily::Symbol:
    case StandardFamily::ZapfDingbats:
        break;
    }
    return 556;
}

double standardAscent(StandardFamily family) {
    switch (family) {
    case StandardFamily::Times:
        return 683;
    case StandardFamily::Courier:
        return 629;
    case StandardFamily::Helvetica:
    case StandardFamily::Symbol:
    case StandardFamily::ZapfDingbats:
        break;
    }
    return 718;
}

double standardDescent(StandardFamily family) {
    switch (family) {
    case StandardFamily::Times:
        return -217;
    case StandardFamily::Courier:
        return -157;
    case StandardFamily::Helvetica:
    case StandardFamily::Symbol:
    case StandardFamily::ZapfDingbats:
        break;
    }
    return -207;
}

} // namespace paginor::engine::forms
