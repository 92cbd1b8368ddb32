// A PDF loaded into poppler from memory, handing out each page's words. The
// words of the last few pages read are kept, so a page asked for twice in a
// row (its text, then its length) is read once, without holding every page.
// Lives inside libpaginor_text.so only.
#pragma once

#include "page_text.h"
#include "word_assembly.h"

#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace paginor::engine::text {

class PopplerTextReader;

class PopplerTextDocument {
public:
    using Words = std::shared_ptr<const PageText>;

    // Reads [data, data + size) in place: the bytes must outlive the document.
    static std::unique_ptr<PopplerTextDocument> load(const char* data, std::size_t size,
                                                     std::string& error);
    ~PopplerTextDocument();

    int pageCount() const;
    // Null for a page outside the document; empty for a page poppler cannot read.
    Words pageWords(int page);

private:
    static constexpr std::size_t kPagesKept = 4;

    explicit PopplerTextDocument(std::unique_ptr<PopplerTextReader> reader);

    std::unique_ptr<PopplerTextReader> reader_;
    int pageCount_;
    PageBoxes boxes_;                          // reused from page to page
    std::deque<std::pair<int, Words>> recent_; // most recently read first
};

} // namespace paginor::engine::text
