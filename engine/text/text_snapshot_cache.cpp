#include "text_snapshot_cache.h"

#include <algorithm>
#include <exception>

namespace paginor::engine::text {

std::shared_ptr<TextDocument>
TextSnapshotCache::documentFor(const std::shared_ptr<const void>& owner, std::uint64_t revision,
                               const Loader& load, std::string& error) {
    std::lock_guard lock(mutex_);
    // Documents that were closed give their loaded text back here.
    std::erase_if(entries_, [](const Entry& entry) { return entry.owner.expired(); });
    auto found = std::find_if(entries_.begin(), entries_.end(),
                              [&](const Entry& entry) { return entry.key == owner.get(); });
    if (found != entries_.end() && found->revision == revision)
        return found->document;

    std::shared_ptr<TextDocument> document;
    try {
        document = load(error);
    } catch (const std::exception& e) {
        error = std::string("cannot prepare the document for text extraction: ") + e.what();
    }
    if (!document)
        return nullptr;
    ++loads_;
    if (found != entries_.end()) {
        found->revision = revision;
        found->document = document;
    } else {
        entries_.push_back({owner, owner.get(), revision, document});
    }
    return document;
}

std::size_t TextSnapshotCache::loadCount() const {
    std::lock_guard lock(mutex_);
    return loads_;
}

TextSnapshotCache& TextSnapshotCache::shared() {
    // Never destroyed: at exit the text library (and poppler's own globals)
    // may already be gone, and closing documents then would crash.
    static TextSnapshotCache* const cache = new TextSnapshotCache();
    return *cache;
}

} // namespace paginor::engine::text
