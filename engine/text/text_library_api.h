// The C interface of libpaginor_text.so, the only part of the engine that
// links poppler. The engine loads it with dlopen on the first text request
// (see text_library.h), so programs that never read page text never load
// poppler. Plain C types only; no exception crosses these functions.
#pragma once

#include <stddef.h>

extern "C" {

// A document loaded from memory, with its pages' words computed on demand.
struct PaginorTextDocument;

// Receives one word and what follows it on the page (" " or "\r\n"), both
// UTF-16 and not NUL-terminated. Must not throw.
typedef void (*PaginorTextWordSink)(void* context, const char16_t* word, size_t wordLength,
                                    const char16_t* separator, size_t separatorLength);

// Parses a PDF held in memory; the bytes are copied. Returns null on failure
// and writes a NUL-terminated reason into `error` (when capacity > 0).
typedef PaginorTextDocument* (*PaginorTextOpenFunction)(const unsigned char* data, size_t size,
                                                        char* error, size_t errorCapacity);
// Number of pages, or -1 for a null document.
typedef int (*PaginorTextPageCountFunction)(const PaginorTextDocument* document);
// Hands the words of the 0-based page to `sink` in reading order. Returns
// 0 on success, -1 for a page outside the document, -2 for any other failure.
typedef int (*PaginorTextPageWordsFunction)(PaginorTextDocument* document, int page,
                                            PaginorTextWordSink sink, void* context);
typedef void (*PaginorTextCloseFunction)(PaginorTextDocument* document);

// Exported symbol names, looked up with dlsym.
#define PAGINOR_TEXT_OPEN_SYMBOL "paginor_text_open"
#define PAGINOR_TEXT_PAGE_COUNT_SYMBOL "paginor_text_page_count"
#define PAGINOR_TEXT_PAGE_WORDS_SYMBOL "paginor_text_page_words"
#define PAGINOR_TEXT_CLOSE_SYMBOL "paginor_text_close"

} // extern "C"
