#include "font_resolver.h"

#include <fontconfig/fontconfig.h>

#include <cstring>

namespace paginor::engine::forms {

struct FontResolver::Entry {
    SystemFace face;
    FcCharSet* coverage = nullptr;
    bool loadAttempted = false;
    bool usable = false;

    ~Entry() {
        if (coverage != nullptr) {
            FcCharSetDestroy(coverage);
        }
        if (face.font != nullptr) {
            hb_font_destroy(face.font);
        }
        if (face.face != nullptr) {
            hb_face_destroy(face.face);
        }
    }
};

FontResolver& FontResolver::shared() {
    static FontResolver resolver;
    return resolver;
}

FontResolver::~FontResolver() = default;

void FontResolver::loadCatalog() {
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (config == nullptr) {
        return;
    }
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif"));
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    // Trimmed: fonts that add no coverage to better-matching ones are dropped.
    FcFontSet* sorted = FcFontSort(config, pattern, FcTrue, nullptr, &result);
    FcPatternDestroy(pattern);
    if (sorted != nullptr) {
        for (int i = 0; i < sorted->nfont; ++i) {
            FcPattern* font = sorted->fonts[i];
            FcChar8* file = nullptr;
            FcChar8* format = nullptr;
            FcChar8* family = nullptr;
            FcCharSet* charset = nullptr;
            int index = 0;
            if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch ||
                FcPatternGetCharSet(font, FC_CHARSET, 0, &charset) != FcResultMatch ||
                FcPatternGetString(font, FC_FONTFORMAT, 0, &format) != FcResultMatch) {
                continue;
            }
            const char* formatName = reinterpret_cast<const char*>(format);
            const bool cff = std::strcmp(formatName, "CFF") == 0;
            if (!cff && std::strcmp(formatName, "TrueType") != 0) {
                continue; // only outlines that PDF can embed as CID fonts
            }
            FcPatternGetInteger(font, FC_INDEX, 0, &index);
            auto entry = std::make_unique<Entry>();
            entry->face.path = reinterpret_cast<const char*>(file);
            entry->face.index = index;
            entry->face.cff = cff;
            if (FcPatternGetString(font, FC_FAMILY, 0, &family) == FcResultMatch) {
                entry->face.familyName = reinterpret_cast<const char*>(family);
            }
            entry->coverage = FcCharSetCopy(charset);
            entries_.push_back(std::move(entry));
        }
        FcFontSetDestroy(sorted);
    }
    FcConfigDestroy(config);
}

bool FontResolver::covers(size_t font, char32_t character) {
    std::call_once(catalogLoaded_, [this] { loadCatalog(); });
    return font < entries_.size() && FcCharSetHasChar(entries_[font]->coverage, character);
}

std::optional<size_t> FontResolver::fontFor(char32_t character, std::optional<size_t> preferred) {
    std::call_once(catalogLoaded_, [this] { loadCatalog(); });
    if (entries_.empty()) {
        return std::nullopt;
    }
    if (preferred && covers(*preferred, character) && face(*preferred) != nullptr) {
        return preferred;
    }
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (FcCharSetHasChar(entries_[i]->coverage, character) && face(i) != nullptr) {
            return i;
        }
    }
    // Nothing covers it: draw the missing-glyph box of the best font rather
    // than drop the character silently.
    if (preferred && face(*preferred) != nullptr) {
        return preferred;
    }
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (face(i) != nullptr) {
            return i;
        }
    }
    return std::nullopt;
}

const SystemFace* FontResolver::face(size_t font) {
    std::call_once(catalogLoaded_, [this] { loadCatalog(); });
    if (font >= entries_.size()) {
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    Entry& entry = *entries_[font];
    if (!entry.loadAttempted) {
        entry.loadAttempted = true;
        hb_blob_t* blob = hb_blob_create_from_file_or_fail(entry.face.path.c_str());
        if (blob != nullptr) {
            entry.face.face = hb_face_create(blob, static_cast<unsigned>(entry.face.index));
            hb_blob_destroy(blob);
            entry.face.unitsPerEm = hb_face_get_upem(entry.face.face);
            if (hb_face_get_glyph_count(entry.face.face) > 0 && entry.face.unitsPerEm > 0) {
                entry.face.font = hb_font_create(entry.face.face);
                // Positions come back in font units; callers scale to thousandths.
                const int upem = static_cast<int>(entry.face.unitsPerEm);
                hb_font_set_scale(entry.face.font, upem, upem);
                entry.usable = true;
            }
        }
    }
    return entry.usable ? &entry.face : nullptr;
}

} // namespace paginor::engine::forms
