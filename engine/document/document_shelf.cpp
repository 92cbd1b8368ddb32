#include "engine/document/document_shelf.h"

#include "engine/document/engine_document.h"

#include <cstdlib>
#include <cstring>

namespace paginor::engine {

namespace {

// Larger files are not kept: their bytes would stay in the host's memory
// after the user closed them.
constexpr std::size_t kLargestKept = 32 * 1024 * 1024;

} // namespace

DocumentShelf& DocumentShelf::shared() {
    static DocumentShelf shelf;
    return shelf;
}

std::unique_ptr<EngineDocument> DocumentShelf::take(const DocumentBytes& bytes) {
    std::unique_ptr<EngineDocument> document;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        // A kept mapping of a file changed since no longer shows what was
        // parsed from it.
        if (!kept_ || !kept_->openedBuffer()->isIntact() ||
            !kept_->openedBuffer()->sameOriginalAs(bytes)) {
            return nullptr;
        }
        document = std::move(kept_);
    }
    try {
        if (document->resetToOpened()) {
            return document;
        }
    } catch (const std::exception&) {
        // Parsed again by the caller.
    }
    return nullptr;
}

void DocumentShelf::put(std::unique_ptr<EngineDocument> document) noexcept {
    // The kept document must go before qpdf's own static objects do at exit
    // (it needs them to be destroyed); they exist by the first close, and
    // exit handlers run in the reverse order of their registration.
    static const bool clearedAtExit = std::atexit([] { DocumentShelf::shared().clear(); }) == 0;
    (void)clearedAtExit;
    try {
        if (!document || document->openedBytes().size() > kLargestKept || !document->mayBeReset()) {
            return;
        }
        std::unique_ptr<EngineDocument> previous;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            previous = std::move(kept_);
            kept_ = std::move(document);
        }
    } catch (...) {
        // A document that cannot be reset is destroyed with `document`.
    }
}

void DocumentShelf::clear() {
    std::unique_ptr<EngineDocument> previous;
    std::lock_guard<std::mutex> lock(mutex_);
    previous = std::move(kept_);
}

} // namespace paginor::engine
