#include "poppler_text_document.h"

#include "word_assembly.h"

#include "text_encoding/utf_conversion.h"

#include <poppler/cpp/poppler-document.h>
#include <poppler/cpp/poppler-page.h>

#include <climits>

namespace paginor::engine::text {
namespace {

BoxRect toBoxRect(const poppler::rectf& r) {
    return {r.left(), r.top(), r.right(), r.bottom()};
}

std::u32string toUtf32(const poppler::ustring& text) {
    std::u16string units(text.begin(), text.end());
    return Utf16ToUtf32(units);
}

std::vector<TextBox> boxesOf(const poppler::page& page) {
    std::vector<TextBox> boxes;
    for (const poppler::text_box& box : page.text_list()) {
        TextBox converted;
        converted.text = toUtf32(box.text());
        converted.bbox = toBoxRect(box.bbox());
        converted.rotation = box.rotation();
        converted.spaceAfter = box.has_space_after();
        converted.glyphs.reserve(converted.text.size());
        for (std::size_t i = 0; i < converted.text.size(); ++i)
            converted.glyphs.push_back(toBoxRect(box.char_bbox(i)));
        boxes.push_back(std::move(converted));
    }
    return boxes;
}

} // namespace

PopplerTextDocument::~PopplerTextDocument() = default;

std::unique_ptr<PopplerTextDocument> PopplerTextDocument::load(std::vector<char> bytes,
                                                               std::string& error) {
    if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT_MAX)) {
        error = "the document is empty or too large for the text reader";
        return nullptr;
    }
    std::unique_ptr<PopplerTextDocument> loaded(new PopplerTextDocument());
    loaded->bytes_ = std::move(bytes);
    loaded->document_.reset(poppler::document::load_from_raw_data(
        loaded->bytes_.data(), static_cast<int>(loaded->bytes_.size())));
    if (!loaded->document_) {
        error = "the text reader could not parse the document";
        return nullptr;
    }
    if (loaded->document_->is_locked()) {
        error = "the document is protected by a password";
        return nullptr;
    }
    loaded->pages_.resize(static_cast<std::size_t>(std::max(0, loaded->document_->pages())));
    return loaded;
}

int PopplerTextDocument::pageCount() const {
    return static_cast<int>(pages_.size());
}

const std::vector<PageWord>* PopplerTextDocument::pageWords(int page) {
    if (page < 0 || page >= pageCount())
        return nullptr;
    auto& slot = pages_[static_cast<std::size_t>(page)];
    if (!slot) {
        std::unique_ptr<poppler::page> loadedPage(document_->create_page(page));
        slot = loadedPage ? assembleWords(boxesOf(*loadedPage)) : std::vector<PageWord>{};
    }
    return &*slot;
}

} // namespace paginor::engine::text
