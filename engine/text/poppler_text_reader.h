// The word boxes of a PDF's pages, read with poppler's own text device. The
// only file of the engine that uses poppler's private interface (see the .cpp
// for why and what it relies on); lives inside libpaginor_text.so.
#pragma once

#include "word_assembly.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace paginor::engine::text {

class PopplerTextReader {
public:
    // Parses the PDF in [data, data + size) without copying it: the bytes must
    // stay alive and unchanged until the reader is destroyed. Null with `error`
    // set when poppler cannot read it or it needs a password.
    static std::unique_ptr<PopplerTextReader> open(const char* data, std::size_t size,
                                                   std::string& error);
    ~PopplerTextReader();
    PopplerTextReader(const PopplerTextReader&) = delete;
    PopplerTextReader& operator=(const PopplerTextReader&) = delete;

    int pageCount() const;

    // The words of the 0-based page in poppler's reading order, with the
    // boxes of their first and last characters. False for a page poppler
    // cannot show.
    bool pageBoxes(int page, PageBoxes& boxes);

private:
    struct Poppler;
    explicit PopplerTextReader(std::unique_ptr<Poppler> poppler);
    std::unique_ptr<Poppler> poppler_;
};

} // namespace paginor::engine::text
