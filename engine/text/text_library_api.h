// The C interface of libpaginor_text.so, the only part of the engine that
// links poppler. The engine loads it with dlopen on the first text request
// (see text_library.h), so programs that never read page text never load
// poppler. Plain C types only; no exception crosses these functions.
#pragma once

#include <stddef.h>

extern "C" {

// A document loaded from memory, with its pages' words computed on demand.
struct PaginorTextDocument;

// One word of a page and what follows it (" " or "\r\n"), both UTF-16 and not
// NUL-terminated.
struct PaginorTextWord {
    const char16_t* text;
    size_t textLength;
    const char16_t* separator;
    size_t separatorLength;
};

// Receives every word of a page, in reading order, in one call; the words are
// valid only during the call. Must not throw.
typedef void (*PaginorTextPageSink)(void* context, const PaginorTextWord* words, size_t count);

// Parses a PDF held in memory. The bytes are not copied: they must stay alive
// and unchanged until paginor_text_close. Returns null on failure and writes
// a NUL-terminated reason into `error` (when capacity > 0).
typedef PaginorTextDocument* (*PaginorTextOpenFunction)(const unsigned char* data, size_t size,
                                                        char* error, size_t errorCapacity);
// Number of pages, or -1 for a null document.
typedef int (*PaginorTextPageCountFunction)(const PaginorTextDocument* document);
// Hands the words of the 0-based page to `sink`. Returns 0 on success, -1 for
// a page outside the document, -2 for any other failure.
typedef int (*PaginorTextPageWordsFunction)(PaginorTextDocument* document, int page,
                                            PaginorTextPageSink sink, void* context);
typedef void (*PaginorTextCloseFunction)(PaginorTextDocument* document);

// Exported symbol names, looked up with dlsym.
#define PAGINOR_TEXT_OPEN_SYMBOL "paginor_text_open"
#define PAGINOR_TEXT_PAGE_COUNT_SYMBOL "paginor_text_page_count"
#define PAGINOR_TEXT_PAGE_WORDS_SYMBOL "paginor_text_page_words"
#define PAGINOR_TEXT_CLOSE_SYMBOL "paginor_text_close"

} // extern "C"
