// Keeps one loaded text document per open PDF document, valid until the
// document's revision changes, so that reading every page of an N-page
// document loads it once instead of N times.
#pragma once

#include "text_library.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace paginor::engine::text {

class TextSnapshotCache {
public:
    // Loads the text document; null with `error` set on failure. May throw
    // std::exception.
    using Loader = std::function<std::shared_ptr<TextDocument>(std::string& error)>;

    // The text document of `owner` at `revision`: the cached one when the
    // revision is unchanged, else what `load` loads.
    // Null with `error` set when loading fails.
    std::shared_ptr<TextDocument> documentFor(const std::shared_ptr<const void>& owner,
                                              std::uint64_t revision, const Loader& load,
                                              std::string& error);

    // How many documents were loaded into the text reader so far.
    std::size_t loadCount() const;

    // The engine's process-wide cache.
    static TextSnapshotCache& shared();

private:
    struct Entry {
        std::weak_ptr<const void> owner;
        const void* key;
        std::uint64_t revision;
        std::shared_ptr<TextDocument> document;
    };

    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
    std::size_t loads_ = 0;
};

} // namespace paginor::engine::text
