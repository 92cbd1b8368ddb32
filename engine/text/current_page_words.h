// The words of one page of an open document as it stands now, read through
// the per-revision text cache.
#pragma once

#include "engine/text/page_word.h"

#include <memory>
#include <string>
#include <vector>

namespace paginor::engine {
class EngineDocument;
}

namespace paginor::engine::text {

// Throws paginor::engine::EngineError: NotFound for a page outside the
// document (the description names the page and the page count), Internal
// when the text cannot be read.
std::vector<PageWord> currentPageWords(const std::shared_ptr<EngineDocument>& document, int index);

// The description of the 0-based page `index` outside a document of
// `pageCount` pages, naming the page as users count it (from 1), e.g.
// "Page 7 is past the end of the document (5 pages)".
std::string pageOutOfRangeDescription(long index, int pageCount);

} // namespace paginor::engine::text
