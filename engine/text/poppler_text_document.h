// A PDF loaded into poppler from memory, handing out each page's words once
// computed. Lives inside libpaginor_text.so only.
#pragma once

#include "page_word.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace poppler {
class document;
}

namespace paginor::engine::text {

class PopplerTextDocument {
public:
    // Takes the bytes over: poppler reads from them for the document's life.
    static std::unique_ptr<PopplerTextDocument> load(std::vector<char> bytes, std::string& error);
    ~PopplerTextDocument();

    int pageCount() const;
    // Null for a page outside the document.
    const std::vector<PageWord>* pageWords(int page);

private:
    PopplerTextDocument() = default;

    std::vector<char> bytes_; // declared first: destroyed after the document reading it
    std::unique_ptr<poppler::document> document_;
    std::vector<std::optional<std::vector<PageWord>>> pages_;
};

} // namespace paginor::engine::text
