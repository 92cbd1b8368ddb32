#include "form_font_cache.h"

namespace paginor::engine::forms {

std::unique_ptr<SimpleResourceFont> FormFontCache::open(QPDF& pdf, QPDFObjectHandle font,
                                                        const std::string& resourceName) {
    if (!font.isIndirect()) {
        return SimpleResourceFont::open(font, resourceName);
    }
    if (documentId_ != pdf.getUniqueId()) {
        clear();
        documentId_ = pdf.getUniqueId();
    }
    auto key = std::make_pair(font.getObjGen(), resourceName);
    auto found = parsed_.find(key);
    if (found == parsed_.end()) {
        found = parsed_.emplace(std::move(key), SimpleResourceFont::open(font, resourceName)).first;
    }
    return found->second ? found->second->clone() : nullptr;
}

std::unique_ptr<SimpleResourceFont>
FormFontCache::standardHelvetica(const std::string& resourceName) {
    auto found = helvetica_.find(resourceName);
    if (found == helvetica_.end()) {
        found =
            helvetica_.emplace(resourceName, SimpleResourceFont::standardHelvetica(resourceName))
                .first;
    }
    return found->second->clone();
}

void FormFontCache::clear() {
    parsed_.clear();
    helvetica_.clear();
    embedded_.forget();
}

} // namespace paginor::engine::forms
