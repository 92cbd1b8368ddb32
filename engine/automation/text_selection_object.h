// A text selection: the chosen words of a page, each with what follows it.
#pragma once

#include "engine/automation/com_object.h"
#include "engine/text/page_word.h"

#include <vector>

namespace paginor::engine {

class TextSelectionObject final : public engine::ComObject<TextSelectionObject, ITextSelection> {
public:
    // Number of items (words).
    HRESULT STDMETHODCALLTYPE GetNumText(LONG* count) override;
    // Item `index`: the word followed by " " or "\r\n".
    HRESULT STDMETHODCALLTYPE GetText(LONG index, BSTR* text) override;

private:
    friend class engine::ComObject<TextSelectionObject, ITextSelection>;
    explicit TextSelectionObject(std::vector<text::PageWord> words) : words_(std::move(words)) {}

    std::vector<text::PageWord> words_;
};

} // namespace paginor::engine
