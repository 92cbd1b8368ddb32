// Closed documents kept for the next open of the same file.
//
// A batch opens the same form for every row, writes a few fields, saves and
// closes it; parsing the form, building its field tree and reading its fonts
// is the same work every time. So a closed document whose changes were all
// recorded (field and information writes, saves as updates) is kept; the
// next open of a file with exactly the same bytes puts it back to the state
// it was opened in (every changed object taken again from the file, every new
// object emptied, and the objects writes touch checked against the file) and
// takes it instead of parsing. A process that never opens the file again
// never pays for that. Anything else is simply destroyed. One document is
// kept at a time, and only files of a moderate size.
#pragma once

#include "engine/document/document_bytes.h"

#include <memory>
#include <mutex>
#include <string_view>

namespace paginor::engine {

class EngineDocument;

class DocumentShelf {
public:
    static DocumentShelf& shared();

    // The kept document, reset, if it was opened from exactly `bytes`; null
    // otherwise (also when it cannot be reset).
    std::unique_ptr<EngineDocument> take(const DocumentBytes& bytes);
    // Keeps `document` when it may be reusable; destroys it otherwise. Never
    // throws.
    void put(std::unique_ptr<EngineDocument> document) noexcept;
    void clear();

private:
    std::mutex mutex_;
    std::unique_ptr<EngineDocument> kept_;
};

} // namespace paginor::engine
