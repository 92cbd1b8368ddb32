#include "engine/document/document_shelf.h"

#include "engine/document/engine_document.h"

#include <cstring>
#include <new>

namespace paginor::engine {

namespace {

// Larger files are not kept: their bytes would stay in the host's memory
// after the user closed them.
constexpr std::size_t kLargestKept = 32 * 1024 * 1024;

} // namespace

DocumentShelf& DocumentShelf::shared() {
    // Never destroyed: a process that ends with a document kept would spend
    // as long freeing it as a row takes (and after qpdf's own static objects
    // have gone, which it needs). The engine's module is never unloaded, so
    // the system takes it back with the process. It stays reachable, so leak
    // checkers do not count it.
    alignas(DocumentShelf) static unsigned char storage[sizeof(DocumentShelf)];
    static DocumentShelf* const shelf = ::new (storage) DocumentShelf();
    return *shelf;
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
