// The installed fonts that can draw text a form's own font cannot: found with
// fontconfig, ordered by how well they match a plain sans-serif, and chosen
// per character by coverage. Faces load on first use and stay for the process.
#pragma once

#include <hb.h>

#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace paginor::engine::forms {

struct SystemFace {
    std::string path;
    int index = 0;
    std::string familyName;
    bool cff = false; // PostScript outlines: embedded as CIDFontType0
    unsigned unitsPerEm = 1000;
    hb_face_t* face = nullptr;
    hb_font_t* font = nullptr;
};

class FontResolver {
public:
    static FontResolver& shared();
    ~FontResolver();
    FontResolver(const FontResolver&) = delete;
    FontResolver& operator=(const FontResolver&) = delete;

    // The font for a character: the preferred one when it covers it (keeps a
    // run in one font), else the best-matching font that does. Nothing when
    // no installed font is usable at all.
    std::optional<size_t> fontFor(char32_t character, std::optional<size_t> preferred);

    bool covers(size_t font, char32_t character);

    // Loads the face on first use; null when the file cannot be read.
    const SystemFace* face(size_t font);

private:
    FontResolver() = default;
    void loadCatalog();

    struct Entry;
    std::once_flag catalogLoaded_;
    std::mutex mutex_;
    std::vector<std::unique_ptr<Entry>> entries_;
};

} // namespace paginor::engine::forms
