#include "engine/text/current_page_words.h"

#include "engine/automation/com_failure.h"
#include "engine/document/engine_document.h"
#include "engine/text/text_snapshot.h"
#include "engine/text/text_snapshot_cache.h"

namespace paginor::text {

using engine::failCall;

std::string pageOutOfRangeDescription(long index, int pageCount) {
    return "Page index " + std::to_string(index) + " is outside the document, which has " +
           std::to_string(pageCount) + (pageCount == 1 ? " page" : " pages") +
           (pageCount > 0 ? " (indexes 0 to " + std::to_string(pageCount - 1) + ")" : "");
}

std::vector<PageWord> currentPageWords(const std::shared_ptr<EngineDocument>& document, int index) {
    const int pageCount = document->pageCount();
    if (index < 0 || index >= pageCount)
        failCall(DISP_E_BADINDEX, pageOutOfRangeDescription(index, pageCount));

    std::string error;
    auto text = TextSnapshotCache::shared().documentFor(
        document, document->revision(), [&] { return writeTextSnapshot(document->pdf()); }, error);
    if (!text)
        failCall(E_FAIL,
                 "Cannot read the text of page " + std::to_string(index + 1) + ": " + error);

    std::vector<PageWord> words;
    switch (text->pageWords(index, words)) {
    case TextDocument::PageResult::ok:
        return words;
    case TextDocument::PageResult::outOfRange:
        failCall(DISP_E_BADINDEX, pageOutOfRangeDescription(index, text->pageCount()));
    default:
        failCall(E_FAIL, "Cannot read the text of page " + std::to_string(index + 1) +
                             ": the text reader failed on it");
    }
}

} // namespace paginor::text
