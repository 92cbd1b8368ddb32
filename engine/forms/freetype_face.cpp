#include "freetype_face.h"

namespace paginor::engine::forms {

std::unique_ptr<FreeTypeFace> FreeTypeFace::load(std::string bytes) {
    std::unique_ptr<FreeTypeFace> holder(new FreeTypeFace());
    holder->bytes_ = std::move(bytes);
    if (FT_Init_FreeType(&holder->library_) != 0) {
        holder->library_ = nullptr;
        return nullptr;
    }
    const auto* data = reinterpret_cast<const FT_Byte*>(holder->bytes_.data());
    if (FT_New_Memory_Face(holder->library_, data, static_cast<FT_Long>(holder->bytes_.size()), 0,
                           &holder->face_) != 0) {
        holder->face_ = nullptr;
        return nullptr;
    }
    return holder;
}

FreeTypeFace::~FreeTypeFace() {
    if (face_ != nullptr) {
        FT_Done_Face(face_);
    }
    if (library_ != nullptr) {
        FT_Done_FreeType(library_);
    }
}

} // namespace paginor::engine::forms
