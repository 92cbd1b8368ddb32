// Engine-side access to libpaginor_text.so. The library (and with it poppler)
// is loaded with dlopen on the first request for page text, from the folder
// the engine itself was loaded from, so start-up never pays for poppler.
#pragma once

#include "page_word.h"
#include "text_library_api.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace paginor::engine::text {

// The resolved entry points; loaded at most once per process and never unloaded.
struct TextLibrary {
    PaginorTextOpenFunction open = nullptr;
    PaginorTextPageCountFunction pageCount = nullptr;
    PaginorTextPageWordsFunction pageWords = nullptr;
    PaginorTextCloseFunction close = nullptr;

    // Null when the library cannot be loaded; `error` then says why.
    static const TextLibrary* instance(std::string& error);
};

// A PDF loaded into the text library.
class TextDocument {
public:
    enum class PageResult { ok, outOfRange, failed };

    // Null with `error` set when the library is missing or the PDF unreadable.
    // The reader reads from `pdf` itself, which the document keeps alive.
    static std::shared_ptr<TextDocument> load(std::shared_ptr<const std::string> pdf,
                                              std::string& error);
    // The same for bytes that `owner` keeps alive.
    static std::shared_ptr<TextDocument> load(std::shared_ptr<const void> owner,
                                              std::string_view pdf, std::string& error);

    int pageCount() const;
    PageResult pageWords(int page, std::vector<PageWord>& words) const;

    // The bytes the reader reads.
    const std::shared_ptr<const void>& source() const { return source_; }

private:
    struct Closer {
        const TextLibrary* library;
        void operator()(PaginorTextDocument* document) const { library->close(document); }
    };

    TextDocument(const TextLibrary* library, std::shared_ptr<const void> source,
                 PaginorTextDocument* handle)
        : library_(library), source_(std::move(source)), handle_(handle, Closer{library}) {}

    const TextLibrary* library_;
    std::shared_ptr<const void> source_; // declared first: outlives the handle
    std::unique_ptr<PaginorTextDocument, Closer> handle_;
};

} // namespace paginor::engine::text
