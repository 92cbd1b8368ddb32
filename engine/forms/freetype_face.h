// FreeType's library and a face over bytes in memory, owned together.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <memory>
#include <string>

namespace paginor::engine::forms {

class FreeTypeFace {
public:
    // Null when FreeType cannot read the bytes.
    static std::unique_ptr<FreeTypeFace> load(std::string bytes);
    ~FreeTypeFace();
    FreeTypeFace(const FreeTypeFace&) = delete;
    FreeTypeFace& operator=(const FreeTypeFace&) = delete;

    FT_Face face() const { return face_; }

private:
    FreeTypeFace() = default;
    std::string bytes_; // FreeType reads from it for the face's lifetime
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
};

} // namespace paginor::engine::forms
