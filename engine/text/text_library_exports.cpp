// The exported C functions of libpaginor_text.so. Every C++ failure is
// turned into a return code here: nothing may unwind into the engine.
#include "poppler_text_document.h"
#include "text_library_api.h"

#include <cstring>
#include <exception>
#include <memory>
#include <vector>

#define PAGINOR_TEXT_EXPORT __attribute__((visibility("default")))

struct PaginorTextDocument {
    std::unique_ptr<paginor::engine::text::PopplerTextDocument> document;
};

namespace {

void copyError(const char* text, char* error, size_t capacity) {
    if (error == nullptr || capacity == 0)
        return;
    std::strncpy(error, text, capacity - 1);
    error[capacity - 1] = '\0';
}

} // namespace

extern "C" {

PAGINOR_TEXT_EXPORT PaginorTextDocument* paginor_text_open(const unsigned char* data, size_t size,
                                                           char* error, size_t errorCapacity) {
    try {
        if (data == nullptr) {
            copyError("no document data", error, errorCapacity);
            return nullptr;
        }
        std::string reason;
        auto loaded = paginor::engine::text::PopplerTextDocument::load(
            reinterpret_cast<const char*>(data), size, reason);
        if (!loaded) {
            copyError(reason.c_str(), error, errorCapacity);
            return nullptr;
        }
        auto handle = std::make_unique<PaginorTextDocument>();
        handle->document = std::move(loaded);
        return handle.release(); // owned by the caller until paginor_text_close
    } catch (const std::exception& e) {
        copyError(e.what(), error, errorCapacity);
    } catch (...) {
        copyError("unexpected failure in the text reader", error, errorCapacity);
    }
    return nullptr;
}

PAGINOR_TEXT_EXPORT int paginor_text_page_count(const PaginorTextDocument* document) {
    return document != nullptr ? document->document->pageCount() : -1;
}

PAGINOR_TEXT_EXPORT int paginor_text_page_words(PaginorTextDocument* document, int page,
                                                PaginorTextPageSink sink, void* context) {
    if (document == nullptr || sink == nullptr)
        return -2;
    try {
        const auto words = document->document->pageWords(page);
        if (!words)
            return -1;
        std::vector<PaginorTextWord> views;
        views.reserve(words->words.size());
        for (const auto& word : words->words) {
            const std::u16string_view text = words->textOf(word);
            const std::u16string_view separator =
                paginor::engine::text::PageText::separatorOf(word);
            views.push_back({text.data(), text.size(), separator.data(), separator.size()});
        }
        sink(context, views.data(), views.size());
        return 0;
    } catch (...) {
        return -2;
    }
}

PAGINOR_TEXT_EXPORT void paginor_text_close(PaginorTextDocument* document) {
    std::unique_ptr<PaginorTextDocument> owned(document);
}

} // extern "C"
