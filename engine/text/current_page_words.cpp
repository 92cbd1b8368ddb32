#include "engine/text/current_page_words.h"

#include "engine/document/engine_document.h"
#include "engine/errors/engine_error.h"
#include "engine/text/text_snapshot_cache.h"
#include "engine/text/text_source.h"

namespace paginor::engine::text {

using engine::ErrorKind;
using engine::fail;

std::string pageOutOfRangeDescription(long index, int pageCount) {
    // Users count pages from 1; the index is what the automation call passed.
    const std::string page = "Page " + std::to_string(static_cast<long long>(index) + 1);
    const std::string count =
        "(" + std::to_string(pageCount) + (pageCount == 1 ? " page)" : " pages)");
    if (index < 0)
        return page + " is before the first page of the document " + count;
    return page + " is past the end of the document " + count;
}

std::vector<PageWord> currentPageWords(const std::shared_ptr<EngineDocument>& document, int index) {
    const int pageCount = document->pageCount();
    if (index < 0 || index >= pageCount)
        fail(ErrorKind::NotFound, pageOutOfRangeDescription(index, pageCount));

    std::string error;
    auto text = TextSnapshotCache::shared().documentFor(
        document, document->revision(),
        [&](std::string& reason) { return loadCurrentText(*document, reason); }, error);
    if (!text)
        fail(ErrorKind::Internal,
             "Cannot read the text of page " + std::to_string(index + 1) + ": " + error);

    std::vector<PageWord> words;
    switch (text->pageWords(index, words)) {
    case TextDocument::PageResult::ok:
        return words;
    case TextDocument::PageResult::outOfRange:
        fail(ErrorKind::NotFound, pageOutOfRangeDescription(index, text->pageCount()));
    default:
        fail(ErrorKind::Internal, "Cannot read the text of page " + std::to_string(index + 1) +
                                      ": the text reader failed on it");
    }
}

} // namespace paginor::engine::text
